#pragma once
// Decoding the control software's buffers into the card record and the patient
// summary. Plain functions over plain records; names come through CardCodeLookups.

#include <QByteArray>
#include <QString>
#include <optional>

#include "card/card_records.h"
#include "card/code_tables.h"

// The names the card read shows beside its codes (the code tables in production).
class CardCodeLookups {
  public:
    virtual ~CardCodeLookups() = default;
    // Institution name of a code from the table built at start; empty for an empty
    // code, "(不明院所)" for an unknown one.
    virtual QString hospitalName(const QString& code) = 0;
    // Name of an ICD-10 code: empty for a code that is not letters and digits,
    // "(unknown ICD10 code)" when there is no row; std::nullopt when the diagnosis
    // database cannot be used at all.
    virtual std::optional<QString> diagnosisName(const QString& code) = 0;
};

// Whether `code` is one of the visit-type codes the card may carry.
bool isKnownVisitType(const QString& code);

// BasicInfo -> treadCard; fields the basic data does not hold keep their values.
void decodeBasicInfo(const BasicInfo& in, treadCard& out);

// The six visits of hisGetTreatmentNoNeedHPC into Hx.
void decodeVisits(const tOPD_Hospital& in, tICcardInfo& out, CardCodeLookups& names);

// The buffer handed to hisGetTreatmentNeedHPC: zeros with the placeholder in every
// code slot, so slots the control software leaves alone are recognisable.
void prepareDiagnosisBuffer(tDiagnosis& buffer);

// Diagnoses (the IMP text of each visit, matched by visit date and time) and critical
// illnesses from hisGetTreatmentNeedHPC's buffer. Returns false when a name was needed
// and the diagnosis database could not be used (the unknown-code text stands in).
bool decodeDiagnoses(const tDiagnosis& in, tICcardInfo& out, CardCodeLookups& names);

// The production names: the institution table built at start and the diagnosis
// database.
class CodeTableLookups : public CardCodeLookups {
  public:
    CodeTableLookups(const CHospitalSet& hospitals, DiagnosisDatabase& diagnoses)
        : hospitals_(hospitals), diagnoses_(diagnoses) {}
    QString hospitalName(const QString& code) override;
    std::optional<QString> diagnosisName(const QString& code) override;

  private:
    const CHospitalSet& hospitals_;
    DiagnosisDatabase& diagnoses_;
};
