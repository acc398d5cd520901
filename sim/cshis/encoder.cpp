#include "encoder.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace simcshis {
namespace {

// A double-byte CP950 character starts with a byte of 0x81 to 0xFE.
bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

QByteArray spaces(int size) { return QByteArray(size, ' '); }

template <typename T>
void entries(QByteArray& buf, int offset, int entrySize, int count, const QList<T>& items,
             void (*put)(char*, const T&)) {
    const int n = std::min<int>(count, static_cast<int>(items.size()));
    for (int i = 0; i < n; ++i) put(buf.data() + offset + i * entrySize, items[i]);
}

}  // namespace

QByteArray toCp950(const QString& s) {
    QByteArray out;
    iconv_t cd = iconv_open("CP950", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (QChar c : s) out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
        return out;
    }
    // One character at a time, so a character the code page lacks becomes one '?'.
    for (qsizetype i = 0; i < s.size(); ++i) {
        const qsizetype len = (s[i].isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
        QByteArray in = s.mid(i, len).toUtf8();
        i += len - 1;
        char buf[8];
        char* inPtr = in.data();
        size_t inLeft = static_cast<size_t>(in.size());
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0) {
            out += '?';
        } else {
            out.append(buf, static_cast<qsizetype>(outPtr - buf));
        }
    }
    iconv_close(cd);
    return out;
}

void putText(char* dst, int width, const QString& s) {
    const QByteArray bytes = toCp950(s);
    int n = 0;
    // Copy whole characters only: a lead byte whose trail byte would not fit stays out.
    while (n < bytes.size()) {
        const int step = isLeadByte(static_cast<unsigned char>(bytes[n])) ? 2 : 1;
        if (n + step > width) break;
        n += step;
    }
    std::memcpy(dst, bytes.constData(), static_cast<size_t>(n));
    std::memset(dst + n, ' ', static_cast<size_t>(width - n));
}

void putDigits(char* dst, int width, const QString& s) {
    const QString t = s.trimmed();
    const bool digits =
        !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
    if (!digits || t.size() >= width) {
        putText(dst, width, t);
        return;
    }
    putText(dst, width, QString(width - t.size(), QLatin1Char('0')) + t);
}

QByteArray encodeBasic(const sim::PatientCard& p) {
    QByteArray b = spaces(kBasicSize);
    char* d = b.data();
    putText(d + 0, 12, p.cardNo);
    putText(d + 12, 20, p.name);
    putText(d + 32, 10, p.id);
    putText(d + 42, 7, p.birthday);
    putText(d + 49, 1, p.sex);
    putText(d + 50, 7, p.issueDay);
    putText(d + 57, 1, p.cancelMark);
    putText(d + 58, 2, p.insurer);
    putText(d + 60, 1, p.insuredMark);
    putText(d + 61, 7, p.validDate);
    putDigits(d + 68, 2, p.availableCount);
    putText(d + 70, 7, p.newbornDate);
    putText(d + 77, 1, p.newbornMark);
    return b;
}

QByteArray encodeBasicData(const sim::PatientCard& p) {
    QByteArray b = spaces(kBasicDataSize);
    char* d = b.data();
    putText(d + 0, 12, p.cardNo);
    putText(d + 12, 20, p.name);
    putText(d + 32, 10, p.id);
    putText(d + 42, 7, p.birthday);
    putText(d + 49, 1, p.sex);
    putText(d + 50, 7, p.issueDay);
    putText(d + 57, 1, p.cancelMark);
    putText(d + 58, 14, p.emergencyTel);
    return b;
}

// Six visits of 69 bytes after 84 bytes of critical-illness marks, which are left blank.
QByteArray encodeTreatmentNoNeedHpc(const sim::PatientCard& p) {
    QByteArray b = spaces(kTreatmentNoNeedHpcSize);
    entries<sim::Visit>(b, 84, 69, 6, p.visits, [](char* d, const sim::Visit& v) {
        putText(d + 0, 2, v.type);
        putText(d + 2, 1, v.newborn);
        putText(d + 3, 13, v.dateTime);
        putText(d + 16, 1, v.returnCard);
        putDigits(d + 17, 4, v.serial);
        putText(d + 21, 10, v.hospital);
        putDigits(d + 31, 8, v.opdFee);
        putDigits(d + 39, 8, v.opdPart);
        putDigits(d + 47, 8, v.admFee);
        putDigits(d + 55, 7, v.admPartLow);
        putDigits(d + 62, 7, v.admPartHigh);
    });
    return b;
}

namespace {

void putIllness(char* d, const sim::CriticalIllness& c) {
    putText(d + 0, 9, c.code);
    putText(d + 9, 7, c.start);
    putText(d + 16, 7, c.end);
}

}  // namespace

void encodeCriticalIllness(const sim::PatientCard& p, QByteArray& buffer) {
    buffer.resize(kCriticalIllnessSize, '\0');
    entries<sim::CriticalIllness>(buffer, 0, 23, 6, p.criticalIllnesses, putIllness);
}

// Six illnesses of 23 bytes, then six diagnosis entries of 67 bytes, one per visit in the
// order of the visits: date and time, the main code and five sub codes of 9 bytes.
void encodeTreatmentNeedHpc(const sim::PatientCard& p, QByteArray& buffer) {
    buffer.resize(kTreatmentNeedHpcSize, '\0');
    entries<sim::CriticalIllness>(buffer, 0, 23, 6, p.criticalIllnesses, putIllness);
    for (int j = 0; j < 6; ++j) {
        char* d = buffer.data() + 138 + j * 67;
        if (j >= p.visits.size()) {
            std::memset(d, ' ', 67);
            continue;
        }
        const sim::Visit& v = p.visits[j];
        putText(d, 13, v.dateTime);
        for (int k = 0; k < 6; ++k) {
            if (k < v.dx.size() && !v.dx[k].has_value()) continue;  // left untouched
            putText(d + 13 + k * 9, 9, k < v.dx.size() ? *v.dx[k] : QString());
        }
    }
}

QByteArray encodeOutPatientPrescription(const sim::PatientCard& p) {
    QByteArray b = spaces(kOutPatientSize);
    entries<sim::Prescription>(b, 0, 61, 60, p.prescriptions,
                               [](char* d, const sim::Prescription& x) {
                                   putText(d + 0, 13, x.dateTime);
                                   putText(d + 13, 1, x.orderType);
                                   putText(d + 14, 12, x.code);
                                   putText(d + 26, 6, x.site);
                                   putText(d + 32, 18, x.usage);
                                   putDigits(d + 50, 2, x.days);
                                   putText(d + 52, 7, x.total);
                                   putText(d + 59, 2, x.dispensing);
                               });
    return b;
}

QByteArray encodeLongTermPrescription(const sim::PatientCard& p) {
    QByteArray b = spaces(kLongTermSize);
    entries<sim::LongTermDrug>(b, 0, 44, 30, p.longTermDrugs,
                               [](char* d, const sim::LongTermDrug& x) {
                                   putText(d + 0, 7, x.issueDate);
                                   putText(d + 7, 10, x.code);
                                   putText(d + 17, 18, x.usage);
                                   putDigits(d + 35, 2, x.days);
                                   putText(d + 37, 7, x.total);
                               });
    return b;
}

QByteArray encodeImportantTreatment(const sim::PatientCard& p) {
    QByteArray b = spaces(kImportantSize);
    entries<sim::MajorOrder>(b, 0, 36, 10, p.majorOrders, [](char* d, const sim::MajorOrder& x) {
        putText(d + 0, 7, x.date);
        putText(d + 7, 10, x.hospital);
        putText(d + 17, 6, x.code);
        putText(d + 23, 6, x.site);
        putText(d + 29, 7, x.total);
    });
    return b;
}

QByteArray encodeAllergy(const sim::PatientCard& p) {
    QByteArray b = spaces(kAllergySize);
    for (int i = 0; i < 3 && i < p.allergies.size(); ++i)
        putText(b.data() + i * 40, 40, p.allergies[i]);
    return b;
}

QByteArray encodePrevent(const sim::PatientCard& p) {
    QByteArray b = spaces(kPreventSize);
    entries<sim::PreventiveCare>(b, 0, 21, 6, p.preventiveCare,
                                 [](char* d, const sim::PreventiveCare& x) {
                                     putText(d + 0, 2, x.type);
                                     putText(d + 2, 7, x.date);
                                     putText(d + 9, 10, x.hospital);
                                     putText(d + 19, 2, x.exam);
                                 });
    return b;
}

QByteArray encodePregnant(const sim::PatientCard& p) {
    QByteArray b = spaces(kPregnantSize);
    entries<sim::PregnancyExam>(b, 0, 19, 11, p.pregnancyExams,
                                [](char* d, const sim::PregnancyExam& x) {
                                    putText(d + 0, 7, x.date);
                                    putText(d + 7, 10, x.hospital);
                                    putText(d + 17, 2, x.exam);
                                });
    return b;
}

QByteArray encodeCumulativeData(const sim::PatientCard& p) {
    QByteArray b = spaces(kCumulativeDataSize);
    entries<sim::CumulativeYear>(b, 0, 67, 2, p.cumulative,
                                 [](char* d, const sim::CumulativeYear& x) {
                                     putDigits(d + 0, 3, x.year);
                                     putDigits(d + 3, 4, x.visits);
                                     putDigits(d + 7, 10, x.opdFee);
                                     putDigits(d + 17, 10, x.admFee);
                                     putDigits(d + 27, 8, x.opdPart);
                                     putDigits(d + 35, 8, x.admPartLow);
                                     putDigits(d + 43, 8, x.admPartHigh);
                                     putDigits(d + 51, 8, x.allPart);
                                     putDigits(d + 59, 8, x.allPartLow);
                                 });
    return b;
}

QByteArray encodeCumulativeFee(const sim::PatientCard& p) {
    QByteArray b = spaces(kCumulativeFeeSize);
    putDigits(b.data() + 0, 10, p.cumulativeOpdFee);
    putDigits(b.data() + 10, 10, p.cumulativeAdmFee);
    return b;
}

QByteArray encodeInoculate(const sim::PatientCard& p) {
    QByteArray b = spaces(kInoculateSize);
    entries<sim::Inoculation>(b, 0, 35, 40, p.inoculations, [](char* d, const sim::Inoculation& x) {
        putText(d + 0, 6, x.code);
        putText(d + 6, 7, x.date);
        putText(d + 13, 10, x.hospital);
        putText(d + 23, 12, x.lot);
    });
    return b;
}

QByteArray encodeOrganDonate(const sim::PatientCard& p) {
    QByteArray b = spaces(kOrganDonateSize);
    putText(b.data(), 1, p.organDonation);
    return b;
}

}  // namespace simcshis
