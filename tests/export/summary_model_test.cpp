// The summary's document model from hand-made queries: which sections appear,
// what the header says, and what each section takes from the records.

#include "export/summary_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/query_records.h"
#include "export_fixtures.h"
#include "qstring_printer.h"
#include "report/drug_supply.h"
#include "report/lab_trend.h"

using ::testing::ElementsAre;
using namespace summary;

namespace {

SummaryDocument build(const fixtures::Query& q) {
    fixtures::FakeLookups lookups;
    return buildSummary(q.state, q.tables, q.extras, q.context, lookups);
}

QString fieldOf(const SummaryDocument& d, const QString& label) {
    for (const SummaryField& f : d.fields)
        if (f.label == label) return f.value;
    return QStringLiteral("<missing>");
}

QStringList titlesOf(const SummaryDocument& d) {
    QStringList t;
    for (const SummarySection& s : d.sections) t << s.title;
    return t;
}

TEST(SummaryModel, FullQueryHasEverySectionAndTheHeader) {
    const SummaryDocument d = build(fixtures::fullQuery());
    EXPECT_THAT(titlesOf(d), ElementsAre(titles::allergies, titles::criticalIllnesses,
                                         titles::visits, titles::drugs, titles::duplicates,
                                         titles::labs, titles::referral, titles::eligibility));
    EXPECT_EQ(d.program, QStringLiteral("Tolvane 1.0.0.1"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("醫事機構")), QStringLiteral("晴川診所 3501200000"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("查詢時間")),
              QStringLiteral("113/12/10 14:30 (2024-12-10)"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("姓名")), QStringLiteral("林堃喆"));  // not Big5, kept
    EXPECT_EQ(fieldOf(d, QStringLiteral("身分證號")), QStringLiteral("B220715631"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("出生日期")), QStringLiteral("99/12/31 (2010-12-31)"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("性別")), QStringLiteral("女"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("年齡")), QStringLiteral("13歲"));  // 14 only on the 31st

    EXPECT_EQ(d.section(titles::allergies)->rows,
              (QList<QStringList>{{QStringLiteral("盤尼西林")}, {QStringLiteral("阿斯匹靈")}}));
    EXPECT_EQ(d.section(titles::criticalIllnesses)->rows,
              (QList<QStringList>{{"C50", "乳房惡性腫瘤", "110/10/15", "115/10/14"}}));
    EXPECT_EQ(d.section(titles::referral)->text, fixtures::fullQuery().state.sRef);
    EXPECT_TRUE(d.section(titles::referral)->header.isEmpty());
}

TEST(SummaryModel, EmptyQueryKeepsTheHeaderAndLeavesOutEverySection) {
    const SummaryDocument d = build(fixtures::emptyQuery());
    EXPECT_TRUE(d.sections.isEmpty()) << titlesOf(d).join(',').toStdString();
    EXPECT_EQ(fieldOf(d, QStringLiteral("姓名")), QStringLiteral("王小明"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("性別")), QStringLiteral("男"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("年齡")), QStringLiteral("40歲"));
    EXPECT_EQ(fieldOf(d, QStringLiteral("醫事機構")), QString());
}

TEST(SummaryModel, DuplicatesShowOnlyWhenTheCheckIsOn) {
    fixtures::Query q = fixtures::fullQuery();
    q.extras.duplicateCheckOn = false;
    EXPECT_EQ(build(q).section(titles::duplicates), nullptr);
    q.extras.duplicateCheckOn = true;
    q.extras.duplicates.clear();
    EXPECT_EQ(build(q).section(titles::duplicates), nullptr);
}

TEST(SummaryModel, VisitsLatestFirstWithTheirDiagnoses) {
    const SummaryDocument d = build(fixtures::fullQuery());
    const SummarySection* s = d.section(titles::visits);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rows,
              (QList<QStringList>{
                  {"113/12/01 09:30", "晴川診所 3501200000", "E119 第二型糖尿病\nI10 本態性高血壓"},
                  {"100/01/01 08:00", "中港醫學中心 0401180014", "J069 急性上呼吸道感染"}}));
}

TEST(SummaryModel, DrugsInSupplyOnTheQueryDayFromCloudAndLongTermPrescriptions) {
    const SummaryDocument d = build(fixtures::fullQuery());
    const SummarySection* s = d.section(titles::drugs);
    ASSERT_NE(s, nullptr);
    // The row of January is used up; the card's outpatient prescription is not a
    // supply of its own (the cloud lists what was dispensed).
    EXPECT_EQ(
        s->rows,
        (QList<QStringList>{
            {"113/12/08", "可悅您膜衣錠50毫克", "QD", "28", "28", "26", "北辰聯合醫院 1101010012"},
            {"113/12/05", "自調散劑", "TID", "42", "14", "9", "晴川診所 3501200000"},
            {"113/11/25", "可悅您膜衣錠50毫克", "QD", "28", "28", "13", "健保卡長期處方"}}));
}

TEST(SummaryModel, RefillsSupplyFromTheDayTheyWereCollected) {
    fixtures::Query q = fixtures::emptyQuery();
    q.tables.drug.rows << fixtures::row(report::Kind::Drug, {{"就醫日期", "113/10/01"},
                                                            {"連箋領藥日", "113/11/29"},
                                                            {"藥品名稱", "可悅您"},
                                                            {"給藥日數", "28"}});
    const SummaryDocument d = build(q);
    const SummarySection* s = d.section(titles::drugs);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rows.value(0).value(5), QStringLiteral("17"));
}

TEST(SummaryModel, LatestLaboratoryValuePerItemWithItsMark) {
    const SummaryDocument d = build(fixtures::fullQuery());
    const SummarySection* s = d.section(titles::labs);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rows,
              (QList<QStringList>{{"113/12/02", "Glu-AC", "112", "mg/dL", "70-100", "H"},
                                  {"113/11/05", "U-PRO", "2+", "", "Negative\n(陰性)", ""}}));
}

TEST(LabResult, OutOfRangeMarkFromTheReferenceRangeElseTheSiteMark) {
    struct Case {
        const char* value;
        const char* range;
        const char* siteMark;
        const char* expected;
    };
    const Case cases[] = {
        {"112", "70-100", "", "H"},
        {"65", "70-100", "", "L"},
        {"100", "70-100", "H", ""},  // the range decides over a stale site mark
        {"4.5", "4.0 - 6.0", "", ""},
        {"200", "<200", "", "H"},
        {"199.9", "<200", "", ""},
        {"5", "≦5", "", ""},
        {"40", ">40", "", "L"},
        {"41", "≧40", "", ""},
        {"2+", "Negative", "H", "H"},  // no number: the site's mark
        {"nan", "70-100", "", ""},
        {"inf", "70-100", "L", "L"},
        {"1e5", "70-100", "", ""},
        {"80", "見報告", "", ""},
        // Thousands grouped with commas are still numbers; other commas are not.
        {"6,800", "4000-10000", "", ""},
        {"12,800", "4000-10000", "", "H"},
        {"3,500", "4000-10000", "H", "L"},
        {"68,00", "4000-10000", "H", "H"},
        {"6,800.5", "<7000", "", ""},
    };
    for (const Case& c : cases) {
        LabResult l;
        l.value = QString::fromUtf8(c.value);
        l.referenceRange = QString::fromUtf8(c.range);
        l.siteMark = QString::fromUtf8(c.siteMark);
        EXPECT_EQ(l.outOfRangeMark(), QString::fromUtf8(c.expected)) << c.value << " " << c.range;
    }
}

TEST(SummaryModel, DiagnosesAreNamedFromTheDatabaseAndPlaceholdersAreNoDiagnoses) {
    const SummaryDocument d = build(fixtures::deskQuery());
    const SummarySection* s = d.section(titles::visits);
    ASSERT_NE(s, nullptr);
    // The database's full name in place of the card's cut text; the unknown code
    // stands alone; the four untouched slots are not listed.
    EXPECT_EQ(s->rows, (QList<QStringList>{{"113/12/06 10:15", "北辰聯合醫院 1101010012",
                                            "J302 其他季節性過敏性鼻炎\nZ9999"}}));
    // The untouched critical-illness slot makes no section.
    EXPECT_EQ(d.section(titles::criticalIllnesses), nullptr);

    // Without the database the card's own text is all there is.
    fixtures::FakeLookups noDatabase;
    noDatabase.diagnosisDatabaseThere = false;
    const fixtures::Query q = fixtures::deskQuery();
    const SummaryDocument without =
        buildSummary(q.state, q.tables, q.extras, q.context, noDatabase);
    EXPECT_EQ(without.section(titles::visits)->rows.value(0).value(2),
              QStringLiteral("J302 其他季節性過敏性\nZ9999"));
}

TEST(QueryRecords, TheSourceCellGivesNameAndCode) {
    struct Case {
        const char* cell;
        const char* name;
        const char* code;
    };
    const Case cases[] = {
        {"晴川診所>(轉診)>3501200000", "晴川診所", "3501200000"},  // as the record text holds it
        {"晴川診所>3501200000", "晴川診所", "3501200000"},
        {"晴川診所\n3501200000", "晴川診所", "3501200000"},  // as the page shows it
        {">3501200000", "", "3501200000"},
        {"3501200000", "", "3501200000"},
        {"晴川診所", "晴川診所", ""},
        {"晴川診所>(轉診)", "晴川診所", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const Institution i = splitSource(QString::fromUtf8(c.cell));
        EXPECT_EQ(i.name, QString::fromUtf8(c.name)) << c.cell;
        EXPECT_EQ(i.code, QString::fromUtf8(c.code)) << c.cell;
    }
}

TEST(QueryRecords, CardOrdersAreToldApartByTheirCode) {
    EXPECT_EQ(orderKindOf(QStringLiteral("AC43071100")), OrderKind::Drug);
    EXPECT_EQ(orderKindOf(QStringLiteral("A000000100")), OrderKind::Drug);
    EXPECT_EQ(orderKindOf(QStringLiteral("47041C")), OrderKind::Treatment);
    EXPECT_EQ(orderKindOf(QStringLiteral("06013C")), OrderKind::Treatment);
    EXPECT_EQ(orderKindOf(QStringLiteral("FHZ0345678")), OrderKind::Supply);
    EXPECT_EQ(orderKindOf(QStringLiteral("FBZ0123456")), OrderKind::Supply);
    EXPECT_EQ(orderKindOf(QStringLiteral("CBP02005S1KY")), OrderKind::Supply);
}

// The report (supplies, trend points) and the summary and exchange file read a
// record's date as the same day, or all find it undated.
TEST(QueryRecords, RecordDatesAreTheDaysTheReportReads) {
    struct Case {
        const char* text;
        QDate day;  // invalid: undated
    };
    const Case cases[] = {
        {"113/12/01", QDate(2024, 12, 1)},
        {"99/1/5", QDate(2010, 1, 5)},
        {"099/01/05", QDate(2010, 1, 5)},
        {"0990105", QDate(2010, 1, 5)},
        {" 113/12/01 ", QDate(2024, 12, 1)},
        {"2024/12/01", QDate(2024, 12, 1)},  // a four-digit year is the common era's
        {"", {}},
        {"   ", {}},
        {"113/02/30", {}},
        {"113-12-01", {}},
        {"11312011", {}},  // a card date-time's digits, not a record date
        {"113/012/001", {}},
        {"日期", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString date = QString::fromUtf8(c.text);
        report::CloudTable drugs, labs;
        drugs.rows << fixtures::row(
            report::Kind::Drug,
            {{"就醫日期", date}, {"給藥日數", "28"}, {"餘藥日數", "0"}, {"ATC7代碼", "C09CA01"}});
        labs.rows << fixtures::row(
            report::Kind::Lab, {{"檢驗日期", date}, {"醫令代碼", "09005C"}, {"檢驗結果", "98"}});

        const report::DrugSupplies supplies = report::readDrugSupplies(drugs);
        EXPECT_EQ(supplies.rows.isEmpty() ? QDate() : supplies.rows.first().visit, c.day);
        EXPECT_EQ(cloudDrugs(drugs).value(0).start, c.day);

        const report::TrendSeries trend = report::extractTrendSeries(labs, 0);
        EXPECT_EQ(trend.points.isEmpty() ? QDate() : trend.points.first().date, c.day);
        EXPECT_EQ(cloudLabResults(labs).value(0).date, c.day);
    }
}

TEST(SummaryModel, AgeCountsWholeYearsUpToTheQueryDay) {
    EXPECT_EQ(ageOn(QDate(2010, 12, 31), QDate(2024, 12, 30)), 13);
    EXPECT_EQ(ageOn(QDate(2010, 12, 31), QDate(2024, 12, 31)), 14);
    EXPECT_EQ(ageOn(QDate(2012, 2, 29), QDate(2024, 2, 28)), 11);
    EXPECT_EQ(ageOn(QDate(2025, 1, 1), QDate(2024, 12, 31)), -1);
    EXPECT_EQ(ageOn(QDate(), QDate(2024, 12, 31)), -1);
}

}  // namespace
