#pragma once
// Fixed byte layouts of the card: the buffers the control software fills and the
// records we keep. BasicInfo and tICcardInfo are written byte for byte into the
// query archive, so every size and offset below is a file format and is pinned
// with static_assert. All members are byte arrays: no padding, alignment 1.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

// A text field of at most N bytes: one length byte, then the text in the
// system's ANSI code page. Bytes after the text keep what was there before.
template <int N>
struct LpText {
    std::uint8_t len;
    char text[N];

    // The stored bytes; a length byte larger than the field (a damaged file) is
    // clamped to the field.
    QByteArray bytes() const { return QByteArray(text, len <= N ? int(len) : N); }
    bool isEmpty() const { return len == 0; }
};

// --- the patient's basic data (hisGetRegisterBasic, 78 bytes) ---------------------------

struct BasicInfo {
    char CardNo[12];
    char Name[20];
    char ID[10];
    char BirthDay[7];
    char Gender[1];
    char IssueDay[7];
    char CardUnregistrationMark[1];
    char Insurer[2];
    char InsuredMark[1];
    char ValidDate[7];
    char AvaiableCount[2];
    char NewBornDate[7];
    char NewBornMark[1];
};
static_assert(sizeof(BasicInfo) == 78);
static_assert(offsetof(BasicInfo, Name) == 12);
static_assert(offsetof(BasicInfo, ID) == 32);
static_assert(offsetof(BasicInfo, BirthDay) == 42);
static_assert(offsetof(BasicInfo, Gender) == 49);
static_assert(offsetof(BasicInfo, IssueDay) == 50);
static_assert(offsetof(BasicInfo, CardUnregistrationMark) == 57);
static_assert(offsetof(BasicInfo, Insurer) == 58);
static_assert(offsetof(BasicInfo, InsuredMark) == 60);
static_assert(offsetof(BasicInfo, ValidDate) == 61);
static_assert(offsetof(BasicInfo, AvaiableCount) == 68);
static_assert(offsetof(BasicInfo, NewBornDate) == 70);
static_assert(offsetof(BasicInfo, NewBornMark) == 77);

// The health-promotion library's basic data (hisGetBasicData, 72 bytes).
struct ICbasicData {
    char CardNo[12];
    char Name[20];
    char ID[10];
    char BirthDay[7];
    char Gender[1];
    char IssueDay[7];
    char CardUnregistrationMark[1];
    char EmergencyTel[14];
};
static_assert(sizeof(ICbasicData) == 72);
static_assert(offsetof(ICbasicData, ID) == 32);
static_assert(offsetof(ICbasicData, Gender) == 49);
static_assert(offsetof(ICbasicData, EmergencyTel) == 58);

// The current patient's summary in memory (not persisted).
struct treadCard {
    std::int32_t ChartNo = 0;
    QString name;
    QChar sex;
    QString A17visitDateTimex;
    std::int32_t Status = 0;
    QString A12ID;
    QString A13birthday;
    QString A11CardID;
    QString A20newBornday;
    QChar A21babyNo;
    QChar A24babyvisitNo;
    QChar elderNo;
    QString A16SAMID;
    QString IssueDay;
    QChar CardUnregistrationMark;
    QString Insurer;
    QChar InsuredMark;
    QString ValidDate;
    QString AvaiableCount;
    bool bCritical = false;
    bool bInCriticalDate = false;
};

// --- buffers of the control software ------------------------------------------------

struct tOPD_HOSPITALSub {
    char A23visitType[2];
    char Newborn_Mark[1];
    char VisitDatetime[13];
    char ReturnCard[1];
    char INSUcode[4];
    char HospitalCode[10];
    char OPD_fee[8];
    char OPD_part[8];
    char ADM_fee[8];
    char ADM_partLow[7];
    char ADM_partHigh[7];
};
static_assert(sizeof(tOPD_HOSPITALSub) == 69);
static_assert(offsetof(tOPD_HOSPITALSub, VisitDatetime) == 3);
static_assert(offsetof(tOPD_HOSPITALSub, HospitalCode) == 21);
static_assert(offsetof(tOPD_HOSPITALSub, ADM_partLow) == 55);
static_assert(offsetof(tOPD_HOSPITALSub, ADM_partHigh) == 62);

// hisGetTreatmentNoNeedHPC, 498 bytes.
struct tOPD_Hospital {
    char HeavyDis[84];
    tOPD_HOSPITALSub OPD_hospital[6];
};
static_assert(sizeof(tOPD_Hospital) == 498);
static_assert(offsetof(tOPD_Hospital, OPD_hospital) == 84);

struct tCriticalIllnessSub {
    char ICDcode[9];
    char StartDate[7];
    char EndDate[7];
};
static_assert(sizeof(tCriticalIllnessSub) == 23);

struct tdiagnosisSub {
    char VisitDatetime[13];
    char main[9];
    char sub1[9];
    char sub2[9];
    char sub3[9];
    char sub4[9];
    char sub5[9];
};
static_assert(sizeof(tdiagnosisSub) == 67);
static_assert(offsetof(tdiagnosisSub, sub5) == 58);

// hisGetTreatmentNeedHPC, 540 bytes.
struct tDiagnosis {
    tCriticalIllnessSub CriticalIllness[6];
    tdiagnosisSub ICDcode[6];
};
static_assert(sizeof(tDiagnosis) == 540);
static_assert(offsetof(tDiagnosis, ICDcode) == 138);

struct tOutPrescrSub {
    char p0[13];  // visit date and time
    char p3[1];   // order type
    char p4[12];  // insurance code
    char p6[6];   // site
    char p7[18];  // usage
    char p1[2];   // days
    char p10[7];  // total quantity
    char p2[2];   // dispensing
};
static_assert(sizeof(tOutPrescrSub) == 61);
static_assert(offsetof(tOutPrescrSub, p4) == 14);
static_assert(offsetof(tOutPrescrSub, p7) == 32);
static_assert(offsetof(tOutPrescrSub, p2) == 59);

struct tOutPatientPrescription {
    tOutPrescrSub slot[60];
};
static_assert(sizeof(tOutPatientPrescription) == 3660);

struct tLongTermDrugSub {
    char p0[7];   // issue date
    char p4[10];  // insurance code
    char p7[18];  // usage
    char p1[2];   // days
    char p10[7];  // total quantity
};
static_assert(sizeof(tLongTermDrugSub) == 44);
static_assert(offsetof(tLongTermDrugSub, p10) == 37);

struct tLongtermPrescription {
    tLongTermDrugSub slot[30];
};
static_assert(sizeof(tLongtermPrescription) == 1320);

struct tImportantMxSub {
    char p0[7];   // date
    char t2[10];  // institution code
    char p4[6];   // order code
    char p6[6];   // site
    char p10[7];  // total quantity
};
static_assert(sizeof(tImportantMxSub) == 36);
static_assert(offsetof(tImportantMxSub, p10) == 29);

struct tImportantMx {
    tImportantMxSub slot[10];
};
static_assert(sizeof(tImportantMx) == 360);

struct tallergy {
    char s1[40];
    char s2[40];
    char s3[40];
};
static_assert(sizeof(tallergy) == 120);

struct tpreventSub {
    char preventType[2];
    char shortDate[7];
    char HospitalCode[10];
    char examCode[2];
};
static_assert(sizeof(tpreventSub) == 21);

struct tprevent {
    tpreventSub entry[6];
};
static_assert(sizeof(tprevent) == 126);

struct tpregnantSub {
    char shortDate[7];
    char HospitalCode[10];
    char examCode[2];
};
static_assert(sizeof(tpregnantSub) == 19);

struct tpregnant {
    tpregnantSub entry[11];
};
static_assert(sizeof(tpregnant) == 209);

struct tFeeDataSub {
    char theYear[3];
    char visitNo[4];
    char OPD_Fee[10];
    char ADM_Fee[10];
    char OPD_part[8];
    char ADM_partLow[8];
    char ADM_partHigh[8];
    char allPart[8];
    char allPartLow[8];
};
static_assert(sizeof(tFeeDataSub) == 67);

struct tFeeYear {
    tFeeDataSub year[2];
};
static_assert(sizeof(tFeeYear) == 134);

struct tFeeAll {
    char OPD_Fee[10];
    char ADM_Fee[10];
};
static_assert(sizeof(tFeeAll) == 20);

struct tInoculateSub {
    char INSUcode[6];
    char shortDate[7];
    char hospitalCode[10];
    char serialNo[12];
};
static_assert(sizeof(tInoculateSub) == 35);

struct tInoculate {
    tInoculateSub entry[40];
};
static_assert(sizeof(tInoculate) == 1400);

// --- the card record we keep (archived byte for byte) -------------------------------

struct tICcardHx {
    LpText<13> visitDateTime;
    LpText<10> hospitalCode;
    LpText<64> hospitalName;
    LpText<2> VisitType;
    LpText<1> ReturnCard;
    LpText<1> Newborn_Mark;
    LpText<4> INSUcard;
    LpText<7> OPD_Fee;
    LpText<7> OPD_part;
    LpText<7> ADM_Fee;
    LpText<7> ADM_partLow;
    LpText<7> ADM_partHigh;
    LpText<128> IMP;
};
static_assert(sizeof(tICcardHx) == 271);
static_assert(offsetof(tICcardHx, hospitalCode) == 14);
static_assert(offsetof(tICcardHx, hospitalName) == 25);
static_assert(offsetof(tICcardHx, VisitType) == 90);
static_assert(offsetof(tICcardHx, ReturnCard) == 93);
static_assert(offsetof(tICcardHx, Newborn_Mark) == 95);
static_assert(offsetof(tICcardHx, INSUcard) == 97);
static_assert(offsetof(tICcardHx, OPD_Fee) == 102);
static_assert(offsetof(tICcardHx, OPD_part) == 110);
static_assert(offsetof(tICcardHx, ADM_Fee) == 118);
static_assert(offsetof(tICcardHx, ADM_partLow) == 126);
static_assert(offsetof(tICcardHx, ADM_partHigh) == 134);
static_assert(offsetof(tICcardHx, IMP) == 142);

struct tCriticalIllness {
    LpText<40> DX;
    LpText<7> StartDate;
    LpText<7> EndDate;
};
static_assert(sizeof(tCriticalIllness) == 57);
static_assert(offsetof(tCriticalIllness, StartDate) == 41);
static_assert(offsetof(tCriticalIllness, EndDate) == 49);

struct tICcardInfo {
    tICcardHx Hx[6];
    tCriticalIllness CriticalIllness[6];
    tOutPatientPrescription MX;
    tLongtermPrescription LongTermDrug;
    tImportantMx ImportantMx;
    tallergy allergyHX;
    tprevent preventX;
    tpregnant pregnantX;
    char ReferralNote[501];  // zero-terminated
    LpText<12> A11CardID;
    LpText<12> SamId;
    LpText<20> ClientRandom;
    char Signature[513];  // zero-terminated
};
static_assert(sizeof(tICcardInfo) == 8824);
static_assert(offsetof(tICcardInfo, CriticalIllness) == 1626);
static_assert(offsetof(tICcardInfo, MX) == 1968);
static_assert(offsetof(tICcardInfo, LongTermDrug) == 5628);
static_assert(offsetof(tICcardInfo, ImportantMx) == 6948);
static_assert(offsetof(tICcardInfo, allergyHX) == 7308);
static_assert(offsetof(tICcardInfo, preventX) == 7428);
static_assert(offsetof(tICcardInfo, pregnantX) == 7554);
static_assert(offsetof(tICcardInfo, ReferralNote) == 7763);
static_assert(offsetof(tICcardInfo, A11CardID) == 8264);
static_assert(offsetof(tICcardInfo, SamId) == 8277);
static_assert(offsetof(tICcardInfo, ClientRandom) == 8290);
static_assert(offsetof(tICcardInfo, Signature) == 8311);

// The placeholder written into code slots before a read, so that slots the
// control software leaves untouched are recognisable.
inline constexpr char constICD10code[] = "[XXXXXXX]";
static_assert(sizeof(constICD10code) - 1 == 9);

template <typename T>
void zeroRecord(T& record) {
    std::memset(static_cast<void*>(&record), 0, sizeof(T));
}
