#include "report/report_sort.h"

#include <QDate>

#include "common/roc_date.h"
#include "report/filter_rules.h"

namespace report {

bool isDateKey(const QString& caption) { return caption.contains(QStringLiteral("日期")); }

namespace {

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
    const QDate date = recordDateFromText(value);
    if (!date.isValid()) return false;
    *day = static_cast<double>(date.toJulianDay());
    return true;
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

}  // namespace report
