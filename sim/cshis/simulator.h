#pragma once
// The control software's behaviour over the readable card description: every entry
// point with the arguments of the real library, answering from the fixture and the
// state file of one folder (sim/cardstate), with forced results, a call log and the
// simulated reader's session.
//
// The stand-in library (cshis.cpp) exports one of these under the entry points' names;
// the tests' in-process fake holds one of its own. Both therefore answer alike.
//
// Every call re-reads the fixture and the state file (so a card change takes effect at
// once), logs itself, and first consumes the next forced result of its entry point: a
// non-zero forced code is returned as it is without touching any buffer; a forced 0, or
// no forced code, runs the normal behaviour.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace simcshis {

class Simulator {
  public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    int32_t csOpenCom(int32_t comPort);
    int32_t csCloseCom();
    int32_t csSoftwareReset(int32_t resetType);
    int32_t csGetVersionEx(char* hisPath);
    int32_t csVerifySAMDC();
    int32_t hisGetCardStatus(int32_t cardType);
    int32_t hpcGetHPCSSN(char* buffer, int32_t* bufLen);
    int32_t hpcVerifyHPCPIN();
    int32_t csGetHospID(char* buffer, int32_t* bufLen);
    int32_t hisGetRegisterBasic(char* buffer, int32_t* bufLen);
    int32_t hisGetCriticalIllness(char* buffer, int32_t* bufLen);
    int32_t hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen);
    int32_t hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen);
    int32_t hisReadPrescription(char* outPatientPrescription, int32_t* bufLenOutPatient,
                                char* longTermPrescriptions, int32_t* bufLenLongTerm,
                                char* importantTreatmentCode, int32_t* bufLenImportant,
                                char* irritationDrug, int32_t* bufLenIrritation);
    int32_t hisGetRegisterPrevent(char* buffer, int32_t* bufLen);
    int32_t hisGetRegisterPregnant(char* buffer, int32_t* bufLen);
    int32_t hisGetCumulativeData(char* buffer, int32_t* bufLen);
    int32_t hisGetCumulativeFee(char* buffer, int32_t* bufLen);
    int32_t hisGetInoculateData(char* buffer, int32_t* bufLen);
    int32_t hisGetOrganDonate(char* buffer, int32_t* bufLen);

    // Test controls.
    // Forgets the calls, the forced results and the reader's session.
    void reset();
    // Reads the fixture and the state file from `dir` (empty: the default folder).
    void setDir(const QString& dir);
    // Forces the results of `entry` from a comma-separated list such as "4000,4000,0",
    // consumed in order, the last repeating; empty codes remove the forcing. A code
    // written "w4000" makes a card read deliver the first half of its data first.
    void force(const QString& entry, const QString& codes);
    // Puts the card `key` into the reader just before the `call`-th call of `entry`
    // from now (1: the next one), as a patient swapping cards between two reads
    // would; call 0 removes it.
    void swapCardAt(const QString& entry, int call, const QString& key);
    // How often `entry` was called since the last reset (empty: all calls).
    int callCount(const QString& entry) const;
    // The calls since the last reset, one "entry(arguments)" each; buffer arguments are
    // logged as their length on entry, e.g. "hisGetRegisterBasic(78)".
    QStringList callLog() const;

    struct State;  // opaque: the session, the log and the forced results

  private:
    std::unique_ptr<State> state_;
};

}  // namespace simcshis
