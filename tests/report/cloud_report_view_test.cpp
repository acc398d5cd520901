// The cloud page's widgets offscreen, on a settings file of their own.
#include "report/cloud_report_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStyle>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "recording_prompts.h"
#include "report_fixture.h"

namespace report {
namespace {

using ::testing::ElementsAre;

class ReportPage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "report_view_test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(folder.dir.isValid());
        folder.copyHospitalList();
        auto* pages = new QTabWidget(&window);
        auto* other = new QWidget;
        pages->addTab(other, "edge");
        auto* page = new QWidget;
        pages->addTab(page, "雲端藥歷");
        auto* box = new QVBoxLayout(page);
        auto* bar = new QWidget(page);
        auto* barRow = new QHBoxLayout(bar);
        auto button = [&](const char* text) {
            auto* b = new QToolButton(bar);
            b->setText(QString::fromUtf8(text));
            barRow->addWidget(b);
            return b;
        };
        w.window = &window;
        w.CmainPage = pages;
        w.CPcloudChart = page;
        w.CcloudBar = bar;
        w.CputToCC = button("copy到剪貼簿");
        w.ToolButton1 = button("藥品");
        w.ToolButton2 = button("檢驗");
        w.CcloudShowAll = button("顯示全部");
        w.CcloudShowSelect = button("顯示選取");
        w.CcloudSet = button("設定");
        box->addWidget(bar);
        auto* body = new QHBoxLayout;
        box->addLayout(body);
        w.CcloudReport = new QTreeView(page);
        w.CPfieldSetting = new QFrame(page);
        w.CPcloudSetting = new QFrame(page);
        body->addWidget(w.CcloudReport);
        body->addWidget(w.CPfieldSetting);
        body->addWidget(w.CPcloudSetting);
        w.CPfieldSetting->hide();
        w.CdateSortType = new QCheckBox(&window);
        w.CcopyWithTagCheck = new QCheckBox(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(pages);
        view = std::make_unique<CloudReportView>(report, w, prompts, folder.appPath(),
                                                 [this](const QString& t) { msg2 = t; });
        report.fillCloudData(reportFixture("drug-records.txt"), reportFixture("lab-records.txt"));
        window.resize(700, 400);
        window.show();
    }

    QStringList menuTexts(const QPoint& pos) {
        std::unique_ptr<QMenu> menu = view->CcloudReportContextMenu(pos);
        QStringList texts;
        if (!menu) return texts;
        for (QAction* a : menu->actions()) {
            EXPECT_EQ(a->objectName(), "MenuAccept");
            texts << a->text();
        }
        return texts;
    }

    ReportFolder folder;
    CloudReport report{folder.iniPath()};
    RecordingPrompts prompts;
    QWidget window;
    CloudPageWidgets w;
    std::unique_ptr<CloudReportView> view;
    QString msg2;
};

TEST_F(ReportPage, ToolBarShowsKindsAndCounts) {
    w.CcloudShowAll->click();  // before any read: empty, but the page and count show
    EXPECT_EQ(w.CmainPage->currentWidget(), w.CPcloudChart);
    EXPECT_EQ(msg2, "項目總量:0");
    w.ToolButton2->click();
    EXPECT_EQ(msg2, "項目總量:3");
    EXPECT_EQ(w.CcloudReport->model()->headerData(0, Qt::Horizontal).toString(), "檢驗日期");
    // The first column is as wide as its text's width and the row's check box;
    // widths grow with the font in use and are stored as the design's.
    auto grown = [this](int width) { return int(std::ceil(width * view->widthRatio() - 1e-9)); };
    const int boxExtent =
        w.CcloudReport->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w.CcloudReport) + 6;
    EXPECT_GE(w.CcloudReport->header()->sectionSize(0), grown(32) + boxExtent);
    w.CcloudReport->header()->resizeSection(0, grown(40) + boxExtent);
    EXPECT_EQ(report.getWidthofColumn("檢驗日期"), 40);
    w.ToolButton1->click();
    EXPECT_EQ(msg2, "項目總量:9");
    EXPECT_EQ(w.CcloudReport->header()->sectionSize(9), grown(180));
    EXPECT_EQ(w.CcloudReport->header()->sectionSize(3), 0);
    // A dragged border goes back to the report.
    w.CcloudReport->header()->resizeSection(9, grown(120));
    EXPECT_EQ(report.getWidthofColumn("藥品名稱"), 120);
}

TEST_F(ReportPage, ColumnsFitTheirValuesAndGrowWithTheFont) {
    w.ToolButton1->click();
    QHeaderView* header = w.CcloudReport->header();
    auto fits = [&](const QString& text, int column, int extra) {
        const int margins =
            2 * (w.CcloudReport->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        return QFontMetricsF(w.CcloudReport->font()).horizontalAdvance(text) + margins + extra <=
               header->sectionSize(column);
    };
    // The row's check box, as the view sizes it.
    const int box =
        w.CcloudReport->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w.CcloudReport) + 6;
    // The date column (54 at design) shows a whole date beside the row's check box:
    // at least as wide as the style's own size for its cells.
    EXPECT_TRUE(fits("113/12/08", 0, box)) << header->sectionSize(0);
    EXPECT_GE(header->sectionSize(0), static_cast<QAbstractItemView*>(w.CcloudReport)->sizeHintForColumn(0));
    const int name = header->sectionSize(9);
    // "視窗解析度" 150: the fonts grow half again, and so do the columns; the
    // stored widths stay the design's.
    QFont font = w.CcloudReport->font();
    font.setPixelSize(QFontInfo(font).pixelSize() * 3 / 2);
    w.CcloudReport->setFont(font);
    EXPECT_GE(header->sectionSize(9), name * 14 / 10);
    EXPECT_TRUE(fits("113/12/08", 0, box));
    EXPECT_GE(header->sectionSize(0), static_cast<QAbstractItemView*>(w.CcloudReport)->sizeHintForColumn(0));
    EXPECT_EQ(report.getWidthofColumn("藥品名稱"), 180);
}

TEST_F(ReportPage, RulePanelReadsAndSavesTheSettings) {
    folder.ini().writeString(kRuleSection, kNameRuleKey, "眼科||台大");
    w.ToolButton1->click();
    w.CcloudSet->click();
    EXPECT_TRUE(w.CPcloudSetting->isVisible());
    EXPECT_EQ(w.CPcloudSetting->size(), QSize(425, 236));
    // Over the report, which keeps its width.
    const QRect report(w.CcloudReport->mapTo(w.CPcloudChart, QPoint(0, 0)), w.CcloudReport->size());
    EXPECT_TRUE(report.contains(w.CPcloudSetting->geometry())) << w.CcloudReport->width();
    EXPECT_EQ(view->CcloudNameInclude->toPlainText(), "眼科\n台大");
    view->CcloudNameInclude->setPlainText("眼科,醫院");
    view->CcloudICD10Include->setPlainText(" H25 ");
    view->CcloudCheckDup->setChecked(true);
    view->CcloudRuleSave->click();
    EXPECT_FALSE(w.CPcloudSetting->isVisible());
    EXPECT_EQ(msg2, "項目總量:9");  // the report waits for the next "顯示選取"
    EXPECT_EQ(folder.ini().readString(kRuleSection, kICD10RuleKey, ""), " H25 ");
    EXPECT_EQ(folder.ini().readSection(kRuleSection).size(), 3);
    w.CcloudShowSelect->click();
    EXPECT_EQ(msg2, "項目總量:4");  // two eye clinics, two hospital rows
}

TEST_F(ReportPage, FieldPanelHandlers) {
    view->fieldSettingShown();  // before any report: nothing to list
    EXPECT_EQ(view->CviewfieldList->count(), 0);
    w.ToolButton1->click();
    view->fieldSettingShown();
    ASSERT_EQ(view->CviewfieldList->count(), 24);
    ASSERT_EQ(view->CviewSortList->count(), 24);
    auto grown = [this](int width) { return int(std::ceil(width * view->widthRatio() - 1e-9)); };
    view->CviewfieldList->item(3)->setCheckState(Qt::Checked);  // "ATC5代碼"
    EXPECT_EQ(w.CcloudReport->header()->sectionSize(3), grown(50));
    EXPECT_TRUE(window.isEnabled());

    view->CviewfieldList->setCurrentRow(9);  // "藥品名稱"
    w.CPfieldSetting->findChild<QToolButton*>("CviewfieldListUp")->click();
    EXPECT_EQ(view->CviewfieldList->currentRow(), 8);
    EXPECT_EQ(w.CcloudReport->model()->headerData(8, Qt::Horizontal).toString(), "藥品名稱");
    EXPECT_EQ(w.CcloudReport->header()->sectionSize(8), grown(180));

    view->CviewSortList->item(0)->setCheckState(Qt::Checked);  // "就醫日期", newest first
    EXPECT_EQ(w.CcloudReport->model()->index(0, 0).data().toString(), "113/12/08");
    w.CdateSortType->setChecked(true);
    view->CviewSortList->setCurrentRow(0);
    w.CPfieldSetting->findChild<QToolButton*>("CviewsortListDn")->click();
    EXPECT_EQ(view->CviewSortList->currentRow(), 1);
    EXPECT_EQ(w.CcloudReport->model()->index(0, 0).data().toString(), "99/12/31");
    view->fieldSettingHidden();
    EXPECT_EQ(folder.ini().readString("drugsort", "就醫日期", ""), "Y");
}

TEST_F(ReportPage, CopyPutsTickedRowsOnTheClipboard) {
    folder.writeIni("[drugfield]\n就醫日期=54\n藥品名稱=180\n[drugsort]\n就醫日期=Y\n");
    w.ToolButton1->click();
    QApplication::clipboard()->setText("old");
    w.CputToCC->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "");  // nothing ticked: emptied
    w.CcloudReport->model()->setData(w.CcloudReport->model()->index(1, 0), Qt::Checked,
                                     Qt::CheckStateRole);
    w.CcopyWithTagCheck->setChecked(true);
    w.CputToCC->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "就醫日期:(113/12/01) 藥品名稱:(庫魯化錠500毫克)");
}

TEST_F(ReportPage, RightClickFollowsTheScrolledHeader) {
    w.ToolButton1->click();
    QTreeView* tree = w.CcloudReport;
    const int rowY = tree->visualRect(tree->model()->index(0, 0)).center().y();
    // Unscrolled, x = 10 is the date: left of "來源", the institution.
    EXPECT_THAT(menuTexts({10, rowY}).mid(1, 2),
                ElementsAre("醫事機構代碼 : 3501200000", "醫事機構名稱 : 晴川診所"));
    // Scrolled right, x = 10 lies over "藥品名稱": the row's values.
    tree->horizontalScrollBar()->setValue(tree->header()->sectionPosition(9));  // "藥品名稱"
    const QStringList values = menuTexts({10, rowY});
    ASSERT_FALSE(values.isEmpty());
    EXPECT_EQ(values.first(), "就醫日期 : 113/12/01");
    EXPECT_TRUE(prompts.messages().isEmpty());

    // Below the rows: the current row; "&" shows as written.
    tree->horizontalScrollBar()->setValue(0);
    tree->setCurrentIndex(tree->model()->index(8, 0));
    const QStringList own =
        menuTexts({tree->header()->sectionViewportPosition(2) + 10, tree->viewport()->height() - 2});
    EXPECT_TRUE(own.contains("用法用量 : BID && HS"));

    // A damaged list says so and shows no menu.
    QFile::remove(folder.dir.filePath("hospbsc.txt"));
    EXPECT_TRUE(menuTexts({10, rowY}).isEmpty());
    EXPECT_THAT(prompts.messages(), ElementsAre("檔案缺損 " + folder.appPath() + "hospbsc.txt"));
}

}  // namespace
}  // namespace report
