#include "report/supply_timeline.h"

#include <QHash>
#include <algorithm>

#include "report/drug_supply.h"

namespace report {

int SupplyTimeline::laneCount() const {
    int n = 0;
    for (const TimelineGroup& g : groups) n += int(g.lanes.size());
    return n;
}

SupplyTimeline buildSupplyTimeline(const CloudTable& drugs, const QDate& day, int days) {
    return buildSupplyTimeline(readDrugSupplies(drugs), drugs, day, days);
}

SupplyTimeline buildSupplyTimeline(const DrugSupplies& all, const CloudTable& drugs,
                                   const QDate& day, int days) {
    SupplyTimeline t;
    t.day = day;
    t.from = day.addDays(-(days - 1));
    if (!day.isValid()) return t;
    QHash<QString, int> sourceIndex;
    t.skippedText = all.skippedText();
    const int className = columnIndex(Kind::Drug, QStringLiteral("ATC3名稱"));

    // Groups by class code and lanes by drug name, each in the order of its key;
    // looked up by hash while the rows are walked, put in order once at the end.
    QList<TimelineGroup> groups;
    QHash<QString, int> groupIndex;
    QList<QHash<QString, int>> laneIndex;  // by group
    for (const DrugSupply& s : all.rows) {
        // The bar is the dispensing's own period; the site's remaining-days figure
        // only says whether the supply goes on past the query's day.
        const QDate last = s.end;
        if (s.days <= 0 || s.start > day || last < t.from) continue;
        TimelineBar bar;
        bar.row = s.row;
        bar.from = std::max(s.start, t.from);
        bar.to = std::min(last, day);
        bar.continues = s.lastDayOn(day) > day;
        const QString source = s.source.isEmpty() ? QStringLiteral("(未載來源)") : s.source;
        auto known = sourceIndex.constFind(source);
        if (known == sourceIndex.constEnd()) {
            known = sourceIndex.insert(source, int(t.sources.size()));
            t.sources << source;
        }
        bar.source = *known;
        auto gi = groupIndex.constFind(s.atcClass);
        if (gi == groupIndex.constEnd()) {
            gi = groupIndex.insert(s.atcClass, int(groups.size()));
            groups.append(TimelineGroup{s.atcClass, QString(), {}});
            laneIndex.append(QHash<QString, int>());
        }
        TimelineGroup& g = groups[*gi];
        if (g.name.isEmpty()) {
            const CloudRow& r = drugs.rows.at(s.row);
            // Read in place: a blank cell needs no copy.
            if (className > 0 && className <= r.values.size() &&
                !r.values.at(className - 1).isEmpty())
                g.name = r.values.at(className - 1).simplified();
        }
        const QString name = s.name.trimmed();
        const QString label = name.isEmpty() ? s.atc7 : name;
        QHash<QString, int>& lanes = laneIndex[*gi];
        auto li = lanes.constFind(label);
        if (li == lanes.constEnd()) {
            li = lanes.insert(label, int(g.lanes.size()));
            g.lanes.append(TimelineLane{label, {}});
        }
        g.lanes[*li].bars << bar;
    }
    std::sort(groups.begin(), groups.end(), [](const TimelineGroup& a, const TimelineGroup& b) {
        return a.atcClass < b.atcClass;
    });
    for (TimelineGroup& g : groups) {
        std::sort(g.lanes.begin(), g.lanes.end(),
                  [](const TimelineLane& a, const TimelineLane& b) { return a.label < b.label; });
        for (TimelineLane& lane : g.lanes) {
            std::stable_sort(lane.bars.begin(), lane.bars.end(),
                             [](const TimelineBar& a, const TimelineBar& b) { return a.from < b.from; });
            QDate reach;
            for (TimelineBar& b : lane.bars) {
                b.overlapsPrevious = reach.isValid() && b.from <= reach;
                if (!reach.isValid() || b.to > reach) reach = b.to;
            }
        }
    }
    t.groups = std::move(groups);
    return t;
}

}  // namespace report
