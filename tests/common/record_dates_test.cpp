#include "common/roc_date.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

namespace {

struct DateCase {
    const char* text;
    QDate expected;  // invalid: must not parse
};

TEST(RecordDates, ReadsTheTableFormsAndRejectsTheRest) {
    const DateCase cases[] = {
        {"113/12/01", QDate(2024, 12, 1)},
        {" 113/12/01 ", QDate(2024, 12, 1)},
        {"99/1/5", QDate(2010, 1, 5)},
        {"2024/12/01", QDate(2024, 12, 1)},
        {"1131201", QDate(2024, 12, 1)},
        {"0990105", QDate(2010, 1, 5)},
        {"113/02/29", QDate(2024, 2, 29)},
        // Not dates.
        {"", {}},
        {"   ", {}},
        {"112/02/29", {}},  // 2023 had no 29 February
        {"113/13/01", {}},
        {"113/00/10", {}},
        {"113/12", {}},
        {"113/12/01/5", {}},
        {"113-12-01", {}},
        {"11312011", {}},
        {"113120", {}},
        {"113/1a/01", {}},
        {"12345/1/1", {}},
        {"/12/01", {}},
        {"113/12/", {}},
        {"＋113/12/01", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(recordDateFromText(QString::fromUtf8(c.text)), c.expected);
    }
}

}  // namespace
