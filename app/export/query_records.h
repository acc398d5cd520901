#pragma once
// The records of one query as the summary and the exchange file see them: the
// card's visits, diagnoses, allergies, critical illnesses and prescriptions and the
// cloud's drug and laboratory rows, each as a plain entry with its dates parsed.
// Both outputs are built from these, so they never disagree about what a row says.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "card/patient_state.h"
#include "common/roc_date.h"
#include "report/cloud_tables.h"

class PageLookups;
class ExportLookups;

namespace summary {

// An institution as the records name it: the code and, where the record carries
// one, its name.
struct Institution {
    QString code;
    QString name;
};

// The cloud's "來源" cell: name, an optional note and the institution code, one
// per line on the page and joined by ">" in the record text ("晴川診所>(轉診)>
// 3501200000"). Either part may be missing.
Institution splitSource(const QString& source);

struct Diagnosis {
    QString code;
    QString name;  // empty when nobody knows one: never "(unknown ICD10 code)"
};

// The text the card read writes into a diagnosis slot the control software left
// untouched ("[XXXXXXX]"): it is no diagnosis.
bool isPlaceholderCode(const QString& code);
// The diagnosis as the summary and the Bundle name it: the diagnosis database's
// name; the card's own (possibly cut) text only when the database cannot say; no
// name at all for a code the database does not know.
Diagnosis namedDiagnosis(const Diagnosis& onCard, ExportLookups& lookups);

struct Visit {
    QString dateTimeText;  // as the card holds it, "YYYMMDDhhmmss"
    RocDateTime when;
    Institution institution;
    QList<Diagnosis> diagnoses;
};

struct CriticalIllness {
    Diagnosis diagnosis;
    QString startText, endText;  // ROC dates as stored
    QDate start, end;
};

enum class DrugSource { Cloud, CardOutpatient, CardLongTerm };

// What a card order is, told by the shape of its insurance code: drug codes have
// ten characters, one or two letters and then digits; treatment codes (the
// insurer's medical service items, such as 47041C) five to seven ending in a
// letter; special material codes three letters and digits (FHZ0345678), or twelve
// characters.
enum class OrderKind { Drug, Treatment, Supply };
OrderKind orderKindOf(const QString& code);

struct Drug {
    DrugSource source = DrugSource::Cloud;
    QString dateText;  // as the record holds it
    QDate start;       // first day of supply (invalid when the date is not a date)
    std::optional<int> days;
    QString code;  // the insurer's drug code
    QString atc;   // ATC code, empty when the record has none
    QString name;
    QString usage;     // dosage instruction
    QString quantity;  // total quantity as written
    Institution institution;
    OrderKind kind = OrderKind::Drug;

    // Days of supply left on `day`: start + days - day. Empty without a start or days.
    std::optional<int> remainingOn(const QDate& day) const;
};

struct LabResult {
    QString dateText;
    QDate date;
    QString orderCode;
    QString orderName;
    QString item;
    QString value;
    QString unit;
    QString referenceRange;
    QString siteMark;  // the site's own mark ("H", "L", ...)
    Institution institution;

    // The value as a number, when the whole (trimmed) text is one; thousands may be
    // grouped with commas ("6,800").
    std::optional<double> numericValue() const;
    // "H" above the reference range, "L" below it, empty within it. When the range
    // cannot be read as numbers (or the value is no number), the site's own mark.
    QString outOfRangeMark() const;
    // The item's name as shown: the test item, else the order's name.
    QString label() const;
};

// Diagnoses stored as "code_name" pieces joined by "`", as the card holds them;
// placeholder slots are left out.
QList<Diagnosis> splitDiagnoses(const QString& imp);
// One "code_name" piece (a piece without "_" is all code).
Diagnosis splitDiagnosis(const QString& piece);

// Non-empty visits in card order, their diagnoses named through `lookups`.
QList<Visit> cardVisits(const tICcardInfo& card, ExportLookups& lookups);
QList<CriticalIllness> cardCriticalIllnesses(const tICcardInfo& card, ExportLookups& lookups);
QStringList cardAllergies(const tICcardInfo& card);
// Filled slots of the outpatient and long-term prescriptions (drugs, treatments and
// supplies alike; see `kind`); names come from the drug database through `lookups`
// (the code when it has none).
QList<Drug> cardPrescriptions(const tICcardInfo& card, PageLookups& lookups);
QList<Drug> cloudDrugs(const report::CloudTable& table);
QList<LabResult> cloudLabResults(const report::CloudTable& table);

}  // namespace summary
