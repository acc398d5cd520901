// Every category of the card record from arbitrary bytes: the buffers the control
// software fills (basic data, visits, diagnoses and critical illnesses) through their
// decoders, and a whole card record as an archive file brings it back (prescriptions,
// long-term drugs, orders, allergies, preventive care, pregnancy examinations, with
// length bytes that may claim more than their field holds) through the page fill.
//
// Input: BasicInfo, tOPD_Hospital, tDiagnosis, tICcardInfo, in that order; a short
// input leaves the rest zero.
#include <cstring>

#include "card/card_decoding.h"
#include "card/patient_pages.h"
#include "fuzz_input.h"

namespace {

class Names : public CardCodeLookups, public PageLookups {
  public:
    QString hospitalName(const QString& code) override { return code; }
    std::optional<QString> diagnosisName(const QString& code) override {
        if (code.startsWith(QLatin1Char('Z'))) return std::nullopt;  // database unusable
        return QStringLiteral("name of ") + code;
    }
    InsuranceCodeName insuranceName(const QString& code) override {
        InsuranceCodeName n;
        n.status = code.size() % 3 == 0 ? InsuranceCodeName::Status::Failed
                                        : InsuranceCodeName::Status::Found;
        n.name = code;
        return n;
    }
};

template <typename T>
void fill(T& record, fuzz::Cursor& in) {
    std::memset(&record, 0, sizeof record);
    const QByteArray b = in.take(sizeof record);
    std::memcpy(&record, b.constData(), static_cast<std::size_t>(b.size()));
}

void checkPages(const PatientPages& p) {
    if (p.CtreatItem.size() != 60 || p.ClongDrug.size() != 30 || p.CimportantMx.size() != 10 ||
        p.CcriticalIllness.size() != 6 || p.Cprevent.size() != 6 || p.Cpregnant.size() != 11)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Cursor in(data, size);
    BasicInfo basic;
    tOPD_Hospital visits;
    tDiagnosis diagnoses;
    fill(basic, in);
    fill(visits, in);
    fill(diagnoses, in);

    Names names;
    PatientState state;
    decodeBasicInfo(basic, state.ptData);
    state.PtBuffer = basic;

    // A record as reopened from an archive.
    fill(state.ICcardInfo, in);
    checkPages(buildPatientPages(state, names));

    // The same record after a card read replaced the visits and diagnoses.
    decodeVisits(visits, state.ICcardInfo, names);
    for (tICcardHx& hx : state.ICcardInfo.Hx) hx.IMP.len = 0;
    (void)decodeDiagnoses(diagnoses, state.ICcardInfo, names);
    checkPages(buildPatientPages(state, names));
    return 0;
}
