#include "report/lab_trend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "qstring_printer.h"

using report::CloudRow;
using report::CloudTable;
using report::extractTrendSeries;
using report::parseReferenceRange;
using ::testing::ElementsAre;

namespace {

struct RangeCase {
    const char* text;
    bool parses;
    double inside;   // contained when it parses
    double outside;  // not contained (NaN: nothing to check)
};

TEST(LabTrend, ReferenceRangeForms) {
    const double none = std::nan("");
    const RangeCase cases[] = {
        {"3.5-5.0", true, 3.5, 5.01},
        {"3.5 - 5.0", true, 5.0, 3.49},
        {"3.5~5.0", true, 4, 5.5},
        {"[3.5][5.0]", true, 5.0, 3.4},
        {"[][5.0]", true, -100, 5.1},
        {"[3.5][]", true, 1e9, 3.4},
        {"<200", true, 199.9, 200},
        {"<=200", true, 200, 200.1},
        {">40", true, 40.1, 40},
        {">=40", true, 40, 39.9},
        {" ≧40 ", true, 40, 39},
        {"-2-2", true, -2, -2.1},
        {"1,000-2,000", true, 1500, 999},
        // No band.
        {"", false, 0, none},
        {"Negative\n(陰性)", false, 0, none},
        {"70-100 mg/dL", false, 0, none},
        {"5.0-3.5", false, 0, none},
        {"[][]", false, 0, none},
        {"[a][5]", false, 0, none},
        {"<", false, 0, none},
        {"<abc", false, 0, none},
        {"1e2-1e3", false, 0, none},
        {"nan-inf", false, 0, none},
        {"3.5-", false, 0, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = parseReferenceRange(QString::fromUtf8(c.text));
        ASSERT_EQ(r.has_value(), c.parses);
        if (!r) continue;
        EXPECT_TRUE(r->contains(c.inside));
        if (!std::isnan(c.outside)) {
            EXPECT_FALSE(r->contains(c.outside));
        }
    }
}

TEST(LabTrend, ResultValues) {
    struct Case {
        const char* text;
        bool numeric;
        double value;
        const char* marker;
    };
    const Case cases[] = {
        {"7.2", true, 7.2, ""},      {" 112 ", true, 112, ""}, {"<0.5", true, 0.5, "<"},
        {"> 1000", true, 1000, ">"}, {"<=5", true, 5, "<="},   {"12,000", true, 12000, ""},
        {".5", true, 0.5, ""},       {"2+", false, 0, ""},     {"Negative", false, 0, ""},
        {"", false, 0, ""},          {"<", false, 0, ""},      {"1e3", false, 0, ""},
        {"inf", false, 0, ""},       {"7.2 H", false, 0, ""},  {"12,00", false, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto v = report::parseLabValue(QString::fromUtf8(c.text));
        ASSERT_EQ(v.has_value(), c.numeric);
        if (!v) continue;
        EXPECT_DOUBLE_EQ(v->value, c.value);
        EXPECT_EQ(v->marker, QString::fromUtf8(c.marker));
    }
}

struct Lab {
    QString date{};
    QString result{};
    QString reference{};
    QString code = QStringLiteral("09005C");
    QString item = QStringLiteral("Glu-AC");
    QString orderName = QStringLiteral("飯前血糖");
    QString reportDate{};
    QString unit = QStringLiteral("mg/dL");
};

CloudTable table(std::initializer_list<Lab> labs) {
    CloudTable t;
    for (const Lab& l : labs) {
        CloudRow r;
        r.caption = l.date;
        r.values.fill(QString(), report::labColumns().size() - 1);
        auto set = [&r](const char* caption, const QString& v) {
            r.values[report::columnIndex(report::Kind::Lab, QString::fromUtf8(caption)) - 1] = v;
        };
        set("檢驗結果", l.result);
        set("參考值", l.reference);
        set("醫令代碼", l.code);
        set("檢驗項目", l.item);
        set("醫令名稱", l.orderName);
        set("報告日期", l.reportDate);
        set("單位", l.unit);
        t.rows.append(r);
    }
    return t;
}

QStringList points(const report::TrendSeries& s) {
    QStringList out;
    for (const auto& p : s.points)
        out << p.date.toString("yyyy-MM-dd") + u' ' + p.value.marker +
                   QString::number(p.value.value) +
                   (p.outOfRange ? QStringLiteral(" !") : QString());
    return out;
}

TEST(LabTrend, SeriesOfOneItemWithTextResultsAndCensoredValues) {
    const auto lab = table({
        {.date = "113/12/02", .result = "112", .reference = "70-100"},
        {.date = "113/09/08", .result = "<0.5", .reference = "[1][]"},
        {.date = "113/10/01", .result = "溶血", .reference = "70-100"},
        // Another item of the same order code, and another code: not in the series.
        {.date = "113/11/01", .result = "6.1", .item = "HbA1c"},
        {.date = "113/11/01", .result = "90", .code = "09006C"},
        // The date does not parse: the report date places it.
        {.date = "待補", .result = "95", .reference = "garbage", .reportDate = "113/06/01"},
        {.date = "113/03/01", .result = "<5", .reference = "<5"},
        {.date = "113/11/20", .result = "99", .reference = "70-100", .unit = ""},
        // Neither date parses: listed, not plotted.
        {.date = "?", .result = "80"},
    });
    const auto s = extractTrendSeries(lab, 0);
    EXPECT_EQ(s.code, "09005C");
    EXPECT_EQ(s.item, "Glu-AC");
    // Oldest first. "<0.5" is surely below its own low bound of 1; "<5" may be inside
    // "<5"; the undated row's garbage range falls back to the series' band.
    EXPECT_THAT(points(s), ElementsAre("2024-03-01 <5", "2024-06-01 95", "2024-09-08 <0.5 !",
                                       "2024-11-20 99", "2024-12-02 112 !"));
    ASSERT_EQ(s.unplotted.size(), 2);
    EXPECT_EQ(s.unplotted.at(0).resultText, "溶血");
    EXPECT_EQ(s.unplotted.at(0).dateText, "113/10/01");
    EXPECT_EQ(s.unplotted.at(1).resultText, "80");
    ASSERT_TRUE(s.range);
    EXPECT_EQ(s.range->low, 70);
    EXPECT_EQ(s.range->high, 100);
    EXPECT_EQ(s.unit, "mg/dL");  // the newest point that names one
    EXPECT_EQ(s.headline(), "最新值: 112 mg/dL (2024/12/02)  較前次: +13");
}

TEST(LabTrend, ItemFallsBackToOrderNameAndHeadlineKeepsDecimals) {
    const auto lab = table({
        {.date = "113/09/09", .result = "7.25", .item = "", .orderName = "醣化血色素", .unit = "%"},
        {.date = "113/12/03", .result = "6.9", .item = " ", .orderName = "醣化血色素", .unit = "%"},
        {.date = "113/12/03", .result = "7", .item = "", .orderName = "其他"},
    });
    const auto s = extractTrendSeries(lab, 1);
    EXPECT_EQ(s.item, "醣化血色素");
    EXPECT_THAT(points(s), ElementsAre("2024-09-09 7.25", "2024-12-03 6.9"));
    EXPECT_FALSE(s.range);
    EXPECT_EQ(s.headline(), "最新值: 6.9 % (2024/12/03)  較前次: -0.35");

    // One point has no change; a censored latest value has no size of change.
    EXPECT_EQ(
        extractTrendSeries(table({{.date = "113/01/02", .result = "5", .unit = ""}}), 0).headline(),
        "最新值: 5 (2024/01/02)");
    EXPECT_EQ(
        extractTrendSeries(
            table({{.date = "113/01/02", .result = "5"}, {.date = "113/02/02", .result = "<3"}}), 0)
            .headline(),
        "最新值: <3 mg/dL (2024/02/02)");
    EXPECT_TRUE(extractTrendSeries(lab, 7).points.isEmpty());
}

}  // namespace

namespace {

TEST(LabTrend, OneTestPerOrderCodeInOneUnit) {
    // Creatinine from three places: the item's text differs, one reports µmol/L.
    const auto lab = table({
        {.date = "113/12/02", .result = "1.4", .reference = "0.6-1.3", .code = "09015C",
         .item = "CRE", .unit = "mg/dL"},
        {.date = "113/09/08", .result = "106", .reference = "53-115", .code = "09015C",
         .item = "Creatinine", .unit = "umol/L"},
        {.date = "113/06/01", .result = "1.1", .reference = "0.6-1.3", .code = "09015C",
         .item = "肌酸酐", .unit = "MG/DL"},
        {.date = "113/03/01", .result = "9", .code = "09015C", .item = "CRE", .unit = "mmol/mol"},
    });
    const auto set = report::extractTrendSet(lab, 0);
    ASSERT_EQ(set.size(), 2);
    EXPECT_EQ(set.at(0).unit, "mg/dL");
    EXPECT_THAT(points(set.at(0)), ElementsAre("2024-06-01 1.1", "2024-09-08 1.2", "2024-12-02 1.4 !"));
    EXPECT_EQ(set.at(0).points.at(1).row, 1);  // the converted point names its own row
    // A unit without a known factor is drawn apart, never on the same axis.
    EXPECT_EQ(set.at(1).unit, "mmol/mol");
    EXPECT_THAT(points(set.at(1)), ElementsAre("2024-03-01 9"));
}

TEST(LabTrend, APanelCodeKeepsItsItemsApart) {
    // One blood count code, several items a day.
    const auto lab = table({
        {.date = "113/12/02", .result = "6.8", .code = "08011C", .item = "WBC", .unit = "10^3/uL"},
        {.date = "113/12/02", .result = "13.5", .code = "08011C", .item = "Hb", .unit = "g/dL"},
        {.date = "113/09/02", .result = "7.1", .code = "08011C", .item = "WBC", .unit = "10^3/uL"},
    });
    const auto set = report::extractTrendSet(lab, 0);
    ASSERT_EQ(set.size(), 1);
    EXPECT_THAT(points(set.at(0)), ElementsAre("2024-09-02 7.1", "2024-12-02 6.8"));
}

}  // namespace
