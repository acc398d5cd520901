#include "report/supply_timeline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "qstring_printer.h"

using ::testing::ElementsAre;

namespace {

struct Drug {
    const char* date;
    const char* source;
    const char* atc7;
    const char* name;
    const char* days;
    const char* refill = "";
};

report::CloudTable table(std::initializer_list<Drug> drugs) {
    report::CloudTable t;
    for (const Drug& d : drugs) {
        report::CloudRow r;
        r.caption = QString::fromUtf8(d.date);
        r.values.fill(QString(), report::drugColumns().size() - 1);
        auto set = [&r](const char* caption, const char* v) {
            r.values[report::columnIndex(report::Kind::Drug, QString::fromUtf8(caption)) - 1] =
                QString::fromUtf8(v);
        };
        set("來源", d.source);
        set("ATC7代碼", d.atc7);
        set("ATC5代碼", d.atc7);
        set("藥品名稱", d.name);
        set("給藥日數", d.days);
        set("連箋領藥日", d.refill);
        t.rows.append(r);
    }
    return t;
}

TEST(SupplyTimeline, BarsPerDrugGroupedByClassColouredBySource) {
    const QDate day(2024, 12, 10);
    const auto t = report::buildSupplyTimeline(
        table({
            {"113/11/20", "晴川診所\n3501200000", "C09CA01", "可悅您", "28"},
            {"113/12/08", "北辰聯合醫院\n1101010012", "C09CA01", "可悅您", "28"},
            {"113/12/01", "晴川診所\n3501200000", "C10AA05", "立普妥", "28", "113/12/05"},
            // Ended before the window: not drawn.
            {"113/05/01", "晴川診所\n3501200000", "A10BA02", "庫魯化", "7"},
            // Started before the window: clipped to its first day.
            {"113/06/10", "中港醫學中心\n0401180014", "N02BE01", "普拿疼", "7"},
        }),
        day);
    EXPECT_EQ(t.from, QDate(2024, 6, 14));
    ASSERT_EQ(t.groups.size(), 3);
    EXPECT_EQ(t.groups.at(0).atcClass, "C09CA");
    EXPECT_EQ(t.groups.at(1).atcClass, "C10AA");
    EXPECT_EQ(t.groups.at(2).lanes.at(0).bars.at(0).from, t.from);
    const auto& losartan = t.groups.at(0).lanes.at(0);
    EXPECT_EQ(losartan.label, "可悅您");
    ASSERT_EQ(losartan.bars.size(), 2);
    EXPECT_FALSE(losartan.bars.at(0).overlapsPrevious);
    EXPECT_TRUE(losartan.bars.at(1).overlapsPrevious);
    EXPECT_TRUE(losartan.bars.at(1).continues);
    EXPECT_EQ(losartan.bars.at(1).to, day);  // clipped at the query's day
    EXPECT_NE(losartan.bars.at(0).source, losartan.bars.at(1).source);
    EXPECT_EQ(t.sources.at(losartan.bars.at(1).source), "北辰聯合醫院 1101010012");
    // The refill's supply starts the day it was collected.
    EXPECT_EQ(t.groups.at(1).lanes.at(0).bars.at(0).from, QDate(2024, 12, 5));
    EXPECT_EQ(t.laneCount(), 3);
}

}  // namespace
