#pragma once
// Where the summary and the exchange file get their names: the pages' look-ups
// (institution list, drug database) and the diagnosis database, so a diagnosis is
// named from the database and not from the card's cut text.

#include <QString>

#include "card/code_tables.h"
#include "card/patient_pages.h"

class ExportLookups : public PageLookups {
  public:
    // The diagnosis database's answer for an ICD-10 code (see DiagnosisDatabase).
    virtual DiagnosisName diagnosisName(const QString& code) = 0;
};

// The production look-ups over the program folder's lists and databases.
class CodeTableExportLookups : public ExportLookups {
  public:
    CodeTableExportLookups(HospitalNames& hospitals, DrugDatabase& drugs,
                           DiagnosisDatabase& diagnoses)
        : pages_(hospitals, drugs), diagnoses_(diagnoses) {}
    QString hospitalName(const QString& code) override { return pages_.hospitalName(code); }
    InsuranceCodeName insuranceName(const QString& code) override {
        return pages_.insuranceName(code);
    }
    DiagnosisName diagnosisName(const QString& code) override { return diagnoses_.lookup(code); }

  private:
    CodeTablePageLookups pages_;
    DiagnosisDatabase& diagnoses_;
};
