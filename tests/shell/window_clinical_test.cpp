// The duplicate-medication check and the laboratory trend on the window's cloud
// page, with the demo patient's cloud records as a read leaves them.

#include <QChart>
#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScatterSeries>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "report/clinical_aids_view.h"
#include "report/cloud_report.h"
#include "report/duplicates_view.h"
#include "report/trend_chart_view.h"
#include "window_fixture.h"

namespace {

// The record text a read makes of the loopback site's rows for the demo patient.
QString demoRecords(const char* kind) {
    QFile f(QStringLiteral(CLOUD_RECORDS_FIXTURE));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QJsonObject fx = QJsonDocument::fromJson(f.readAll()).object();
    const QJsonArray columns =
        fx[kind == QLatin1String("drug") ? "drugColumns" : "labColumns"].toArray();
    QString out;
    for (const auto& row : fx["patients"].toObject()["B220715631"].toObject()[kind].toArray()) {
        out += "<D>";
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString name = columns.at(c).toString();
            QString v = row.toArray().at(c).toString();
            // What the page makes of quotes and line breaks.
            v.remove(u'"');
            v.replace(u'\n', u'>');
            out += "<" + name + ">" + v + "</" + name + ">";
        }
        out += "</D>";
    }
    return out;
}

class WindowClinical : public WindowTest {
  protected:
    TFtolv& startWithDemoRecords(bool checkOn) {
        installControlSoftware();
        writeEndpoints();
        if (checkOn) ini().writeString("ICcardShow", "本區重複用藥檢查", "Y");
        TFtolv& w = start();
        // Read the day after the demo patient's last visit.
        Query q;
        q.origin = QueryOrigin::Reopen;
        q.patientId = "B220715631";
        q.time = QDateTime(QDate(2024, 12, 16), QTime(9, 30));
        q.patient.sDrug = demoRecords("drug");
        q.patient.sLab = demoRecords("lab");
        w.commitQuery(q, true);
        return w;
    }
    int markedRows() {
        const auto* model = get<QTreeView>("CcloudReport")->model();
        int n = 0;
        for (int r = 0; r < model->rowCount(); ++r)
            n += model->index(r, 0).data(report::CloudReportModel::DuplicateRole).toBool();
        return n;
    }
};

int pointsOf(QChart* chart, const QString& name) {
    for (auto* s : chart->series())
        if (s->name() == name) return int(static_cast<QScatterSeries*>(s)->count());
    return -1;
}

TEST_F(WindowClinical, DuplicatesOfTheDemoPatientAreCountedMarkedAndListed) {
    TFtolv& w = startWithDemoRecords(true);
    EXPECT_TRUE(get<QCheckBox>("CcloudCheckDup")->isChecked()) << "read at start-up";
    // Five ingredients are still taken from two or three visits each; the new
    // atorvastatin came ten days before the old supply's end: an early refill.
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:26  重複用藥:5");
    EXPECT_EQ(markedRows(), 11);
    const QAbstractItemModel* model = get<QTreeView>("CcloudReport")->model();
    int withWarning = 0;
    for (int r = 0; r < model->rowCount(); ++r) {
        withWarning +=
            model->index(r, 0).data(report::CloudReportModel::WarningRole).toString().contains("同成分");
        // The date stays a date; the warning has its own place.
        EXPECT_FALSE(model->index(r, 0).data().toString().contains("重複")) << r;
    }
    EXPECT_EQ(withWarning, 11);
    // The counts stand on the bar, whole.
    EXPECT_TRUE(get<QLabel>("CcloudAidsCount")->text().contains("重複用藥 5"));
    // A copied marked row carries its warning as a labelled field of its own.
    int marked = 0;
    while (!model->index(marked, 0).data(report::CloudReportModel::DuplicateRole).toBool()) ++marked;
    get<QTreeView>("CcloudReport")
        ->model()
        ->setData(model->index(marked, 0), Qt::Checked, Qt::CheckStateRole);
    w.findChild<QCheckBox*>("CcopyWithTagCheck")->setChecked(true);
    EXPECT_TRUE(w.cloudReport().copyText(true).contains("警示:(同成分"));

    get<QToolButton>("CcloudDup")->click();
    DuplicatesDialog* list = w.findChild<DuplicatesDialog*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->list()->topLevelItemCount(), 6);
    EXPECT_EQ(list->list()->topLevelItem(0)->text(0), "同成分");
    EXPECT_TRUE(list->isVisible());

    // Unchecked: stored, and nothing is computed or shown; the doctor's tick stays.
    get<QCheckBox>("CcloudCheckDup")->click();
    int ticked = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        ticked += model->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    EXPECT_EQ(ticked, 1);
    EXPECT_EQ(ini().readString("ICcardShow", "本區重複用藥檢查", ""), "N");
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:26");
    EXPECT_EQ(markedRows(), 0);
    EXPECT_TRUE(w.cloudReport().duplicates().groups.isEmpty());
    // The list still opens for the other aids.
    EXPECT_TRUE(get<QToolButton>("CcloudDup")->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.findChild<DuplicatesDialog*>(), nullptr) << "the list closes with the check";
}

TEST_F(WindowClinical, MarksFollowTheirSourceRowsWhenOnlySelectedRowsShow) {
    TFtolv& w = startWithDemoRecords(true);
    w.cloudReport().setRules({{"北辰"}, {}, {}});
    get<QToolButton>("CcloudShowSelect")->click();
    const report::CloudReport& report = w.cloudReport();
    const QAbstractItemModel* model = get<QTreeView>("CcloudReport")->model();
    ASSERT_GT(model->rowCount(), 0);
    ASSERT_LT(model->rowCount(), 26);
    int marked = 0;
    for (int r = 0; r < model->rowCount(); ++r) {
        const int source = report.sourceRowOf(r);
        ASSERT_GE(source, 0);
        const report::CloudRow& row = report.sourceTables().drug.rows.at(source);
        // The very row it was copied from (the visit numbers tell the rows apart).
        const int modelRow = report.proxy().mapToSource(report.proxy().index(r, 0)).row();
        EXPECT_EQ(report.model().row(modelRow).values, row.values);
        const bool dup = model->index(r, 0).data(report::CloudReportModel::DuplicateRole).toBool();
        EXPECT_EQ(dup, report.duplicates().isDuplicated(source)) << r;
        marked += dup;
    }
    EXPECT_GT(marked, 0);
    EXPECT_LT(marked, model->rowCount());
}

TEST_F(WindowClinical, OffByDefaultNothingMarked) {
    startWithDemoRecords(false);
    EXPECT_FALSE(get<QCheckBox>("CcloudCheckDup")->isChecked());
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:26");
    EXPECT_EQ(markedRows(), 0);
}

TEST_F(WindowClinical, TrendOfTheChosenLaboratoryRow) {
    TFtolv& w = startWithDemoRecords(false);
    get<QToolButton>("ToolButton2")->click();
    QTreeView* report = get<QTreeView>("CcloudReport");
    // The glucose rows, wherever the sort put them.
    int glucose = -1;
    for (int r = 0; r < report->model()->rowCount(); ++r)
        if (w.cloudReport().shownCells(r).contains("Glu-AC")) glucose = r;
    ASSERT_GE(glucose, 0);
    report->setCurrentIndex(report->model()->index(glucose, 0));
    get<QToolButton>("CcloudTrend")->click();
    TrendChartDialog* chart = w.findChild<TrendChartDialog*>();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(pointsOf(chart->chart(), "超出參考值") + pointsOf(chart->chart(), "結果"), 2);

    // A double click opens the chart of the row clicked, in place of the last one.
    int protein = -1;
    for (int r = 0; r < report->model()->rowCount(); ++r)
        if (w.cloudReport().shownCells(r).contains("U-PRO")) protein = r;
    ASSERT_GE(protein, 0);
    emit report->doubleClicked(report->model()->index(protein, 2));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto charts = w.findChildren<TrendChartDialog*>();
    ASSERT_EQ(charts.size(), 1);
    EXPECT_FALSE(charts.first()->unplotted()->isHidden());

    // The next patient's records: the chart of this one does not stay open.
    Query next = w.query();
    next.patient.sLab.clear();
    w.commitQuery(next, true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.findChildren<TrendChartDialog*>().isEmpty());
}

}  // namespace
