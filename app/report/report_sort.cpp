#include "report/report_sort.h"

#include <QDate>

#include "report/filter_rules.h"

namespace cloud {

bool isDateKey(const QString& caption) { return caption.contains(QStringLiteral("日期")); }

namespace {

bool allDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

bool dayOf(int year, int month, int day, double* out) {
    const QDate date(year, month, day);
    if (!date.isValid()) return false;
    *out = static_cast<double>(date.toJulianDay());
    return true;
}

bool parseNumber(QStringView s, double* out) {
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= u'0' && s[i] <= u'9')
            ++digits;
        else if (s[i] == u'.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0) return false;
    bool ok = false;
    *out = s.toDouble(&ok);
    return ok;
}

}  // namespace

bool parseReportDate(const QString& value, double* day) {
    const QStringView s = QStringView(value).trimmed();
    if (s.size() == 7 && allDigits(s))
        return dayOf(s.first(3).toInt() + 1911, s.sliced(3, 2).toInt(), s.sliced(5, 2).toInt(),
                     day);
    const qsizetype a = s.indexOf(u'/');
    const qsizetype b = a < 0 ? -1 : s.indexOf(u'/', a + 1);
    if (b < 0) return false;
    const QStringView y = s.first(a);
    const QStringView m = s.sliced(a + 1, b - a - 1);
    const QStringView d = s.sliced(b + 1);
    if (!allDigits(y) || !allDigits(m) || !allDigits(d) || y.size() > 4 || m.size() > 2 ||
        d.size() > 2)
        return false;
    const int year = y.toInt();
    return dayOf(y.size() == 4 ? year : year + 1911, m.toInt(), d.toInt(), day);
}

SortValue sortValueOf(const QString& cell, bool dateKey) {
    SortValue v;
    if (dateKey && parseReportDate(cell, &v.number)) {
        v.cls = SortValue::Date;
        return v;
    }
    if (parseNumber(QStringView(cell).trimmed(), &v.number)) {
        v.cls = SortValue::Number;
        return v;
    }
    v.text = foldAZ(cell);
    return v;
}

int compareSortValues(const SortValue& a, const SortValue& b, bool newestFirst) {
    if (a.cls != b.cls) return a.cls < b.cls ? -1 : 1;
    if (a.cls == SortValue::Text) return a.text.compare(b.text);
    const int c = a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    return a.cls == SortValue::Date && newestFirst ? -c : c;
}

}  // namespace cloud
