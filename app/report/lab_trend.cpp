#include "report/lab_trend.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <numeric>

#include "common/roc_date.h"
#include "report/lab_units.h"

namespace report {

namespace {

// A plain decimal number: no exponent, no "inf" or "nan", thousands written with commas.
std::optional<double> decimal(QString t) {
    static const QRegularExpression plain(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    static const QRegularExpression grouped(QStringLiteral(R"(^[+-]?\d{1,3}(,\d{3})+(\.\d*)?$)"));
    t = t.trimmed();
    if (grouped.match(t).hasMatch())
        t.remove(u',');
    else if (!plain.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// The comparison in front of a number ("<", "<=", ">", ">=", also the full-width
// forms), and the rest of the text.
QString splitMarker(QString& t) {
    t = t.trimmed();
    static const QList<QPair<QString, QString>> forms = {
        {"<=", "<="}, {">=", ">="}, {"≦", "<="}, {"≧", ">="},
        {"＜", "<"},  {"＞", ">"},  {"<", "<"},  {">", ">"},
    };
    for (const auto& [written, marker] : forms)
        if (t.startsWith(written)) {
            t = t.mid(written.size());
            return marker;
        }
    return {};
}

int decimalsOf(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    return dot < 0 ? 0 : int(text.size() - dot - 1);
}

}  // namespace

bool ReferenceRange::contains(double value) const {
    if (low && (lowInclusive ? value < *low : value <= *low)) return false;
    if (high && (highInclusive ? value > *high : value >= *high)) return false;
    return true;
}

std::optional<ReferenceRange> parseReferenceRange(const QString& text) {
    const QString t = text.trimmed();
    ReferenceRange r;
    static const QRegularExpression between(
        QStringLiteral(R"(^([+-]?[\d.,]+)\s*[-~～]\s*([+-]?[\d.,]+)$)"));
    static const QRegularExpression brackets(QStringLiteral(R"(^\[([^\]]*)\]\s*\[([^\]]*)\]$)"));
    if (const auto m = between.match(t); m.hasMatch()) {
        r.low = decimal(m.captured(1));
        r.high = decimal(m.captured(2));
        if (!r.low || !r.high) return std::nullopt;
    } else if (const auto b = brackets.match(t); b.hasMatch()) {
        const QString lo = b.captured(1).trimmed(), hi = b.captured(2).trimmed();
        if (!lo.isEmpty() && !(r.low = decimal(lo))) return std::nullopt;
        if (!hi.isEmpty() && !(r.high = decimal(hi))) return std::nullopt;
        if (!r.low && !r.high) return std::nullopt;
    } else {
        QString rest = t;
        const QString marker = splitMarker(rest);
        if (marker.isEmpty()) return std::nullopt;
        const auto bound = decimal(rest);
        if (!bound) return std::nullopt;
        if (marker.startsWith(u'<')) {
            r.high = bound;
            r.highInclusive = marker == QLatin1String("<=");
        } else {
            r.low = bound;
            r.lowInclusive = marker == QLatin1String(">=");
        }
    }
    if (r.low && r.high && *r.low > *r.high) return std::nullopt;
    return r;
}

std::optional<LabValue> parseLabValue(const QString& text) {
    QString rest = text;
    LabValue v;
    v.marker = splitMarker(rest);
    const auto number = decimal(rest);
    if (!number) return std::nullopt;
    v.value = *number;
    return v;
}

namespace {

// Out of range only when certain: "<0.5" is below a low bound of 1, but may lie
// anywhere under a high bound.
bool outside(const LabValue& v, const ReferenceRange& r) {
    if (v.marker.isEmpty()) return !r.contains(v.value);
    if (v.marker.startsWith(u'<')) {
        if (!r.low) return false;
        const bool strict = v.marker == QLatin1String("<") || !r.lowInclusive;
        return strict ? v.value <= *r.low : v.value < *r.low;
    }
    if (!r.high) return false;
    const bool strict = v.marker == QLatin1String(">") || !r.highInclusive;
    return strict ? v.value >= *r.high : v.value > *r.high;
}

struct LabColumns {
    int orderName = columnIndex(Kind::Lab, QStringLiteral("醫令名稱"));
    int item = columnIndex(Kind::Lab, QStringLiteral("檢驗項目"));
    int result = columnIndex(Kind::Lab, QStringLiteral("檢驗結果"));
    int reference = columnIndex(Kind::Lab, QStringLiteral("參考值"));
    int code = columnIndex(Kind::Lab, QStringLiteral("醫令代碼"));
    int reportDate = columnIndex(Kind::Lab, QStringLiteral("報告日期"));
    int unit = columnIndex(Kind::Lab, QStringLiteral("單位"));
};

QString itemOf(const CloudRow& r, const LabColumns& c) {
    const QString item = r.cell(c.item).trimmed();
    return item.isEmpty() ? r.cell(c.orderName).trimmed() : item;
}

}  // namespace

TrendSeries extractTrendSeries(const CloudTable& lab, int row) {
    TrendSeries s;
    if (row < 0 || row >= lab.rows.size()) return s;
    const LabColumns c;
    s.code = lab.rows.at(row).cell(c.code).trimmed();
    s.item = itemOf(lab.rows.at(row), c);

    QList<std::optional<ReferenceRange>> ranges;
    QList<QString> units;
    for (int i = 0; i < lab.rows.size(); ++i) {
        const CloudRow& r = lab.rows.at(i);
        if (r.cell(c.code).trimmed() != s.code || itemOf(r, c) != s.item) continue;
        const QString result = r.cell(c.result).trimmed();
        QDate date = recordDateFromText(r.caption);
        if (!date.isValid()) date = recordDateFromText(r.cell(c.reportDate));
        const auto value = parseLabValue(result);
        if (!value || !date.isValid()) {
            s.unplotted.append({i, r.caption, result});
            continue;
        }
        s.points.append({i, date, *value, result, false});
        ranges.append(parseReferenceRange(r.cell(c.reference)));
        units.append(r.cell(c.unit).trimmed());
    }

    // Oldest first; a stable sort keeps the table's order within a day.
    QList<int> order(s.points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return s.points.at(a).date < s.points.at(b).date; });
    QList<TrendPoint> sorted;
    for (int i : order) sorted.append(s.points.at(i));
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        if (!s.range && ranges.at(*it)) s.range = ranges.at(*it);
        if (s.unit.isEmpty()) s.unit = units.at(*it);
    }
    for (int k = 0; k < order.size(); ++k) {
        const auto& own = ranges.at(order.at(k));
        const auto& range = own ? own : s.range;
        sorted[k].outOfRange = range && outside(sorted.at(k).value, *range);
    }
    s.points = std::move(sorted);
    return s;
}

QString TrendSeries::headline() const {
    if (points.isEmpty()) return {};
    const TrendPoint& last = points.last();
    QString text = QStringLiteral("最新值: %1").arg(last.resultText);
    if (!unit.isEmpty()) text += u' ' + unit;
    text += QStringLiteral(" (%1)").arg(last.date.toString(QStringLiteral("yyyy/MM/dd")));
    if (points.size() < 2) return text;
    const TrendPoint& prev = points.at(points.size() - 2);
    // A change from or to "<0.5" has no size.
    if (!last.value.marker.isEmpty() || !prev.value.marker.isEmpty()) return text;
    const double delta = last.value.value - prev.value.value;
    const int decimals = std::max(decimalsOf(last.resultText), decimalsOf(prev.resultText));
    QString d = QString::number(delta, 'f', decimals);
    if (delta >= 0 && !d.startsWith(u'-')) d.prepend(u'+');
    return text + QStringLiteral("  較前次: %1").arg(d);
}

namespace {

QString itemKey(const QString& item) {
    QString k = item.toUpper();
    k.remove(u' ');
    return k;
}

QString numberText(double v) {
    return QString::number(v, 'f', std::abs(v) >= 100 ? 0 : std::abs(v) >= 10 ? 1 : 2);
}

// A range written again in another unit, or as it stood when there is no factor.
QString convertedRange(const QString& text, const QString& from, const QString& to, Analyte a) {
    const auto r = parseReferenceRange(text);
    if (!r) return text;
    auto conv = [&](const std::optional<double>& v) -> std::optional<double> {
        return v ? convertUnit(*v, from, to, a) : std::nullopt;
    };
    const auto lo = conv(r->low), hi = conv(r->high);
    if ((r->low && !lo) || (r->high && !hi)) return QString();
    if (lo && hi) return numberText(*lo) + u'-' + numberText(*hi);
    if (hi) return (r->highInclusive ? QStringLiteral("<=") : QStringLiteral("<")) + numberText(*hi);
    return (r->lowInclusive ? QStringLiteral(">=") : QStringLiteral(">")) + numberText(*lo);
}

}  // namespace

QList<TrendSeries> extractTrendSet(const CloudTable& lab, int row) {
    if (row < 0 || row >= lab.rows.size()) return {};
    const LabColumns c;
    const CloudRow& clicked = lab.rows.at(row);
    const QString code = clicked.cell(c.code).trimmed();
    if (code.isEmpty()) return {extractTrendSeries(lab, row)};
    const QString item = itemOf(clicked, c);

    // A panel shows several items of the code on one day.
    QHash<QString, QSet<QString>> itemsByDay;
    QList<int> rows;
    for (int i = 0; i < lab.rows.size(); ++i)
        if (lab.rows.at(i).cell(c.code).trimmed() == code) {
            rows << i;
            itemsByDay[lab.rows.at(i).caption.trimmed()].insert(itemKey(itemOf(lab.rows.at(i), c)));
        }
    const bool panel = std::any_of(itemsByDay.begin(), itemsByDay.end(),
                                   [](const QSet<QString>& s) { return s.size() > 1; });
    if (panel)
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](int i) { return itemKey(itemOf(lab.rows.at(i), c)) != itemKey(item); }),
                   rows.end());

    const Analyte analyte = analyteOf(code, clicked.cell(c.item), clicked.cell(c.orderName));
    // The unit of the newest dated result that names one.
    QString target;
    QDate newest;
    for (int i : rows) {
        const QString u = canonicalUnit(lab.rows.at(i).cell(c.unit));
        QDate d = recordDateFromText(lab.rows.at(i).caption);
        if (!d.isValid()) d = recordDateFromText(lab.rows.at(i).cell(c.reportDate));
        if (!u.isEmpty() && d.isValid() && (!newest.isValid() || d >= newest)) {
            newest = d;
            target = u;
        }
    }

    // One table per unit, every row under the clicked row's code and item, so
    // that one series is read from each.
    QStringList units, conversions;
    QList<CloudTable> tables;
    QList<QList<int>> origins;
    for (int i : rows) {
        CloudRow r = lab.rows.at(i);
        if (r.values.size() < labColumns().size() - 1) r.values.resize(labColumns().size() - 1);
        QString u = canonicalUnit(r.cell(c.unit));
        if (!u.isEmpty() && !target.isEmpty() && u != target) {
            QString rest = r.cell(c.result);
            LabValue v;
            if (const auto parsed = parseLabValue(rest)) v = *parsed;
            const auto converted = parseLabValue(rest) ? convertUnit(v.value, u, target, analyte)
                                                       : std::nullopt;
            if (converted) {
                conversions << QStringLiteral("%1 %2 %3 → %4 %5")
                                   .arg(r.caption.trimmed(), rest.trimmed(), u, v.marker + numberText(*converted), target);
                r.values[c.result - 1] = v.marker + numberText(*converted);
                r.values[c.reference - 1] = convertedRange(r.cell(c.reference), u, target, analyte);
                r.values[c.unit - 1] = target;
                u = target;
            }
        }
        if (u.isEmpty()) u = target;
        r.values[c.code - 1] = code;
        r.values[c.item - 1] = item;
        qsizetype k = units.indexOf(u);
        if (k < 0) {
            k = units.size();
            units << u;
            tables << CloudTable{};
            origins << QList<int>{};
        }
        tables[k].rows << r;
        origins[k] << i;
    }
    QList<TrendSeries> out;
    for (qsizetype k = 0; k < tables.size(); ++k) {
        TrendSeries s = extractTrendSeries(tables.at(k), 0);
        for (TrendPoint& p : s.points) p.row = origins.at(k).at(p.row);
        for (UnplottedResult& u : s.unplotted) u.row = origins.at(k).at(u.row);
        if (s.unit.isEmpty()) s.unit = units.at(k);
        if (units.at(k) == target) {
            s.conversions = conversions;
            out.prepend(s);
        } else
            out << s;
    }
    return out;
}

}  // namespace report
