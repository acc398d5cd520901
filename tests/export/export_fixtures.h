#pragma once
// Queries made by hand for the summary and the exchange file: one with every
// section, one with nothing, and a long one; plus name look-ups without files.

#include <QMap>
#include <QStringList>

#include "card/patient_pages.h"
#include "card/patient_state.h"
#include "export/export_lookups.h"
#include "export/summary_model.h"
#include "report/cloud_tables.h"

namespace fixtures {

class FakeLookups : public ExportLookups {
  public:
    QMap<QString, QString> hospitals;
    QMap<QString, QString> drugs;
    QMap<QString, QString> diagnoses;  // ICD-10 code without its dot -> name
    bool diagnosisDatabaseThere = true;

    FakeLookups();
    QString hospitalName(const QString& code) override;
    InsuranceCodeName insuranceName(const QString& code) override;
    // As the diagnosis database answers: no look-up for codes that are not letters
    // and digits, not found for the rest it lacks.
    DiagnosisName diagnosisName(const QString& code) override;
};

struct Query {
    PatientState state;
    report::CloudSourceTables tables;
    summary::SummaryExtras extras;
    summary::SummaryContext context;
};

// A cloud row from caption -> value pairs (captions as the report shows them).
report::CloudRow row(report::Kind kind, const QMap<QString, QString>& cells);

// Basic data, visits with diagnoses, a critical illness, allergies (one outside
// Big5's common set), long-term and outpatient prescriptions, cloud drugs (one
// without ATC code) and laboratory rows (one non-numeric), referral and
// eligibility texts and one duplicate group. Queried on 2024-12-10 14:30.
Query fullQuery();
// A card without visits or prescriptions and no cloud records.
Query emptyQuery();
// fullQuery with `drugs` cloud drug rows and `labs` laboratory rows, all current.
Query longQuery(int drugs, int labs);
// What a day at the desk brings: a visit whose untouched slots hold the placeholder
// and whose card text of a diagnosis is cut (J302), a code the database does not
// know, an untouched critical-illness slot, a drug, a treatment (47041C) and a
// supply among the card orders, cloud rows whose "來源" cells are joined by ">" and
// name institutions met nowhere else (one listed in hospbsc.txt under another
// name, one not listed), and a laboratory value of "6,800".
Query deskQuery();

}  // namespace fixtures
