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
