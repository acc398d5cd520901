#include "report/duplicate_check.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <climits>
#include <optional>

#include "report/record_dates.h"

namespace cloud {

QString duplicateReasonText(DuplicateReason reason) {
    return reason == DuplicateReason::SameIngredient ? QStringLiteral("同成分")
                                                     : QStringLiteral("同藥理類別");
}

QString duplicateSummary(const DuplicateFindings& findings) {
    return QStringLiteral("重複用藥:%1").arg(findings.groups.size());
}

QString duplicateMarker() { return QStringLiteral(" ※重複"); }

namespace {

struct Columns {
    int source = columnIndex(Kind::Drug, QStringLiteral("來源"));
    int atc5 = columnIndex(Kind::Drug, QStringLiteral("ATC5代碼"));
    int days = columnIndex(Kind::Drug, QStringLiteral("給藥日數"));
    int remaining = columnIndex(Kind::Drug, QStringLiteral("餘藥日數"));
    int visitNo = columnIndex(Kind::Drug, QStringLiteral("就醫序號"));
    int atc7 = columnIndex(Kind::Drug, QStringLiteral("ATC7代碼"));
};

// A blank cell is 0; a cell that is not a whole number is no value at all.
std::optional<int> dayCount(const QString& cell) {
    const QString t = cell.trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

struct Supplied {
    DuplicateEntry entry;
    QString atc7;
    QString atcClass;  // empty when the codes are too short to tell
    QString visit;     // date, source and visit number: the rows of one visit share it
};

std::optional<Supplied> suppliedToday(const CloudRow& r, int row, const Columns& c,
                                      const QDate& today) {
    Supplied s;
    s.atc7 = r.cell(c.atc7).trimmed().toUpper();
    if (s.atc7.isEmpty()) return std::nullopt;
    const QDate date = parseRecordDate(r.cell(0));
    if (!date.isValid()) return std::nullopt;
    const auto days = dayCount(r.cell(c.days));
    const auto remaining = dayCount(r.cell(c.remaining));
    if (!days || !remaining || *days < 0) return std::nullopt;

    // The period runs from the visit day for `days` days, the visit day included.
    const qint64 periodLeft = *days > 0 ? today.daysTo(date.addDays(*days - 1)) + 1 : 0;
    const bool inPeriod = date <= today && periodLeft > 0;
    if (!inPeriod && *remaining <= 0) return std::nullopt;

    s.entry.row = row;
    s.entry.date = date;
    s.entry.remainingDays =
        int(std::min<qint64>(std::max<qint64>(*remaining, inPeriod ? periodLeft : 0), INT_MAX));
    const QString atc5 = r.cell(c.atc5).trimmed().toUpper();
    // The class is the fourth ATC level, the first five characters of a code.
    s.atcClass = (atc5.size() >= 5 ? atc5 : s.atc7).left(5);
    if (s.atcClass.size() < 5) s.atcClass.clear();
    s.visit = QString::number(date.toJulianDay()) + u'\x1f' + r.cell(c.source).trimmed() + u'\x1f' +
              r.cell(c.visitNo).trimmed();
    return s;
}

// Groups the rows by `keyOf`; a group stands when `differ` tells at least two of its
// rows apart.
template <typename KeyOf, typename Differ>
QList<DuplicateGroup> groupBy(const QList<Supplied>& rows, DuplicateReason reason, KeyOf keyOf,
                              Differ differ) {
    QHash<QString, QList<int>> byKey;
    QStringList order;
    for (int i = 0; i < rows.size(); ++i) {
        const QString key = keyOf(rows.at(i));
        if (key.isEmpty()) continue;
        auto it = byKey.find(key);
        if (it == byKey.end()) {
            order.append(key);
            it = byKey.insert(key, {});
        }
        it->append(i);
    }
    QList<DuplicateGroup> groups;
    for (const QString& key : order) {
        const QList<int>& members = byKey.value(key);
        QSet<QString> distinct;
        for (int i : members) distinct.insert(differ(rows.at(i)));
        if (distinct.size() < 2) continue;
        DuplicateGroup g;
        g.reason = reason;
        g.code = key;
        for (int i : members) g.entries.append(rows.at(i).entry);
        std::stable_sort(
            g.entries.begin(), g.entries.end(),
            [](const DuplicateEntry& a, const DuplicateEntry& b) { return a.date > b.date; });
        groups.append(std::move(g));
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const DuplicateGroup& a, const DuplicateGroup& b) {
                         const QDate na = a.entries.first().date, nb = b.entries.first().date;
                         return na != nb ? na > nb : a.code < b.code;
                     });
    return groups;
}

}  // namespace

DuplicateFindings findDuplicates(const CloudTable& drugs, const QDate& today) {
    DuplicateFindings out;
    out.rowFlags.fill(false, drugs.rows.size());
    if (!today.isValid()) return out;

    const Columns c;
    QList<Supplied> supplied;
    for (int i = 0; i < drugs.rows.size(); ++i)
        if (auto s = suppliedToday(drugs.rows.at(i), i, c, today)) supplied.append(std::move(*s));

    out.groups = groupBy(
        supplied, DuplicateReason::SameIngredient, [](const Supplied& s) { return s.atc7; },
        [](const Supplied& s) { return s.visit; });
    out.groups += groupBy(
        supplied, DuplicateReason::SameClass, [](const Supplied& s) { return s.atcClass; },
        [](const Supplied& s) { return s.atc7; });

    for (const DuplicateGroup& g : out.groups)
        for (const DuplicateEntry& e : g.entries) out.rowFlags[e.row] = true;
    return out;
}

}  // namespace cloud
