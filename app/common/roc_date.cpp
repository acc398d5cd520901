#include "roc_date.h"

QString DateTimeToStr7(const QDate& date) {
    if (!date.isValid()) return {};
    const int rocYear = date.year() - 1911;
    const QString year = rocYear >= 0
                             ? QStringLiteral("%1").arg(rocYear, 3, 10, QLatin1Char('0'))
                             : QStringLiteral("-%1").arg(-rocYear, 2, 10, QLatin1Char('0'));
    return year + QStringLiteral("%1%2")
                      .arg(date.month(), 2, 10, QLatin1Char('0'))
                      .arg(date.day(), 2, 10, QLatin1Char('0'));
}

namespace {
bool allDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}
}  // namespace

QDate rocDateFromText(const QString& text) {
    const QString t = text.trimmed();
    int year = 0, month = 0, day = 0;
    if (t.contains(QLatin1Char('/'))) {
        const QStringList parts = t.split(QLatin1Char('/'));
        if (parts.size() != 3) return {};
        for (const QString& p : parts)
            if (!allDigits(p) || p.size() > 3) return {};
        year = parts[0].toInt();
        month = parts[1].toInt();
        day = parts[2].toInt();
    } else {
        if (t.size() < 7 || !allDigits(QStringView(t).first(7))) return {};
        year = QStringView(t).first(3).toInt();
        month = QStringView(t).sliced(3, 2).toInt();
        day = QStringView(t).sliced(5, 2).toInt();
        // Longer text is only a card date-time, whose rest is digits as well.
        if (t.size() > 7 && !allDigits(QStringView(t).sliced(7))) return {};
    }
    return QDate(year + 1911, month, day);  // invalid for a day that does not exist
}

RocDateTime rocDateTimeFromText(const QString& text) {
    const QString t = text.trimmed();
    RocDateTime r;
    if ((t.size() != 7 && t.size() != 13) || !allDigits(t)) return r;
    const QDate date = rocDateFromText(t.first(7));
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
