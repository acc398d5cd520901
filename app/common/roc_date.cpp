#include "roc_date.h"

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

bool allDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

QString DateTimeToStr7(const QDate& date) {
    if (!date.isValid()) return {};
    const int rocYear = date.year() - kRocOffset;
    const QString year = rocYear >= 0
                             ? QStringLiteral("%1").arg(rocYear, 3, 10, QLatin1Char('0'))
                             : QStringLiteral("-%1").arg(-rocYear, 2, 10, QLatin1Char('0'));
    return year + QStringLiteral("%1%2")
                      .arg(date.month(), 2, 10, QLatin1Char('0'))
                      .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QDate recordDateFromText(QStringView text) {
    const QStringView t = text.trimmed();
    int year = -1, month = -1, day = -1;
    if (t.size() == 7 && allDigits(t)) {
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

QDate rocDateFromText(const QString& text) {
    const QStringView t = QStringView(text).trimmed();
    // Longer text is only a card date-time, whose rest is digits as well.
    if (t.size() > 7 && allDigits(t)) return recordDateFromText(t.first(7));
    return recordDateFromText(t);
}

RocDateTime rocDateTimeFromText(const QString& text) {
    const QString t = text.trimmed();
    RocDateTime r;
    if ((t.size() != 7 && t.size() != 13) || !allDigits(t)) return r;
    const QDate date = recordDateFromText(QStringView(t).first(7));
    if (!date.isValid()) return r;
    if (t.size() == 13) {
        const QTime time(t.sliced(7, 2).toInt(), t.sliced(9, 2).toInt(), t.sliced(11, 2).toInt());
        if (!time.isValid()) return r;
        r.time = time;
        r.hasTime = true;
    }
    r.date = date;
    return r;
}
