#include "fake_control_software.h"

FakeControlSoftware::FakeControlSoftware(const QString& dir) { sim_.setDir(dir); }

bool FakeControlSoftware::LoadLibraryCshis() {
    if (loadable_) loaded_ = true;
    return loaded_;
}

bool FakeControlSoftware::has(const char* exportName) const {
    return loaded_ && exportName != nullptr && !missing_.contains(QString::fromLatin1(exportName));
}

QString FakeControlSoftware::loadError() const {
    return loaded_ || loadable_ ? QString() : QStringLiteral("not beside the program");
}

template <typename Call>
std::optional<int32_t> FakeControlSoftware::enter(const char* exportName, Call call) {
    if (!has(exportName)) return std::nullopt;
    return call();
}

std::optional<int32_t> FakeControlSoftware::csOpenCom(int32_t comPort) {
    return enter("csOpenCom", [&] { return sim_.csOpenCom(comPort); });
}
std::optional<int32_t> FakeControlSoftware::csCloseCom() {
    return enter("csCloseCom", [&] { return sim_.csCloseCom(); });
}
std::optional<int32_t> FakeControlSoftware::csSoftwareReset(int32_t resetType) {
    return enter("csSoftwareReset", [&] { return sim_.csSoftwareReset(resetType); });
}
std::optional<int32_t> FakeControlSoftware::csGetVersionEx(char* hisPath) {
    return enter("csGetVersionEx", [&] { return sim_.csGetVersionEx(hisPath); });
}
std::optional<int32_t> FakeControlSoftware::csVerifySAMDC() {
    return enter("csVerifySAMDC", [&] { return sim_.csVerifySAMDC(); });
}
std::optional<int32_t> FakeControlSoftware::hisGetCardStatus(int32_t cardType) {
    return enter("hisGetCardStatus", [&] { return sim_.hisGetCardStatus(cardType); });
}
std::optional<int32_t> FakeControlSoftware::hpcGetHPCSSN(char* buffer, int32_t* bufLen) {
    return enter("hpcGetHPCSSN", [&] { return sim_.hpcGetHPCSSN(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hpcVerifyHPCPIN() {
    return enter("hpcVerifyHPCPIN", [&] { return sim_.hpcVerifyHPCPIN(); });
}
std::optional<int32_t> FakeControlSoftware::hisGetRegisterBasic(char* buffer, int32_t* bufLen) {
    return enter("hisGetRegisterBasic", [&] { return sim_.hisGetRegisterBasic(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetCriticalIllness(char* buffer, int32_t* bufLen) {
    return enter("hisGetCriticalIllness",
                 [&] { return sim_.hisGetCriticalIllness(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetTreatmentNoNeedHPC(char* buffer,
                                                                     int32_t* bufLen) {
    return enter("hisGetTreatmentNoNeedHPC",
                 [&] { return sim_.hisGetTreatmentNoNeedHPC(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) {
    return enter("hisGetTreatmentNeedHPC",
                 [&] { return sim_.hisGetTreatmentNeedHPC(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisReadPrescription(
    char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
    int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
    char* irritationDrug, int32_t* bufLenIrritation) {
    return enter("hisReadPrescription", [&] {
        return sim_.hisReadPrescription(
            outPatientPrescription, bufLenOutPatient, longTermPrescriptions, bufLenLongTerm,
            importantTreatmentCode, bufLenImportant, irritationDrug, bufLenIrritation);
    });
}
std::optional<int32_t> FakeControlSoftware::hisGetRegisterPrevent(char* buffer, int32_t* bufLen) {
    return enter("hisGetRegisterPrevent",
                 [&] { return sim_.hisGetRegisterPrevent(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetRegisterPregnant(char* buffer, int32_t* bufLen) {
    return enter("hisGetRegisterPregnant",
                 [&] { return sim_.hisGetRegisterPregnant(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetCumulativeData(char* buffer, int32_t* bufLen) {
    return enter("hisGetCumulativeData", [&] { return sim_.hisGetCumulativeData(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetCumulativeFee(char* buffer, int32_t* bufLen) {
    return enter("hisGetCumulativeFee", [&] { return sim_.hisGetCumulativeFee(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetInoculateData(char* buffer, int32_t* bufLen) {
    return enter("hisGetInoculateData", [&] { return sim_.hisGetInoculateData(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hisGetOrganDonate(char* buffer, int32_t* bufLen) {
    return enter("hisGetOrganDonate", [&] { return sim_.hisGetOrganDonate(buffer, bufLen); });
}
std::optional<int32_t> FakeControlSoftware::hiscsGetHospID(char* buffer, int32_t* bufLen) {
    return enter("csGetHospID", [&] { return sim_.csGetHospID(buffer, bufLen); });
}
