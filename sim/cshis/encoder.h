#pragma once
// Encodes the readable fixture card into the byte layouts the control software returns.
//
// The offsets are written out here on their own, from the layout tables of the card
// buffers, and deliberately share nothing with the program's record structs: the
// program's decoding is then checked against an independent encoder.
//
// Text is CP950; a character CP950 cannot hold becomes '?'. Text fields are left-aligned
// and padded with spaces; a text longer than its field is cut at the last whole character.
// Digit fields (fees, counts, days, years, serial numbers) are right-aligned and padded
// with zeros when they hold only digits. Unused entries are spaces.

#include <QByteArray>
#include <QString>

#include "card_state.h"

namespace simcshis {

// Sizes of the buffers, in bytes.
inline constexpr int kBasicSize = 78;
inline constexpr int kBasicDataSize = 72;
inline constexpr int kTreatmentNoNeedHpcSize = 498;
inline constexpr int kTreatmentNeedHpcSize = 540;
inline constexpr int kCriticalIllnessSize = 138;
inline constexpr int kOutPatientSize = 3660;
inline constexpr int kLongTermSize = 1320;
inline constexpr int kImportantSize = 360;
inline constexpr int kAllergySize = 120;
inline constexpr int kPreventSize = 126;
inline constexpr int kPregnantSize = 209;
inline constexpr int kCumulativeDataSize = 134;
inline constexpr int kCumulativeFeeSize = 20;
inline constexpr int kInoculateSize = 1400;
inline constexpr int kOrganDonateSize = 1;

// CP950 bytes of `s`; '?' for each character the code page lacks.
QByteArray toCp950(const QString& s);

// Writes `s` into `width` bytes at `dst` (see above).
void putText(char* dst, int width, const QString& s);
void putDigits(char* dst, int width, const QString& s);

QByteArray encodeBasic(const sim::PatientCard& p);      // hisGetRegisterBasic
QByteArray encodeBasicData(const sim::PatientCard& p);  // the health-promotion basic data
QByteArray encodeTreatmentNoNeedHpc(const sim::PatientCard& p);
// Writes over the caller's 540 bytes: slots the card leaves empty keep their content.
void encodeTreatmentNeedHpc(const sim::PatientCard& p, QByteArray& buffer);
// Writes over the caller's 138 bytes; slots beyond the card's illnesses are left as they are.
void encodeCriticalIllness(const sim::PatientCard& p, QByteArray& buffer);
QByteArray encodeOutPatientPrescription(const sim::PatientCard& p);
QByteArray encodeLongTermPrescription(const sim::PatientCard& p);
QByteArray encodeImportantTreatment(const sim::PatientCard& p);
QByteArray encodeAllergy(const sim::PatientCard& p);
QByteArray encodePrevent(const sim::PatientCard& p);
QByteArray encodePregnant(const sim::PatientCard& p);
QByteArray encodeCumulativeData(const sim::PatientCard& p);
QByteArray encodeCumulativeFee(const sim::PatientCard& p);
QByteArray encodeInoculate(const sim::PatientCard& p);
QByteArray encodeOrganDonate(const sim::PatientCard& p);

}  // namespace simcshis
