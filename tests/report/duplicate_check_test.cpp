#include "report/duplicate_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "common/ini_file.h"
#include "qstring_printer.h"
#include "report/duplicate_check_setting.h"

using report::CloudRow;
using report::CloudTable;
using report::DuplicateReason;
using report::findDuplicates;
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
    QString ingredients{};
    QString refill{};
    QString name{};
};

CloudRow row(const Drug& d) {
    CloudRow r;
    r.caption = d.date;
    r.values.fill(QString(), report::drugColumns().size() - 1);
    auto set = [&r](const char* caption, const QString& v) {
        r.values[report::columnIndex(report::Kind::Drug, QString::fromUtf8(caption)) - 1] = v;
    };
    set("來源", d.source);
    set("就醫序號", d.visitNo);
    set("ATC5代碼", d.atc5.isNull() ? d.atc7 : d.atc5);
    set("ATC7代碼", d.atc7);
    set("給藥日數", d.days);
    set("餘藥日數", d.remaining);
    set("成分名稱", d.ingredients);
    set("連箋領藥日", d.refill);
    set("藥品名稱", d.name);
    return r;
}

CloudTable table(std::initializer_list<Drug> drugs) {
    CloudTable t;
    for (const Drug& d : drugs) t.rows.append(row(d));
    return t;
}

QStringList describe(const report::DuplicateFindings& f) {
    QStringList out;
    for (const auto& g : f.groups) {
        QStringList rows;
        for (const auto& e : g.entries) rows << QString::number(e.row);
        out << report::duplicateReasonText(g.reason) + u' ' + g.code + u' ' + rows.join(u',');
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
        // Any overlap counts here: the supply period is what is tested.
        const auto f = findDuplicates(table({c.drug, kPartner}), kToday, {.earlyRefillDays = 0});
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
    // The omeprazole of 12/10 came six days before the 14 of 12/02 ran out: an
    // early refill, told but neither counted nor flagging its rows.
    EXPECT_THAT(describe(f), ElementsAre("同成分 C10AA05 2,0", "同藥理類別 A02BC 3,6,4",
                                         "同藥理類別 C10AA 1,2,0", "提早領藥 A02BC01 3,4"));
    EXPECT_THAT(f.rowFlags, ElementsAre(true, true, true, true, true, false, true, false));
    EXPECT_EQ(f.rowWarning(3), "同藥理類別 提早領藥");
    EXPECT_EQ(report::duplicateSummary(f), QStringLiteral("重複用藥:3"));
}

TEST(DuplicateCheck, NothingFromAnEmptyTableOrWithoutADate) {
    EXPECT_TRUE(findDuplicates({}, kToday).groups.isEmpty());
    const auto f = findDuplicates(table({kPartner, kPartner}), QDate());
    EXPECT_TRUE(f.groups.isEmpty());
    EXPECT_THAT(f.rowFlags, ElementsAre(false, false));
}

// Cases as a physician states them; each names the day the query was made.
struct ClinicalCase {
    const char* name;
    std::vector<Drug> drugs;
    QDate day;
    std::vector<const char*> groups;  // reason, code, rows
};

const QString kClinicA = QStringLiteral("晴川診所\n3501200000");
const QString kClinicB = QStringLiteral("北辰聯合醫院\n1101010012");

TEST(DuplicateCheck, ClinicalCases) {
    const ClinicalCase cases[] = {
        {"metformin for 28 days collected again 8 days before it ran out: an early refill",
         {{.date = "113/11/01", .source = kClinicA, .atc7 = "A10BA02", .days = "28",
           .ingredients = "Metformin HCl"},
          {.date = "113/11/21", .source = kClinicA, .visitNo = "0002", .atc7 = "A10BA02",
           .days = "28", .ingredients = "METFORMIN"}},
         QDate(2024, 11, 25),
         {"提早領藥 METFORMIN 1,0"}},
        {"the same, 12 days before it ran out: taken twice",
         {{.date = "113/11/01", .source = kClinicA, .atc7 = "A10BA02", .days = "28",
           .ingredients = "Metformin HCl"},
          {.date = "113/11/17", .source = kClinicB, .atc7 = "A10BA02", .days = "28",
           .ingredients = "METFORMIN"}},
         QDate(2024, 11, 25),
         {"同成分 METFORMIN 1,0"}},
        {"a second 7-day course of the same antibiotic two days into the first",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "J01CA04", .days = "7"},
          {.date = "113/12/03", .source = kClinicB, .atc7 = "J01CA04", .days = "7"}},
         QDate(2024, 12, 4),
         {"同成分 J01CA04 1,0"}},
        {"a chronic refill collected on 12/29 for a visit of 12/01 is taken in January",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "C09CA01", .days = "28",
           .refill = "113/12/29"},
          {.date = "114/01/03", .source = kClinicB, .atc7 = "C09CA01", .days = "28"}},
         QDate(2025, 1, 5),
         {"同成分 C09CA01 1,0"}},
        {"aspirin and clopidogrel in one prescription after a stent",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "B01AC06", .days = "28"},
          {.date = "113/12/01", .source = kClinicA, .atc7 = "B01AC04", .days = "28"}},
         kToday,
         {}},
        {"the same two, refilled together a month later",
         {{.date = "113/11/05", .source = kClinicA, .atc7 = "B01AC06", .days = "28"},
          {.date = "113/11/05", .source = kClinicA, .atc7 = "B01AC04", .days = "28"},
          {.date = "113/12/01", .source = kClinicA, .visitNo = "0002", .atc7 = "B01AC06",
           .days = "28"},
          {.date = "113/12/01", .source = kClinicA, .visitNo = "0002", .atc7 = "B01AC04",
           .days = "28"}},
         QDate(2024, 12, 2),
         {"提早領藥 B01AC04 3,1", "提早領藥 B01AC06 2,0"}},
        {"aspirin from one clinic, clopidogrel from another",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "B01AC06", .days = "28"},
          {.date = "113/12/05", .source = kClinicB, .atc7 = "B01AC04", .days = "28"}},
         kToday,
         {"同藥理類別 B01AC 1,0"}},
        {"atorvastatin, then rosuvastatin while the old supply lasts",
         {{.date = "113/11/20", .source = kClinicA, .atc7 = "C10AA05", .days = "28"},
          {.date = "113/12/05", .source = kClinicA, .visitNo = "0002", .atc7 = "C10AA07",
           .days = "28"}},
         kToday,
         {"換藥? C10AA 1,0"}},
        {"atorvastatin collected again after rosuvastatin was started",
         {{.date = "113/11/20", .source = kClinicA, .atc7 = "C10AA05", .days = "28"},
          {.date = "113/12/01", .source = kClinicB, .atc7 = "C10AA07", .days = "28"},
          {.date = "113/12/08", .source = kClinicA, .visitNo = "0003", .atc7 = "C10AA05",
           .days = "28"}},
         kToday,
         {"同藥理類別 C10AA 2,1,0", "提早領藥 C10AA05 2,0"}},
        {"losartan and losartan/hydrochlorothiazide share losartan",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "C09CA01", .days = "28",
           .ingredients = "Losartan potassium"},
          {.date = "113/12/03", .source = kClinicB, .atc7 = "C09DA01", .days = "28",
           .ingredients = "LOSARTAN POTASSIUM / HYDROCHLOROTHIAZIDE"}},
         kToday,
         {"同成分 LOSARTAN 1,0"}},
        {"paracetamol and tramadol/acetaminophen share paracetamol",
         {{.date = "113/12/08", .source = kClinicA, .atc7 = "N02BE01", .days = "7",
           .ingredients = "Paracetamol"},
          {.date = "113/12/09", .source = kClinicB, .atc7 = "N02AJ13", .days = "7",
           .ingredients = "Tramadol HCl + Acetaminophen"}},
         kToday,
         {"同成分 PARACETAMOL 1,0"}},
        {"an ACE inhibitor and an angiotensin receptor blocker",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "C09AA02", .days = "28"},
          {.date = "113/12/02", .source = kClinicB, .atc7 = "C09CA01", .days = "28"}},
         kToday,
         {"同療效 ACEI+ARB 1,0"}},
        {"enalapril stopped for cough, losartan begun",
         {{.date = "113/11/20", .source = kClinicA, .atc7 = "C09AA02", .days = "28"},
          {.date = "113/12/05", .source = kClinicA, .visitNo = "0002", .atc7 = "C09CA01",
           .days = "28"}},
         kToday,
         {"換藥? ACEI+ARB 1,0"}},
        {"zolpidem from one clinic and alprazolam from another",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "N05CF02", .days = "28"},
          {.date = "113/12/03", .source = kClinicB, .atc7 = "N05BA12", .days = "28"}},
         kToday,
         {"同療效 BZD+Z-drug 1,0"}},
        {"ibuprofen and celecoxib, two NSAIDs of different groups",
         {{.date = "113/12/08", .source = kClinicA, .atc7 = "M01AE01", .days = "7"},
          {.date = "113/12/09", .source = kClinicB, .atc7 = "M01AH01", .days = "7"}},
         kToday,
         {"同療效 NSAID+NSAID 1,0"}},
        {"sitagliptin and liraglutide",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "A10BH01", .days = "28"},
          {.date = "113/12/03", .source = kClinicB, .atc7 = "A10BJ02", .days = "28"}},
         kToday,
         {"同療效 DPP-4i+GLP-1RA 1,0"}},
        {"lithium with an antipsychotic is not two antipsychotics",
         {{.date = "113/12/01", .source = kClinicA, .atc7 = "N05AN01", .days = "28"},
          {.date = "113/12/03", .source = kClinicB, .atc7 = "N05AH04", .days = "28"}},
         kToday,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloudTable t;
        for (const Drug& d : c.drugs) t.rows.append(row(d));
        const auto f = findDuplicates(t, c.day);
        QStringList expected;
        for (const char* g : c.groups) expected << QString::fromUtf8(g);
        EXPECT_EQ(describe(f), expected);
        EXPECT_EQ(f.day, c.day);
    }
}

TEST(DuplicateCheck, AReopenedQueryIsJudgedOnItsOwnDay) {
    // Read on 113/12/10: both metformin supplies were running. Judged today
    // (long after), neither is.
    const auto t = table({{.date = "113/12/01", .atc7 = "A10BA02", .days = "28"},
                          {.date = "113/12/08", .source = "北辰聯合醫院", .atc7 = "A10BA02",
                           .days = "28"}});
    EXPECT_THAT(describe(findDuplicates(t, kToday)), ElementsAre("同成分 A10BA02 1,0"));
    EXPECT_TRUE(findDuplicates(t, QDate(2026, 12, 11)).groups.isEmpty());
}

TEST(DuplicateCheck, RowsThatCannotBeReadAreCountedAndNamed) {
    const auto f = findDuplicates(
        table({{.date = "113/12/08", .atc7 = "A10BA02", .days = "28天"},
               {.date = "113/12/08", .atc7 = "A10BA02", .days = "3.5"},
               {.date = "113/13/08", .atc7 = "A10BA02"},
               {.date = "113/12/08", .atc7 = ""},
               {.date = "113/12/08", .atc7 = "", .ingredients = "Metformin"}}),
        kToday);
    ASSERT_EQ(f.skipped.size(), 4);
    EXPECT_EQ(f.skippedText,
              "4 筆無法判讀: 第1筆 給藥日數非整數 (28天); 第2筆 給藥日數非整數 (3.5); "
              "第3筆 就醫日期無法辨識 (113/13/08); 第4筆 無ATC碼亦無成分名稱");
}

TEST(DrugSupply, IngredientNamesAgreeAcrossSaltsCaseAndSpelling) {
    const std::pair<const char*, const char*> same[] = {
        {"Losartan Potassium", "LOSARTAN"},
        {"Tramadol HCl", "tramadol"},
        {"Amlodipine besylate", "AMLODIPINE"},
        {"Esomeprazole magnesium trihydrate", "Esomeprazole"},
        {"Acetaminophen", "Paracetamol"},
        {"Amoxicillin (as trihydrate)", "AMOXICILLIN"},
    };
    for (const auto& [a, b] : same)
        EXPECT_EQ(report::normalizedIngredient(a), report::normalizedIngredient(b)) << a;
    // The first word is the drug even when it names a salt elsewhere.
    EXPECT_EQ(report::normalizedIngredient("Potassium chloride"), "POTASSIUM");
    EXPECT_NE(report::normalizedIngredient("Calcium carbonate"),
              report::normalizedIngredient("Calcium acetate"));
}

TEST(DuplicateCheckSetting, StoredAsYOrNAndOffByDefault) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini(dir.filePath("tolvane.ini"));
    EXPECT_FALSE(report::readLocalDuplicateCheck(ini));
    ASSERT_TRUE(report::writeLocalDuplicateCheck(ini, true));
    EXPECT_EQ(ini.readString("ICcardShow", "本區重複用藥檢查", ""), "Y");
    EXPECT_TRUE(report::readLocalDuplicateCheck(ini));
    ASSERT_TRUE(report::writeLocalDuplicateCheck(ini, false));
    EXPECT_EQ(ini.readString("ICcardShow", "本區重複用藥檢查", ""), "N");
    ini.writeString("ICcardShow", "本區重複用藥檢查", "1");
    EXPECT_FALSE(report::readLocalDuplicateCheck(ini));
}

}  // namespace
