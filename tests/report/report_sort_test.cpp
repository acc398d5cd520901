#include "report/report_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "report_fixture.h"

namespace report {
namespace {

int compare(const char* a, const char* b, bool dateKey, bool newestFirst = false) {
    return compareSortValues(sortValueOf(QString::fromUtf8(a), dateKey),
                             sortValueOf(QString::fromUtf8(b), dateKey), newestFirst);
}

TEST(ReportCompare, DatesNumbersAndText) {
    struct Case {
        const char* a;
        const char* b;
        bool dateKey;
        bool newestFirst;
        int sign;
    } const cases[] = {
        {"9", "10", false, false, -1},  // numbers by value
        {"2.5", "10", false, false, -1},
        {"-1", "0", false, false, -1},
        {"10", "abc", false, false, -1},   // a number before text
        {"abc", "ABD", false, false, -1},  // A to Z without case
        {"abc", "ABC", false, false, 0},
        {"_", "a", false, false, 1},                  // "a" counts as "A", before "_"
        {"99/12/31", "100/01/05", true, false, -1},   // ROC dates of unequal width
        {"99/12/31", "100/01/05", true, true, 1},     // newest first
        {"1000105", "99/12/31", true, true, -1},      // seven digits are a date there
        {"2011/01/05", "100/01/05", true, false, 0},  // the same day in both calendars
        {"113/02/30", "113/01/01", true, false, 1},   // no such day: text, after dates
        {"", "113/01/01", true, true, 1},             // no date: after dates either way
        {"", "113/01/01", true, false, 1},
        {"113/01/01", "113/01/02", false, false, -1},  // under another key: text
    };
    for (const auto& c : cases) {
        const int got = compare(c.a, c.b, c.dateKey, c.newestFirst);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(ReportCompare, AStrictWeakOrderingOverMixedValues) {
    const char* values[] = {"10",  "9",         "abc",       "ABC",     "",
                            " 7 ", "113/01/02", "99/12/31",  "1130105", "x",
                            "3.5", "100/1/5",   "2024/01/01"};
    for (bool dateKey : {false, true})
        for (bool newest : {false, true}) {
            std::vector<SortValue> v;
            for (const char* s : values) v.push_back(sortValueOf(QString::fromUtf8(s), dateKey));
            auto less = [&](const SortValue& a, const SortValue& b) {
                return compareSortValues(a, b, newest) < 0;
            };
            for (const auto& a : v)
                for (const auto& b : v)
                    for (const auto& c : v) {
                        ASSERT_FALSE(less(a, a));
                        if (less(a, b) && less(b, c)) {
                            ASSERT_TRUE(less(a, c));
                        }
                        if (!less(a, b) && !less(b, a) && !less(b, c) && !less(c, b)) {
                            ASSERT_TRUE(!less(a, c) && !less(c, a));
                        }
                    }
        }
}

TEST(ReportCompare, ZeroPaddedDatesOfOneWidthKeepTheirTextOrder) {
    QStringList dates = {"113/12/01", "113/01/15", "112/12/31", "113/11/30", "110/02/28"};
    QStringList byText = dates;
    std::sort(byText.begin(), byText.end());
    std::sort(dates.begin(), dates.end(), [](const QString& a, const QString& b) {
        return compareSortValues(sortValueOf(a, true), sortValueOf(b, true), false) < 0;
    });
    EXPECT_EQ(dates, byText);
}

}  // namespace
}  // namespace report
