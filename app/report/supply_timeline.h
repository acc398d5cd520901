#pragma once
// The supply timeline: what the patient has been taking over the last months and
// from where. One lane per drug (by name), lanes grouped by ATC class, one bar per
// dispensing over its supply period, each bar's institution named so that a view
// can colour it, and the query's day as the right edge. Rows without a day count
// have no period to draw.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "report/cloud_tables.h"
#include "report/drug_supply.h"

namespace report {

struct TimelineBar {
    int row = -1;         // drug source table row
    QDate from, to;       // clipped to the timeline
    bool continues = false;  // the supply goes on after the query's day
    bool overlapsPrevious = false;  // starts before the lane's previous bar ended
    int source = 0;       // index into SupplyTimeline::sources
};

struct TimelineLane {
    QString label;  // the drug's name
    QList<TimelineBar> bars;  // oldest first
};

struct TimelineGroup {
    QString atcClass;  // ATC level 4, or "" for drugs without one
    QString name;      // the class's name as the records give it ("ATC3名稱")
    QList<TimelineLane> lanes;
};

struct SupplyTimeline {
    QDate from, day;          // the first day shown and the query's day
    QList<TimelineGroup> groups;  // by class code
    QStringList sources;      // the institutions, in order of first appearance
    QString skippedText;      // rows that could not be placed
    int laneCount() const;
};

SupplyTimeline buildSupplyTimeline(const CloudTable& drugs, const QDate& day, int days = 180);
// The same over drug rows already read.
SupplyTimeline buildSupplyTimeline(const DrugSupplies& supplies, const CloudTable& drugs,
                                   const QDate& day, int days = 180);

}  // namespace report
