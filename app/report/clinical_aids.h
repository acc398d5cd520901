#pragma once
// The clinical aids beside the duplicate check, over the drugs in supply on the
// query's day: high-risk interactions, kidney function (eGFR from the latest
// creatinine) with the drugs to change at it, allergy matches and the site's
// marks for patients aged 65 or over. Everything comes in as plain input (the
// day, the tables, the card's sex, birthday and allergies); each aid says what
// it checked and on which day, and nothing more.

#include <QChar>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "report/cloud_tables.h"
#include "report/drug_supply.h"

namespace report {

// The card's facts the aids need.
struct AidsPatient {
    QChar sex;              // 'M', 'F', or unknown
    QDate birthday;
    QStringList allergies;  // the card's allergy entries as written
};

struct AidFinding {
    QString severity;  // "禁忌", "嚴重", "中度", "注意"
    QString title;
    QString detail;
    QString source;
    QList<int> rows;  // drug source table rows concerned
};

struct AidSection {
    QString title;    // "交互作用", "腎功能", "過敏", "高齡"
    QString checked;  // what was checked, on which day, from what
    QList<AidFinding> findings;
};

// The 2021 CKD-EPI creatinine equation (no race term), mL/min/1.73 m². None for
// a creatinine that is not positive or an age under 18 (not validated there).
std::optional<double> ckdEpi2021(double creatinineMgDl, int age, bool female);

struct KidneyFunction {
    QDate date;                  // of the creatinine result
    QString resultText;          // as the table writes it, with its unit
    double creatinineMgDl = 0;
    int age = -1;                // on that date
    std::optional<double> egfr;  // none when sex or age does not allow it
    QString note;                // why there is no eGFR, or how the unit was read
};

// The latest serum creatinine in the laboratory table that is dated, numeric and
// in a unit we know (mg/dL, µmol/L; a blank unit is read by the size of the
// number and said so), with the eGFR for the patient; none without one.
std::optional<KidneyFunction> latestKidneyFunction(const CloudTable& lab, const AidsPatient& patient);

struct ClinicalAids {
    QDate day;
    QList<AidSection> sections;  // interactions, kidney, allergy, age, in that order
    std::optional<KidneyFunction> kidney;
    int suppliedCount = 0;       // drugs in supply on the day
    QString skippedText;         // drug rows no aid could read
    int interactionCount() const;
    // Findings of the other aids (kidney, allergy, age) together.
    int otherCount() const;
    // Each row's short warnings ("交互作用", "腎功能", "過敏", "高齡"), by source row.
    QStringList rowWarnings(int rowCount) const;
};

ClinicalAids runClinicalAids(const QDate& day, const CloudTable& drugs, const CloudTable& lab,
                             const AidsPatient& patient);
// The same over drug rows already read (the report reads them once for every aid).
ClinicalAids runClinicalAids(const QDate& day, const DrugSupplies& supplies, const CloudTable& lab,
                             const AidsPatient& patient);

// What the list says it is not: the insurer's own check of the drug about to be
// prescribed still applies.
QString insurerCheckNotice();

// A day as the clinic writes it: ROC year, "115/12/11".
QString rocDayText(const QDate& day);

}  // namespace report
