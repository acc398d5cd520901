#pragma once
// The insurer's card control software: the entry points the program calls, typed.
// Every entry point returns a 32-bit result (0 = success); a buffer argument is owned by
// the caller and is always followed by a pointer to its length in bytes.
//
// The program binds the library it loads at run time (LoadedControlSoftware); the
// unit tests use an in-process fake answering from the same card description as the
// stand-in library.

#include <QString>
#include <cstdint>
#include <optional>

class ControlSoftware {
  public:
    ControlSoftware() = default;
    virtual ~ControlSoftware() = default;
    ControlSoftware(const ControlSoftware&) = delete;
    ControlSoftware& operator=(const ControlSoftware&) = delete;

    // True when loaded (already, or now). Binds every entry once after the first
    // successful load; a failed load is simply tried again at the next call.
    virtual bool LoadLibraryCshis() = 0;
    virtual bool isLoaded() const = 0;
    // Releases the library; entry points become missing until the next load.
    virtual void unload() = 0;
    // Whether the loaded library offers this export (export names, e.g. "csGetHospID").
    virtual bool has(const char* exportName) const = 0;
    // Why the last load failed (empty after a successful one).
    virtual QString loadError() const = 0;

    // One typed call per entry point. std::nullopt: the export is missing (or the
    // library is not loaded) and nothing was called. Buffers are caller-owned.
    virtual std::optional<int32_t> csOpenCom(int32_t comPort) = 0;
    virtual std::optional<int32_t> csCloseCom() = 0;
    virtual std::optional<int32_t> csSoftwareReset(int32_t resetType) = 0;
    virtual std::optional<int32_t> csGetVersionEx(char* hisPath) = 0;
    virtual std::optional<int32_t> csVerifySAMDC() = 0;
    virtual std::optional<int32_t> hisGetCardStatus(int32_t cardType) = 0;
    virtual std::optional<int32_t> hpcGetHPCSSN(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hpcVerifyHPCPIN() = 0;
    virtual std::optional<int32_t> hisGetRegisterBasic(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetCriticalIllness(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisReadPrescription(
        char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
        int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
        char* irritationDrug, int32_t* bufLenIrritation) = 0;
    virtual std::optional<int32_t> hisGetRegisterPrevent(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetRegisterPregnant(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetCumulativeData(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetCumulativeFee(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetInoculateData(char* buffer, int32_t* bufLen) = 0;
    virtual std::optional<int32_t> hisGetOrganDonate(char* buffer, int32_t* bufLen) = 0;
    // Binds the export "csGetHospID".
    virtual std::optional<int32_t> hiscsGetHospID(char* buffer, int32_t* bufLen) = 0;

    // The text for an operation that found its entry point missing.
    static QString missingEntryMessage(const char* exportName);
};
