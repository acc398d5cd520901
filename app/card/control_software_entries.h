#pragma once
// The control software's 20 entry points, listed once. Every row is
//
//   X(result type, name, export name, (parameters), (arguments))
//
// `name` is what the program calls the entry point; `export name` is the library's C
// name, looked up at run time (the two differ only for hiscsGetHospID, the export
// "csGetHospID"). Buffer arguments are owned by the caller and are always followed by
// a pointer to their length in bytes.
//
// The interface (ControlSoftware), the loaded binding's procedure types and name table,
// the tests' in-process fake and the stand-in library's exports are all expanded from
// this list: an entry point is added or changed here and nowhere else. The list is
// plain preprocessor text with no other dependency, so the stand-in can include it.

#include <cstdint>

// clang-format off
#define TOLVANE_CONTROL_SOFTWARE_ENTRIES(X)                                                   \
    X(int32_t, csOpenCom, csOpenCom, (int32_t comPort), (comPort))                            \
    X(int32_t, csCloseCom, csCloseCom, (), ())                                                \
    X(int32_t, csSoftwareReset, csSoftwareReset, (int32_t resetType), (resetType))            \
    X(int32_t, csGetVersionEx, csGetVersionEx, (char* hisPath), (hisPath))                    \
    X(int32_t, csVerifySAMDC, csVerifySAMDC, (), ())                                          \
    X(int32_t, hisGetCardStatus, hisGetCardStatus, (int32_t cardType), (cardType))            \
    X(int32_t, hpcGetHPCSSN, hpcGetHPCSSN, (char* buffer, int32_t* bufLen), (buffer, bufLen)) \
    X(int32_t, hpcVerifyHPCPIN, hpcVerifyHPCPIN, (), ())                                      \
    X(int32_t, hisGetRegisterBasic, hisGetRegisterBasic, (char* buffer, int32_t* bufLen),     \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetCriticalIllness, hisGetCriticalIllness, (char* buffer, int32_t* bufLen), \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetTreatmentNoNeedHPC, hisGetTreatmentNoNeedHPC,                            \
      (char* buffer, int32_t* bufLen), (buffer, bufLen))                                      \
    X(int32_t, hisGetTreatmentNeedHPC, hisGetTreatmentNeedHPC,                                \
      (char* buffer, int32_t* bufLen), (buffer, bufLen))                                      \
    X(int32_t, hisReadPrescription, hisReadPrescription,                                      \
      (char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,  \
       int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,       \
       char* irritationDrug, int32_t* bufLenIrritation),                                      \
      (outPatientPrescription, bufLenOutPatient, longTermPrescriptions, bufLenLongTerm,       \
       importantTreatmentCode, bufLenImportant, irritationDrug, bufLenIrritation))            \
    X(int32_t, hisGetRegisterPrevent, hisGetRegisterPrevent, (char* buffer, int32_t* bufLen), \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetRegisterPregnant, hisGetRegisterPregnant,                                \
      (char* buffer, int32_t* bufLen), (buffer, bufLen))                                      \
    X(int32_t, hisGetCumulativeData, hisGetCumulativeData, (char* buffer, int32_t* bufLen),   \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetCumulativeFee, hisGetCumulativeFee, (char* buffer, int32_t* bufLen),     \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetInoculateData, hisGetInoculateData, (char* buffer, int32_t* bufLen),     \
      (buffer, bufLen))                                                                       \
    X(int32_t, hisGetOrganDonate, hisGetOrganDonate, (char* buffer, int32_t* bufLen),         \
      (buffer, bufLen))                                                                       \
    X(int32_t, hiscsGetHospID, csGetHospID, (char* buffer, int32_t* bufLen), (buffer, bufLen))
// clang-format on
