#include "report/supply_timeline.h"

#include <QHash>
#include <QMap>
#include <algorithm>

#include "report/drug_supply.h"

namespace cloud {

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

    QMap<QString, TimelineGroup> groups;
    QMap<QString, QMap<QString, TimelineLane>> lanes;  // class -> drug name -> lane
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
        TimelineGroup& g = groups[s.atcClass];
        g.atcClass = s.atcClass;
        if (g.name.isEmpty()) g.name = drugs.rows.at(s.row).cell(className).simplified();
        const QString name = s.name.trimmed();
        const QString label = name.isEmpty() ? s.atc7 : name;
        TimelineLane& lane = lanes[s.atcClass][label];
        lane.label = label;
        lane.bars << bar;
    }
    for (auto g = groups.begin(); g != groups.end(); ++g) {
        for (TimelineLane lane : lanes.value(g.key())) {
            std::stable_sort(lane.bars.begin(), lane.bars.end(),
                             [](const TimelineBar& a, const TimelineBar& b) { return a.from < b.from; });
            QDate reach;
            for (TimelineBar& b : lane.bars) {
                b.overlapsPrevious = reach.isValid() && b.from <= reach;
                if (!reach.isValid() || b.to > reach) reach = b.to;
            }
            g->lanes << lane;
        }
        t.groups << *g;
    }
    return t;
}

}  // namespace cloud
