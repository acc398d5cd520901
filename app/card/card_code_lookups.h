#pragma once
// The names the card read needs, from the institution table built at start and
// the diagnosis database.

#include "card/card_decoding.h"
#include "card/code_tables.h"

class CodeTableLookups : public CardCodeLookups {
  public:
    CodeTableLookups(const CHospitalSet& hospitals, DiagnosisDatabase& diagnoses)
        : hospitals_(hospitals), diagnoses_(diagnoses) {}

    QString hospitalName(const QString& code) override { return hospitals_.HosCodeToName(code); }

    std::optional<QString> diagnosisName(const QString& code) override {
        const DiagnosisName name = diagnoses_.lookup(code);
        if (name.status == DiagnosisStatus::Unavailable) return std::nullopt;
        return name.text;
    }

  private:
    const CHospitalSet& hospitals_;
    DiagnosisDatabase& diagnoses_;
};
