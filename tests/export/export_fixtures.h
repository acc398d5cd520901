#pragma once
// Queries made by hand for the summary and the exchange file: one with every
// section, one with nothing, and a long one; plus name look-ups without files.

#include <QMap>
#include <QStringList>

#include "card/patient_pages.h"
#include "card/patient_state.h"
#include "export/summary_model.h"
#include "report/cloud_tables.h"

namespace fixtures {

class FakeLookups : public PageLookups {
  public:
    QMap<QString, QString> hospitals;
    QMap<QString, QString> drugs;

    FakeLookups();
    QString hospitalName(const QString& code) override;
    InsuranceCodeName insuranceName(const QString& code) override;
};

struct Query {
    PatientState state;
    cloud::CloudSourceTables tables;
    summary::SummaryExtras extras;
    summary::SummaryContext context;
};

// A cloud row from caption -> value pairs (captions as the report shows them).
cloud::CloudRow row(cloud::Kind kind, const QMap<QString, QString>& cells);

// Basic data, visits with diagnoses, a critical illness, allergies (one outside
// Big5's common set), long-term and outpatient prescriptions, cloud drugs (one
// without ATC code) and laboratory rows (one non-numeric), referral and
// eligibility texts and one duplicate group. Queried on 2024-12-10 14:30.
Query fullQuery();
// A card without visits or prescriptions and no cloud records.
Query emptyQuery();
// fullQuery with `drugs` cloud drug rows and `labs` laboratory rows, all current.
Query longQuery(int drugs, int labs);

}  // namespace fixtures
