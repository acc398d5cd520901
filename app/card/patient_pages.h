#pragma once
// The data work of the patient pages: identity fields, the visit grid and the six
// lists, built from the patient state alone (never from the card). The view file
// puts the result into the window's widgets.

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

#include "card/drug_database.h"
#include "card/patient_state.h"

class HospitalNames;

// Where the pages get their names from.
class PageLookups {
  public:
    virtual ~PageLookups() = default;
    // getHospitalName: empty for an empty code, the code itself when unknown.
    virtual QString hospitalName(const QString& code) = 0;
    // The name of an insurance code from the drug database.
    virtual InsuranceCodeName insuranceName(const QString& code) = 0;
};

// The production lookups: the institution list (kept parsed between calls) and
// one drug database connection for the whole page fill.
class CodeTablePageLookups : public PageLookups {
  public:
    CodeTablePageLookups(HospitalNames& hospitals, DrugDatabase& drugs)
        : hospitals_(hospitals), drugs_(drugs) {}
    QString hospitalName(const QString& code) override;
    InsuranceCodeName insuranceName(const QString& code) override;

  private:
    HospitalNames& hospitals_;
    DrugDatabase& drugs_;
};

struct PatientPages {
    static constexpr int kGridColumns = 8;  // column 0 holds the row titles
    static constexpr int kGridRows = 12;
    static constexpr int kOtherColumn = 7;  // prescriptions of no shown visit

    QString CptName;
    QString CptID;
    QString Cbirthday;
    QString Csex;  // "M" or "F"

    // Cells of CtreatmentData for columns 1 to 7; column 0 is never written.
    std::array<std::array<QString, kGridRows>, kGridColumns> grid;
    const QString& cell(int column, int row) const { return grid[column][row]; }

    // Rows of the lists: the caption first, then the sub-items in column order.
    QList<QStringList> CtreatItem;        // 60 rows, sorted by caption
    QList<QStringList> ClongDrug;         // 30 rows, sorted by caption
    QList<QStringList> CimportantMx;      // 10 rows
    QList<QStringList> CcriticalIllness;  // 6 rows
    QList<QStringList> Cprevent;          // 6 rows
    QList<QStringList> Cpregnant;         // 11 rows

    QString CrefMemo;

    // Insurance codes whose look-up failed, in the order met: one message each.
    QStringList unknownCodes;
};

// The pages' data for the patient state; the window's fillPTdata puts it on screen.
PatientPages buildPatientPages(const PatientState& state, PageLookups& lookups);

// The same with the production lookups; the drug database is opened for this call.
PatientPages buildPatientPages(const PatientState& state, HospitalNames& hospitals,
                               const QString& appPath);
