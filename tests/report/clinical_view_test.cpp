// The duplicate list and the trend chart, drawn offscreen from the demo patient's
// cloud records (the loopback site's fixture).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScatterSeries>
#include <QTreeWidget>
#include <QDir>
#include <QImage>

#include "qstring_printer.h"
#include "report/duplicates_view.h"
#include "report/supply_timeline_view.h"
#include "report/trend_chart_view.h"

using ::testing::ElementsAre;

namespace {

// Made once and kept for the whole run, as in the other widget tests: a static
// application object would be destroyed at exit after the main thread's font
// cache had lost its storage, which the leak check then reports.
void app() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "report_clinical_view_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// The fixture lists each row's cells in the table's column order.
report::CloudTable demoTable(const char* kind) {
    QFile f(QStringLiteral(CLOUD_RECORDS_FIXTURE));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(f.readAll())
                                .object()["patients"]
                                .toObject()["B220715631"]
                                .toObject()[kind]
                                .toArray();
    report::CloudTable t;
    for (const auto& r : rows) {
        const QJsonArray cells = r.toArray();
        report::CloudRow row;
        row.caption = cells.at(0).toString().trimmed();
        for (int i = 1; i < cells.size(); ++i) row.values << cells.at(i).toString();
        t.rows.append(row);
    }
    return t;
}

int pointsOf(QChart* chart, const QString& name) {
    for (auto* s : chart->series())
        if (s->name() == name) return int(static_cast<QScatterSeries*>(s)->count());
    return -1;
}

TEST(ClinicalViews, DuplicateListShowsGroupsWithSourcesDatesAndDaysLeft) {
    app();
    const report::CloudTable drugs = demoTable("drug");
    // Long after the visits: only the rows with days left over are still taken.
    const auto findings = report::findDuplicates(drugs, QDate(2026, 12, 10));
    DuplicatesDialog dialog(findings, drugs);
    const QTreeWidget* list = dialog.list();
    QStringList groups;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        groups << list->topLevelItem(i)->text(0) + u' ' + list->topLevelItem(i)->text(1);
    // The groups are named by the ingredient the rows share.
    EXPECT_THAT(groups, ElementsAre("同成分 ATORVASTATIN", "同成分 LOSARTAN", "同成分 OMEPRAZOLE",
                                    "同成分 METFORMIN", "同成分 DEXTROMETHORPHAN",
                                    "同成分 PARACETAMOL"));
    const QTreeWidgetItem* losartan = list->topLevelItem(1);
    ASSERT_EQ(losartan->childCount(), 3);
    QStringList lines;
    for (int i = 0; i < losartan->childCount(); ++i) {
        const auto* c = losartan->child(i);
        lines << QStringList{c->text(2), c->text(3), c->text(4), c->text(5), c->text(6)}.join('|');
    }
    EXPECT_THAT(lines, ElementsAre("113/12/08|北辰聯合醫院 1101010012|可悅您膜衣錠50毫克|28|23",
                                   "113/08/08|中港醫學中心 0401180014|可悅您膜衣錠50毫克|28|23",
                                   "113/04/08|晴川診所 3501200000|可悅您膜衣錠50毫克|28|23"));
}

TEST(ClinicalViews, AnEmptyListSaysSoInItsOwnPlace) {
    app();
    const report::CloudTable none;
    const auto findings = report::findDuplicates(none, QDate(2024, 12, 16));
    // Checked and nothing found: the list's one line says it, over its whole width,
    // and the text above (what was checked) does not repeat it.
    DuplicatesDialog checked(findings, none);
    ASSERT_EQ(checked.list()->topLevelItemCount(), 1);
    const QTreeWidgetItem* line = checked.list()->topLevelItem(0);
    EXPECT_EQ(line->text(0), "目前無重複用藥");
    EXPECT_TRUE(line->isFirstColumnSpanned());
    EXPECT_FALSE(line->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(checked.checkedText()->text().contains("目前無重複用藥"));
    // Not checked at all: the list claims nothing.
    DuplicatesDialog off(findings, none, nullptr, nullptr, false);
    EXPECT_EQ(off.list()->topLevelItemCount(), 0);
}

TEST(ClinicalViews, TrendChartPlotsNumbersMarksOutliersAndListsText) {
    app();
    const report::CloudTable lab = demoTable("lab");
    // Row 0 is the fasting glucose: 112 twice, above 70-100.
    TrendChartDialog glucose(report::extractTrendSeries(lab, 0));
    EXPECT_EQ(pointsOf(glucose.chart(), "超出參考值"), 2);
    EXPECT_EQ(pointsOf(glucose.chart(), "結果"), 0);
    EXPECT_EQ(glucose.headline()->text(), "最新值: 112 mg/dL (2024/12/02)  較前次: +0");
    EXPECT_TRUE(glucose.unplotted()->isHidden());

    // Row 3 is the urine protein, "2+" both times: nothing to plot, both listed.
    TrendChartDialog protein(report::extractTrendSeries(lab, 3));
    EXPECT_EQ(pointsOf(protein.chart(), "超出參考值") + pointsOf(protein.chart(), "結果"), 0);
    EXPECT_FALSE(protein.unplotted()->isHidden());
    EXPECT_EQ(protein.unplotted()->text(), "未繪製的結果:\n113/11/05  2+\n113/08/11  2+");

    // A censored result is drawn at its number and carries its comparison as a label.
    report::CloudTable censored = lab;
    censored.rows[4].values[6] = QStringLiteral("<0.5");  // 肌酸酐 0.6-1.3 on 113/10/06
    TrendChartDialog creatinine(report::extractTrendSeries(censored, 4));
    EXPECT_EQ(pointsOf(creatinine.chart(), "超出參考值"), 1);
    EXPECT_EQ(pointsOf(creatinine.chart(), "結果"), 1);
    EXPECT_EQ(pointsOf(creatinine.chart(), "<"), 1);
}

// Pictures of the three views with the demo patient, read the day after the last
// visit, for a person to look at: saved when TOLVANE_SCREENSHOT_DIR names a folder.
TEST(ClinicalViews, PicturesOfTheDemoPatient) {
    app();
    const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "TOLVANE_SCREENSHOT_DIR not set";
    QDir().mkpath(dir);
    const QDate day(2024, 12, 16);
    const report::CloudTable drugs = demoTable("drug");
    const report::CloudTable lab = demoTable("lab");
    // The demo card: a woman born 69/08/15, allergic to penicillins and sulfonamides.
    const report::AidsPatient patient{u'F', QDate(1980, 8, 15), {"盤尼西林類 (Penicillin)", "磺胺類藥物"}};
    const auto aids = report::runClinicalAids(day, drugs, lab, patient);
    auto save = [&dir](QWidget& w, const char* name) {
        w.show();
        QCoreApplication::processEvents();
        QImage image(w.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        w.render(&image);
        EXPECT_TRUE(image.save(dir + u'/' + QString::fromLatin1(name)));
    };
    DuplicatesDialog list(report::findDuplicates(drugs, day), drugs, nullptr, &aids);
    save(list, "aids-list.png");
    SupplyTimelineDialog timeline(report::buildSupplyTimeline(drugs, day));
    EXPECT_GT(timeline.canvas()->timeline().laneCount(), 4);
    save(timeline, "supply-timeline.png");
    // The creatinine, one row reported again in µmol/L by another institution.
    report::CloudTable mixed = lab;
    mixed.rows[10].values[6] = QStringLiteral("97");
    mixed.rows[10].values[7] = QStringLiteral("53-115");
    mixed.rows[10].values[17] = QStringLiteral("umol/L");
    TrendChartDialog trend(report::extractTrendSet(mixed, 4));
    EXPECT_EQ(trend.charts().size(), 1);
    EXPECT_TRUE(trend.unplotted()->text().contains("97 µmol/L → 1.10 mg/dL")) << trend.unplotted()->text().toStdString();
    save(trend, "creatinine-trend.png");
}

}  // namespace
