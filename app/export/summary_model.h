#pragma once
// The patient summary: one document model built from the patient state and the
// cloud source tables, from which the printer and the PDF both render. Building
// it needs no window; empty sections are left out.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "card/patient_state.h"
#include "report/cloud_tables.h"

class ExportLookups;

namespace summary {

// One group of drugs that duplicate each other, as the duplicate check reports it.
struct DuplicateGroup {
    QString reason;     // what they share, e.g. "ATC C09CA" or an ingredient
    QStringList drugs;  // the drugs as shown to the doctor
};

// What the summary shows beyond the patient state and the source tables.
struct SummaryExtras {
    bool duplicateCheckOn = false;
    QList<DuplicateGroup> duplicates;
    QString eligibilityText;  // the adult preventive-care answer (AE)
};

// When and by what the summary is made.
struct SummaryContext {
    QDateTime queryTime;     // the read, or the archived day of a reopened query
    QString programName;     // "Tolvane"
    QString programVersion;  // the build's version
};

// Section titles, shown as written.
namespace titles {
inline const QString allergies = QStringLiteral("過敏紀錄");
inline const QString criticalIllnesses = QStringLiteral("重大傷病");
inline const QString visits = QStringLiteral("最近就醫紀錄");
inline const QString drugs = QStringLiteral("目前用藥");
inline const QString duplicates = QStringLiteral("重複用藥");
inline const QString labs = QStringLiteral("最近檢驗結果");
inline const QString referral = QStringLiteral("轉診資料");
inline const QString eligibility = QStringLiteral("成人預防保健");
}  // namespace titles

struct SummarySection {
    QString title;
    // A table (header and rows of cells) or, when `header` is empty, free text.
    QStringList header;
    QList<QStringList> rows;
    QString text;
};

struct SummaryField {
    QString label;
    QString value;
};

struct SummaryDocument {
    QString title;               // the sheet's heading
    QString program;             // program name and version
    QList<SummaryField> fields;  // institution, query time and the patient
    QList<SummarySection> sections;

    const SummarySection* section(const QString& title) const;
};

// Age in whole years on `day`; -1 when either date is invalid or birth lies after it.
int ageOn(const QDate& birthday, const QDate& day);

SummaryDocument buildSummary(const PatientState& state, const report::CloudSourceTables& tables,
                             const SummaryExtras& extras, const SummaryContext& context,
                             ExportLookups& lookups);

}  // namespace summary
