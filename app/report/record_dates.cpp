#include "report/record_dates.h"

namespace cloud {

namespace {

constexpr int kRocOffset = 1911;

// A run of 1..maxDigits ASCII digits, or -1.
int digits(QStringView part, int maxDigits) {
    if (part.isEmpty() || part.size() > maxDigits) return -1;
    int value = 0;
    for (QChar c : part) {
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

QDate parseRecordDate(QStringView text) {
    const QStringView t = text.trimmed();
    int year = -1, month = -1, day = -1;
    if (t.size() == 7 && digits(t, 7) >= 0) {
        year = digits(t.first(3), 3) + kRocOffset;
        month = digits(t.sliced(3, 2), 2);
        day = digits(t.sliced(5, 2), 2);
    } else {
        const qsizetype a = t.indexOf(u'/');
        const qsizetype b = a < 0 ? -1 : t.indexOf(u'/', a + 1);
        if (b < 0 || t.indexOf(u'/', b + 1) >= 0) return {};
        const QStringView y = t.first(a);
        year = y.size() == 4 ? digits(y, 4) : digits(y, 3);
        if (year < 0) return {};
        // A four-digit year is the common era's; shorter ones count from 1912.
        if (y.size() < 4) year += kRocOffset;
        month = digits(t.sliced(a + 1, b - a - 1), 2);
        day = digits(t.sliced(b + 1), 2);
    }
    if (month < 1 || day < 1) return {};
    return QDate(year, month, day);  // invalid when the day does not exist
}

}  // namespace cloud
