#pragma once
// The production side of ControlSoftware: the insurer's library, loaded at run time by
// plain name and bound by export name.

#include <QLibrary>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "card/control_software.h"

// The control software is built for the 32-bit Windows calling convention.
#if defined(_WIN32) && !defined(_WIN64)
#define TOLVANE_CSAPI __stdcall
#else
#define TOLVANE_CSAPI
#endif

// Procedure types of the entry points, in the order of the binding table.
using FcsOpenCom = int32_t(TOLVANE_CSAPI*)(int32_t comPort);
using FcsCloseCom = int32_t(TOLVANE_CSAPI*)();
using FcsSoftwareReset = int32_t(TOLVANE_CSAPI*)(int32_t resetType);
using FcsGetVersionEx = int32_t(TOLVANE_CSAPI*)(char* hisPath);
using FcsVerifySAMDC = int32_t(TOLVANE_CSAPI*)();
using FhisGetCardStatus = int32_t(TOLVANE_CSAPI*)(int32_t cardType);
using FhpcGetHPCSSN = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhpcVerifyHPCPIN = int32_t(TOLVANE_CSAPI*)();
using FhisGetRegisterBasic = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetCriticalIllness = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetTreatmentNoNeedHPC = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetTreatmentNeedHPC = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisReadPrescription = int32_t(TOLVANE_CSAPI*)(
    char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
    int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
    char* irritationDrug, int32_t* bufLenIrritation);
using FhisGetRegisterPrevent = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetRegisterPregnant = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetCumulativeData = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetCumulativeFee = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetInoculateData = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FhisGetOrganDonate = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);
using FcsGetHospID = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* bufLen);

// Loaded at run time by plain name; searched first in the program's own folder (as the
// Windows loader does), then by the platform's search order.
class LoadedControlSoftware final : public ControlSoftware {
  public:
    explicit LoadedControlSoftware(QString programDir, QString baseName = "cshis");
    ~LoadedControlSoftware() override;

    // True when loaded (already, or now). Binds every entry once after the first
    // successful load; a failed load is simply tried again at the next call.
    bool LoadLibraryCshis() override;
    bool isLoaded() const override;
    // Releases the library; entry points become missing until the next load.
    void unload() override;
    // Whether the loaded library offers this export (export names, e.g. "csGetHospID").
    bool has(const char* exportName) const override;
    // Why the last load failed (empty after a successful one).
    QString loadError() const override;

    // One typed call per entry point. std::nullopt: the export is missing (or the
    // library is not loaded) and nothing was called. Buffers are caller-owned.
    std::optional<int32_t> csOpenCom(int32_t comPort) override;
    std::optional<int32_t> csCloseCom() override;
    std::optional<int32_t> csSoftwareReset(int32_t resetType) override;
    std::optional<int32_t> csGetVersionEx(char* hisPath) override;
    std::optional<int32_t> csVerifySAMDC() override;
    std::optional<int32_t> hisGetCardStatus(int32_t cardType) override;
    std::optional<int32_t> hpcGetHPCSSN(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hpcVerifyHPCPIN() override;
    std::optional<int32_t> hisGetRegisterBasic(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetCriticalIllness(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisReadPrescription(char* outPatientPrescription,
                                               int32_t* bufLenOutPatient,
                                               char* longTermPrescriptions, int32_t* bufLenLongTerm,
                                               char* importantTreatmentCode,
                                               int32_t* bufLenImportant, char* irritationDrug,
                                               int32_t* bufLenIrritation) override;
    std::optional<int32_t> hisGetRegisterPrevent(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetRegisterPregnant(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetCumulativeData(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetCumulativeFee(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetInoculateData(char* buffer, int32_t* bufLen) override;
    std::optional<int32_t> hisGetOrganDonate(char* buffer, int32_t* bufLen) override;
    // Binds the export "csGetHospID".
    std::optional<int32_t> hiscsGetHospID(char* buffer, int32_t* bufLen) override;

  private:
    struct Entries;
    void bind();

    QString programDir_;
    QString baseName_;
    std::unique_ptr<QLibrary> lib_;
    std::unique_ptr<Entries> entries_;
    QString loadError_;
};
