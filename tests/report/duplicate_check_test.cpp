#include "report/duplicate_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/ini_file.h"
#include "qstring_printer.h"
#include "report/duplicate_check_setting.h"

using cloud::CloudRow;
using cloud::CloudTable;
using cloud::DuplicateReason;
using cloud::findDuplicates;
using ::testing::ElementsAre;

namespace {

const QDate kToday(2024, 12, 10);

struct Drug {
    QString date{};
    QString source = QStringLiteral("晴川診所\n3501200000");
    QString visitNo = QStringLiteral("0001");
    QString atc5{};
    QString atc7{};
    QString days = QStringLiteral("7");
    QString remaining{};
};

CloudRow row(const Drug& d) {
    CloudRow r;
    r.caption = d.date;
    r.values.fill(QString(), cloud::drugColumns().size() - 1);
    auto set = [&r](const char* caption, const QString& v) {
        r.values[cloud::columnIndex(cloud::Kind::Drug, QString::fromUtf8(caption)) - 1] = v;
    };
    set("來源", d.source);
    set("就醫序號", d.visitNo);
    set("ATC5代碼", d.atc5.isNull() ? d.atc7 : d.atc5);
    set("ATC7代碼", d.atc7);
    set("給藥日數", d.days);
    set("餘藥日數", d.remaining);
    return r;
}

CloudTable table(std::initializer_list<Drug> drugs) {
    CloudTable t;
    for (const Drug& d : drugs) t.rows.append(row(d));
    return t;
}

QStringList describe(const cloud::DuplicateFindings& f) {
    QStringList out;
    for (const auto& g : f.groups) {
        QStringList rows;
        for (const auto& e : g.entries) rows << QString::number(e.row);
        out << cloud::duplicateReasonText(g.reason) + u' ' + g.code + u' ' + rows.join(u',');
    }
    return out;
}

// A row from another clinic that is surely in supply, with the same ingredient:
// the row under test forms a group with it exactly when it is in supply itself.
const Drug kPartner{.date = "113/12/09",
                    .source = "北辰聯合醫院\n1101010012",
                    .visitNo = "0099",
                    .atc7 = "A10BA02",
                    .days = "28"};

struct SupplyCase {
    const char* name;
    Drug drug;
    bool inSupply;
    int remainingDays;  // when in supply
};

TEST(DuplicateCheck, ARowCountsOnlyWhileItsSupplyLasts) {
    const SupplyCase cases[] = {
        {"period ended yesterday", {.date = "113/12/04", .atc7 = "A10BA02", .days = "6"}, false, 0},
        {"period ends today", {.date = "113/12/04", .atc7 = "A10BA02", .days = "7"}, true, 1},
        {"period starts today", {.date = "113/12/10", .atc7 = "A10BA02", .days = "3"}, true, 3},
        {"visit dated tomorrow", {.date = "113/12/11", .atc7 = "A10BA02", .days = "7"}, false, 0},
        {"zero days", {.date = "113/12/10", .atc7 = "A10BA02", .days = "0"}, false, 0},
        {"old, remaining 0", {.date = "113/06/01", .atc7 = "A10BA02", .remaining = "0"}, false, 0},
        {"old, remaining 1", {.date = "113/06/01", .atc7 = "A10BA02", .remaining = "1"}, true, 1},
        {"old, remaining blank",
         {.date = "113/06/01", .atc7 = "A10BA02", .remaining = " "},
         false,
         0},
        {"remaining beyond the period",
         {.date = "113/12/08", .atc7 = "A10BA02", .days = "7", .remaining = "20"},
         true,
         20},
        {"seven-digit date", {.date = "1131208", .atc7 = "a10ba02 ", .days = "7"}, true, 5},
        {"common-era date", {.date = "2024/12/08", .atc7 = "A10BA02", .days = "7"}, true, 5},
        // Bad input leaves the row out, even where another field would count.
        {"malformed date", {.date = "113/12/32", .atc7 = "A10BA02", .remaining = "9"}, false, 0},
        {"date is text", {.date = "昨天", .atc7 = "A10BA02", .remaining = "9"}, false, 0},
        {"day count is text",
         {.date = "113/12/08", .atc7 = "A10BA02", .days = "七", .remaining = "9"},
         false,
         0},
        {"day count negative", {.date = "113/12/08", .atc7 = "A10BA02", .days = "-3"}, false, 0},
        {"day count beyond any calendar",
         {.date = "113/12/08", .atc7 = "A10BA02", .days = "2147483647"},
         true,
         2147483645},
        {"remaining is text",
         {.date = "113/12/08", .atc7 = "A10BA02", .days = "7", .remaining = "9天"},
         false,
         0},
        {"no ATC7 code", {.date = "113/12/08", .atc5 = "A10BA02", .days = "7"}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto f = findDuplicates(table({c.drug, kPartner}), kToday);
        EXPECT_EQ(f.isDuplicated(0), c.inSupply);
        EXPECT_EQ(f.isDuplicated(1), c.inSupply);
        ASSERT_EQ(f.groups.size(), c.inSupply ? 1 : 0);
        if (!c.inSupply) continue;
        EXPECT_EQ(f.groups.first().reason, DuplicateReason::SameIngredient);
        const auto& entries = f.groups.first().entries;
        const auto tested =
            std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.row == 0; });
        ASSERT_NE(tested, entries.end());
        EXPECT_EQ(tested->remainingDays, c.remainingDays);
    }
}

TEST(DuplicateCheck, TheSameIngredientMustComeFromDifferentVisits) {
    const QString clinic = QStringLiteral("晴川診所\n3501200000");
    struct Case {
        const char* name;
        Drug other;
        bool group;
    };
    const Case cases[] = {
        {"same visit, two lines",
         {.date = "113/12/08", .source = clinic, .atc7 = "C09CA01"},
         false},
        {"same visit, date written otherwise",
         {.date = "1131208", .source = clinic, .atc7 = "C09CA01"},
         false},
        {"another clinic",
         {.date = "113/12/08", .source = "北辰聯合醫院", .atc7 = "C09CA01"},
         true},
        {"another day", {.date = "113/12/07", .source = clinic, .atc7 = "C09CA01"}, true},
        {"another visit number",
         {.date = "113/12/08", .source = clinic, .visitNo = "0002", .atc7 = "C09CA01"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Drug first{.date = "113/12/08", .source = clinic, .atc7 = "C09CA01"};
        const auto f = findDuplicates(table({first, c.other}), kToday);
        EXPECT_EQ(f.groups.size(), c.group ? 1 : 0);
    }
    // A third visit brings the two lines of the first in with it.
    const auto f =
        findDuplicates(table({{.date = "113/12/08", .source = clinic, .atc7 = "C09CA01"},
                              {.date = "113/12/08", .source = clinic, .atc7 = "C09CA01"},
                              {.date = "113/12/05", .source = "北辰聯合醫院", .atc7 = "C09CA01"}}),
                       kToday);
    EXPECT_THAT(describe(f), ElementsAre("同成分 C09CA01 0,1,2"));
}

TEST(DuplicateCheck, GroupsByClassSortsByReasonThenNewestVisit) {
    const auto f = findDuplicates(
        table({
            // Two statins (same class, different ingredients) and the first of them
            // again from another clinic.
            {.date = "113/12/01", .source = "A", .atc5 = "C10AA", .atc7 = "C10AA05", .days = "28"},
            {.date = "113/12/09", .source = "B", .atc5 = "C10AA", .atc7 = "C10AA07", .days = "28"},
            {.date = "113/12/05", .source = "C", .atc7 = "C10AA05", .days = "28"},
            // Same ingredient, newer visit: its group comes first.
            {.date = "113/12/10", .source = "A", .atc7 = "A02BC01", .days = "14"},
            {.date = "113/12/02", .source = "D", .atc7 = "A02BC01", .days = "14"},
            // Alone in its class and ingredient.
            {.date = "113/12/09", .source = "D", .atc7 = "N02BE01", .days = "3"},
            // The class of a row without ATC5 comes from its ATC7 code.
            {.date = "113/12/03", .source = "E", .atc5 = "", .atc7 = "A02BC05", .days = "14"},
            // A code too short to name a class takes part in no class group.
            {.date = "113/12/03", .source = "F", .atc5 = "A02", .atc7 = "A02", .days = "14"},
        }),
        kToday);
    EXPECT_THAT(describe(f), ElementsAre("同成分 A02BC01 3,4", "同成分 C10AA05 2,0",
                                         "同藥理類別 A02BC 3,6,4", "同藥理類別 C10AA 1,2,0"));
    EXPECT_THAT(f.rowFlags, ElementsAre(true, true, true, true, true, false, true, false));
    EXPECT_EQ(cloud::duplicateSummary(f), QStringLiteral("重複用藥:4"));
}

TEST(DuplicateCheck, NothingFromAnEmptyTableOrWithoutADate) {
    EXPECT_TRUE(findDuplicates({}, kToday).groups.isEmpty());
    const auto f = findDuplicates(table({kPartner, kPartner}), QDate());
    EXPECT_TRUE(f.groups.isEmpty());
    EXPECT_THAT(f.rowFlags, ElementsAre(false, false));
}

TEST(DuplicateCheckSetting, StoredAsYOrNAndOffByDefault) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini(dir.filePath("tolvane.ini"));
    EXPECT_FALSE(cloud::readLocalDuplicateCheck(ini));
    ASSERT_TRUE(cloud::writeLocalDuplicateCheck(ini, true));
    EXPECT_EQ(ini.readString("ICcardShow", "本區重複用藥檢查", ""), "Y");
    EXPECT_TRUE(cloud::readLocalDuplicateCheck(ini));
    ASSERT_TRUE(cloud::writeLocalDuplicateCheck(ini, false));
    EXPECT_EQ(ini.readString("ICcardShow", "本區重複用藥檢查", ""), "N");
    ini.writeString("ICcardShow", "本區重複用藥檢查", "1");
    EXPECT_FALSE(cloud::readLocalDuplicateCheck(ini));
}

}  // namespace
