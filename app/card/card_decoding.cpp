#include "card/card_decoding.h"

#include <QChar>
#include <QStringList>
#include <array>

#include "card/card_fields.h"

namespace {
// The codes of the visit-type table; only the codes are used.
constexpr std::array<const char*, 33> kVisitTypeCodes = {
    "00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "AA",
    "AB", "AC", "AD", "AE", "AF", "AG", "AH", "AI", "AJ", "AK", "B7",
    "BA", "BB", "BC", "BD", "BE", "BF", "CA", "DA", "DB", "DC", "EA"};

// An 8-byte fee lands in a 7-byte field. A fee written with leading zeros loses
// one of them rather than its last digit; any other keeps its first 7 bytes.
QByteArray fee(const char (&source)[8]) {
    QByteArray b = fieldAnsi(source);
    if (b.size() == 8 && b.front() == '0') b.remove(0, 1);
    return b;
}

QChar byteChar(const char (&b)[1]) { return QChar(static_cast<unsigned char>(b[0])); }

const QLatin1StringView kPlaceholder(constICD10code);

// Lookups that met an unusable database are remembered, so the caller reports it once.
struct DiagnosisNamer {
    CardCodeLookups& names;
    bool databaseOk = true;

    QString piece(const QString& code) {
        const std::optional<QString> name = names.diagnosisName(code);
        if (!name) databaseOk = false;
        return code + QLatin1Char('_') + name.value_or(QString::fromLatin1(kUnknownIcd10Text));
    }
};
}  // namespace

bool isKnownVisitType(const QString& code) {
    for (const char* c : kVisitTypeCodes)
        if (code == QLatin1StringView(c)) return true;
    return false;
}

void decodeBasicInfo(const BasicInfo& in, treadCard& out) {
    out.name = fieldText(in.Name);
    out.sex = byteChar(in.Gender);
    out.Status = 0;
    out.A12ID = fieldText(in.ID);
    out.A13birthday = fieldText(in.BirthDay);
    out.A11CardID = fieldText(in.CardNo);
    out.A20newBornday = fieldText(in.NewBornDate);
    out.A21babyNo = byteChar(in.NewBornMark);
    out.IssueDay = fieldText(in.IssueDay);
    out.CardUnregistrationMark = byteChar(in.CardUnregistrationMark);
    out.Insurer = fieldText(in.Insurer);
    out.InsuredMark = byteChar(in.InsuredMark);
    out.ValidDate = fieldText(in.ValidDate);
    out.AvaiableCount = fieldText(in.AvaiableCount);
}

void decodeVisits(const tOPD_Hospital& in, tICcardInfo& out, CardCodeLookups& names) {
    for (int i = 0; i < 6; ++i) {
        const tOPD_HOSPITALSub& v = in.OPD_hospital[i];
        tICcardHx& hx = out.Hx[i];
        setAnsi(hx.visitDateTime, fieldAnsi(v.VisitDatetime));
        const QByteArray code = fieldAnsi(v.HospitalCode);
        setAnsi(hx.hospitalCode, code);
        setAnsi(hx.INSUcard, fieldAnsi(v.INSUcode));
        setAnsi(hx.OPD_Fee, fee(v.OPD_fee));
        setAnsi(hx.OPD_part, fee(v.OPD_part));
        setAnsi(hx.ADM_Fee, fee(v.ADM_fee));
        setAnsi(hx.ADM_partLow, fieldAnsi(v.ADM_partLow));
        setAnsi(hx.ADM_partHigh, fieldAnsi(v.ADM_partHigh));
        setText(hx.hospitalName, names.hospitalName(text(hx.hospitalCode)));
        setAnsi(hx.ReturnCard, QByteArrayView(v.ReturnCard, 1));
        setAnsi(hx.Newborn_Mark, QByteArrayView(v.Newborn_Mark, 1));
        const QString type = fieldText(v.A23visitType);
        if (isKnownVisitType(type))
            setText(hx.VisitType, type);
        else
            hx.VisitType.len = 0;
    }
}

void prepareDiagnosisBuffer(tDiagnosis& buffer) {
    zeroRecord(buffer);
    for (auto& c : buffer.CriticalIllness) std::memcpy(c.ICDcode, constICD10code, 9);
    for (auto& d : buffer.ICDcode) {
        for (char* slot : {d.main, d.sub1, d.sub2, d.sub3, d.sub4, d.sub5})
            std::memcpy(slot, constICD10code, 9);
    }
}

bool decodeDiagnoses(const tDiagnosis& in, tICcardInfo& out, CardCodeLookups& names) {
    DiagnosisNamer namer{names};
    for (int j = 0; j < int(std::size(in.ICDcode)); ++j) {
        const tdiagnosisSub& d = in.ICDcode[j];
        const QByteArray date = fieldAnsi(d.VisitDatetime);
        // Two visits of one date and time each have their own entry: the k-th entry
        // of a date goes to the k-th visit of that date. Only entries beyond the
        // number of such visits have no visit of their own and go to all of them.
        int earlier = 0;
        for (int i = 0; i < j; ++i)
            if (fieldAnsi(in.ICDcode[i].VisitDatetime) == date) ++earlier;
        int sameDate = 0;
        for (const tICcardHx& hx : out.Hx)
            if (hx.visitDateTime.bytes() == date) ++sameDate;
        if (sameDate == 0) continue;
        QStringList pieces;
        for (const char* slot : {d.main, d.sub1, d.sub2, d.sub3, d.sub4, d.sub5}) {
            const QString code = fieldText(QByteArrayView(slot, 9));
            if (!code.isEmpty()) pieces << namer.piece(code);
        }
        int k = 0;
        for (tICcardHx& hx : out.Hx) {
            if (hx.visitDateTime.bytes() != date) continue;
            if (earlier >= sameDate || k++ == earlier)
                setText(hx.IMP, pieces.join(QLatin1Char('`')));
        }
    }
    for (int i = 0; i < 6; ++i) {
        const tCriticalIllnessSub& c = in.CriticalIllness[i];
        const QString code = fieldText(c.ICDcode);
        // A slot that still holds the placeholder was not filled by the card.
        if (code.isEmpty() || code == kPlaceholder) continue;
        tCriticalIllness& ci = out.CriticalIllness[i];
        setText(ci.DX, namer.piece(code));
        setAnsi(ci.StartDate, fieldAnsi(c.StartDate));
        setAnsi(ci.EndDate, fieldAnsi(c.EndDate));
    }
    return namer.databaseOk;
}

QString CodeTableLookups::hospitalName(const QString& code) {
    return hospitals_.HosCodeToName(code);
}

std::optional<QString> CodeTableLookups::diagnosisName(const QString& code) {
    const DiagnosisName n = diagnoses_.lookup(code);
    if (n.status == DiagnosisStatus::Unavailable) return std::nullopt;
    return n.text;
}
