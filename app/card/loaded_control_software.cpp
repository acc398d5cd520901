#include "card/loaded_control_software.h"

#include <QDir>
#include <array>
#include <cstring>

namespace {

// One slot per entry point; the export names are those of the library.
enum Entry {
    eCsOpenCom,
    eCsCloseCom,
    eCsSoftwareReset,
    eCsGetVersionEx,
    eCsVerifySAMDC,
    eHisGetCardStatus,
    eHpcGetHPCSSN,
    eHpcVerifyHPCPIN,
    eHisGetRegisterBasic,
    eHisGetCriticalIllness,
    eHisGetTreatmentNoNeedHPC,
    eHisGetTreatmentNeedHPC,
    eHisReadPrescription,
    eHisGetRegisterPrevent,
    eHisGetRegisterPregnant,
    eHisGetCumulativeData,
    eHisGetCumulativeFee,
    eHisGetInoculateData,
    eHisGetOrganDonate,
    eHiscsGetHospID,
    eEntryCount
};

constexpr std::array<const char*, eEntryCount> kExportNames = {
    "csOpenCom",
    "csCloseCom",
    "csSoftwareReset",
    "csGetVersionEx",
    "csVerifySAMDC",
    "hisGetCardStatus",
    "hpcGetHPCSSN",
    "hpcVerifyHPCPIN",
    "hisGetRegisterBasic",
    "hisGetCriticalIllness",
    "hisGetTreatmentNoNeedHPC",
    "hisGetTreatmentNeedHPC",
    "hisReadPrescription",
    "hisGetRegisterPrevent",
    "hisGetRegisterPregnant",
    "hisGetCumulativeData",
    "hisGetCumulativeFee",
    "hisGetInoculateData",
    "hisGetOrganDonate",
    "csGetHospID",  // bound as hiscsGetHospID
};

int entryIndex(const char* exportName) {
    if (exportName == nullptr) return -1;
    for (int i = 0; i < eEntryCount; ++i) {
        if (std::strcmp(kExportNames[i], exportName) == 0) return i;
    }
    return -1;
}

}  // namespace

struct LoadedControlSoftware::Entries {
    std::array<QFunctionPointer, eEntryCount> fn{};

    // Calls a bound entry point; std::nullopt when it is not bound.
    template <typename F, typename... Args>
    std::optional<int32_t> call(Entry id, Args... args) const {
        const QFunctionPointer p = fn[id];
        if (p == nullptr) return std::nullopt;
        return reinterpret_cast<F>(p)(args...);
    }
};

LoadedControlSoftware::LoadedControlSoftware(QString programDir, QString baseName)
    : programDir_(std::move(programDir)),
      baseName_(std::move(baseName)),
      entries_(std::make_unique<Entries>()) {}

LoadedControlSoftware::~LoadedControlSoftware() { unload(); }

bool LoadedControlSoftware::LoadLibraryCshis() {
    if (isLoaded()) return true;

    // The program's own folder first, as the Windows loader searches it before the
    // system folders; then the plain name through the platform's search order.
    QStringList errors;
    const QStringList candidates = {QDir(programDir_).filePath(baseName_), baseName_};
    for (const QString& name : candidates) {
        if (name.isEmpty() || (name != baseName_ && programDir_.isEmpty())) continue;
        auto lib = std::make_unique<QLibrary>(name);
        if (lib->load()) {
            lib_ = std::move(lib);
            loadError_.clear();
            bind();
            return true;
        }
        errors << lib->errorString();
    }
    loadError_ = errors.join(QStringLiteral("; "));
    return false;
}

bool LoadedControlSoftware::isLoaded() const { return lib_ != nullptr && lib_->isLoaded(); }

void LoadedControlSoftware::unload() {
    entries_->fn.fill(nullptr);
    if (lib_) {
        lib_->unload();
        lib_.reset();
    }
}

void LoadedControlSoftware::bind() {
    // Look-ups only: a missing export leaves its slot empty and is never called.
    for (int i = 0; i < eEntryCount; ++i) entries_->fn[i] = lib_->resolve(kExportNames[i]);
}

bool LoadedControlSoftware::has(const char* exportName) const {
    if (!isLoaded()) return false;
    const int i = entryIndex(exportName);
    if (i >= 0) return entries_->fn[i] != nullptr;
    return exportName != nullptr && lib_->resolve(exportName) != nullptr;
}

QString LoadedControlSoftware::loadError() const { return loadError_; }

std::optional<int32_t> LoadedControlSoftware::csOpenCom(int32_t comPort) {
    return entries_->call<FcsOpenCom>(eCsOpenCom, comPort);
}
std::optional<int32_t> LoadedControlSoftware::csCloseCom() {
    return entries_->call<FcsCloseCom>(eCsCloseCom);
}
std::optional<int32_t> LoadedControlSoftware::csSoftwareReset(int32_t resetType) {
    return entries_->call<FcsSoftwareReset>(eCsSoftwareReset, resetType);
}
std::optional<int32_t> LoadedControlSoftware::csGetVersionEx(char* hisPath) {
    return entries_->call<FcsGetVersionEx>(eCsGetVersionEx, hisPath);
}
std::optional<int32_t> LoadedControlSoftware::csVerifySAMDC() {
    return entries_->call<FcsVerifySAMDC>(eCsVerifySAMDC);
}
std::optional<int32_t> LoadedControlSoftware::hisGetCardStatus(int32_t cardType) {
    return entries_->call<FhisGetCardStatus>(eHisGetCardStatus, cardType);
}
std::optional<int32_t> LoadedControlSoftware::hpcGetHPCSSN(char* buffer, int32_t* bufLen) {
    return entries_->call<FhpcGetHPCSSN>(eHpcGetHPCSSN, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hpcVerifyHPCPIN() {
    return entries_->call<FhpcVerifyHPCPIN>(eHpcVerifyHPCPIN);
}
std::optional<int32_t> LoadedControlSoftware::hisGetRegisterBasic(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetRegisterBasic>(eHisGetRegisterBasic, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetCriticalIllness(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetCriticalIllness>(eHisGetCriticalIllness, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetTreatmentNoNeedHPC(char* buffer,
                                                                       int32_t* bufLen) {
    return entries_->call<FhisGetTreatmentNoNeedHPC>(eHisGetTreatmentNoNeedHPC, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetTreatmentNeedHPC(char* buffer,
                                                                     int32_t* bufLen) {
    return entries_->call<FhisGetTreatmentNeedHPC>(eHisGetTreatmentNeedHPC, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisReadPrescription(
    char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
    int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
    char* irritationDrug, int32_t* bufLenIrritation) {
    return entries_->call<FhisReadPrescription>(
        eHisReadPrescription, outPatientPrescription, bufLenOutPatient, longTermPrescriptions,
        bufLenLongTerm, importantTreatmentCode, bufLenImportant, irritationDrug, bufLenIrritation);
}
std::optional<int32_t> LoadedControlSoftware::hisGetRegisterPrevent(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetRegisterPrevent>(eHisGetRegisterPrevent, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetRegisterPregnant(char* buffer,
                                                                     int32_t* bufLen) {
    return entries_->call<FhisGetRegisterPregnant>(eHisGetRegisterPregnant, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetCumulativeData(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetCumulativeData>(eHisGetCumulativeData, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetCumulativeFee(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetCumulativeFee>(eHisGetCumulativeFee, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetInoculateData(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetInoculateData>(eHisGetInoculateData, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hisGetOrganDonate(char* buffer, int32_t* bufLen) {
    return entries_->call<FhisGetOrganDonate>(eHisGetOrganDonate, buffer, bufLen);
}
std::optional<int32_t> LoadedControlSoftware::hiscsGetHospID(char* buffer, int32_t* bufLen) {
    return entries_->call<FcsGetHospID>(eHiscsGetHospID, buffer, bufLen);
}
