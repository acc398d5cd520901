// The stand-in control software: every entry point with C linkage and the argument
// layout of the real library, answered by one Simulator (simulator.h) from the fixture
// of the program folder.

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "simulator.h"

#if defined(_WIN32) && !defined(_WIN64)
#define CSHIS_API __stdcall
#else
#define CSHIS_API
#endif
#if defined(_WIN32)
#define CSHIS_EXPORT extern "C" __declspec(dllexport)
#else
#define CSHIS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

simcshis::Simulator& sim() {
    static simcshis::Simulator s;
    return s;
}

}  // namespace

CSHIS_EXPORT int32_t CSHIS_API csOpenCom(int32_t comPort) { return sim().csOpenCom(comPort); }

CSHIS_EXPORT int32_t CSHIS_API csCloseCom() { return sim().csCloseCom(); }

CSHIS_EXPORT int32_t CSHIS_API csSoftwareReset(int32_t resetType) {
    return sim().csSoftwareReset(resetType);
}

#ifndef SIMCSHIS_PARTIAL
CSHIS_EXPORT int32_t CSHIS_API csGetVersionEx(char* hisPath) {
    return sim().csGetVersionEx(hisPath);
}
#endif

CSHIS_EXPORT int32_t CSHIS_API csVerifySAMDC() { return sim().csVerifySAMDC(); }

CSHIS_EXPORT int32_t CSHIS_API hisGetCardStatus(int32_t cardType) {
    return sim().hisGetCardStatus(cardType);
}

CSHIS_EXPORT int32_t CSHIS_API hpcGetHPCSSN(char* buffer, int32_t* bufLen) {
    return sim().hpcGetHPCSSN(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hpcVerifyHPCPIN() { return sim().hpcVerifyHPCPIN(); }

CSHIS_EXPORT int32_t CSHIS_API csGetHospID(char* buffer, int32_t* bufLen) {
    return sim().csGetHospID(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterBasic(char* buffer, int32_t* bufLen) {
    return sim().hisGetRegisterBasic(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCriticalIllness(char* buffer, int32_t* bufLen) {
    return sim().hisGetCriticalIllness(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen) {
    return sim().hisGetTreatmentNoNeedHPC(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) {
    return sim().hisGetTreatmentNeedHPC(buffer, bufLen);
}

#ifndef SIMCSHIS_PARTIAL
CSHIS_EXPORT int32_t CSHIS_API hisReadPrescription(
    char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
    int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
    char* irritationDrug, int32_t* bufLenIrritation) {
    return sim().hisReadPrescription(outPatientPrescription, bufLenOutPatient,
                                     longTermPrescriptions, bufLenLongTerm, importantTreatmentCode,
                                     bufLenImportant, irritationDrug, bufLenIrritation);
}
#endif

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterPrevent(char* buffer, int32_t* bufLen) {
    return sim().hisGetRegisterPrevent(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterPregnant(char* buffer, int32_t* bufLen) {
    return sim().hisGetRegisterPregnant(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCumulativeData(char* buffer, int32_t* bufLen) {
    return sim().hisGetCumulativeData(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCumulativeFee(char* buffer, int32_t* bufLen) {
    return sim().hisGetCumulativeFee(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetInoculateData(char* buffer, int32_t* bufLen) {
    return sim().hisGetInoculateData(buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetOrganDonate(char* buffer, int32_t* bufLen) {
    return sim().hisGetOrganDonate(buffer, bufLen);
}

// ---- Controls for tests in the same process (reached with dlsym on the same handle) ----

// Forgets the calls, the forced results and the reader's session.
CSHIS_EXPORT void simcshisReset() { sim().reset(); }

// Reads the fixture and the state file from `dir` instead (null or empty: the default).
CSHIS_EXPORT void simcshisSetDir(const char* dir) {
    sim().setDir(dir ? QString::fromLocal8Bit(dir) : QString());
}

// Forces the results of `entry` from a comma-separated list such as "4000,4000,0",
// consumed in order, the last repeating; null or empty codes remove the forcing. A
// code written "w4000" makes a card read deliver the first half of its data first.
CSHIS_EXPORT void simcshisForce(const char* entry, const char* codes) {
    if (entry == nullptr) return;
    sim().force(QString::fromLatin1(entry), QString::fromLatin1(codes ? codes : ""));
}

// Puts the card `key` in just before the `call`-th call of `entry` from now.
CSHIS_EXPORT void simcshisSwapCard(const char* entry, int call, const char* key) {
    if (entry == nullptr) return;
    sim().swapCardAt(QString::fromLatin1(entry), call, QString::fromUtf8(key ? key : ""));
}

// How often `entry` was called since the last reset (null: all calls).
CSHIS_EXPORT int simcshisCallCount(const char* entry) {
    return sim().callCount(entry ? QString::fromLatin1(entry) : QString());
}

// The calls since the last reset, one "entry(arguments)" per line. Copies what fits into
// `buffer` (always zero-terminated when size > 0) and returns the full length.
CSHIS_EXPORT int simcshisCallLog(char* buffer, int size) {
    QByteArray text;
    for (const QString& line : sim().callLog()) text += line.toUtf8() + '\n';
    if (buffer != nullptr && size > 0) {
        const int n = std::min(size - 1, static_cast<int>(text.size()));
        std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}
