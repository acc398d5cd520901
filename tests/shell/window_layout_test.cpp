// Every page and widget of the window: names, kinds, captions, list columns and
// the visit grid.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "report/cloud_tables.h"
#include "shell/font_fit.h"
#include "shell/font_fit_view.h"
#include "window_fixture.h"

namespace {

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return {};
}

struct Col {
    const char* caption;
    int width;
    bool right = false;
};

}  // namespace

class WindowLayout : public WindowTest {};

TEST_F(WindowLayout, PagesInTabOrder) {
    installControlSoftware();
    start();
    auto* pages = get<QTabWidget>("CmainPage");
    const char* expected[][2] = {
        {"CPptData", "病人資料"},   {"CPopd", "就診資料"},        {"CPtreatItem", "一般處方"},
        {"CPlongDrug", "慢性處方"}, {"CPheavy", "重大醫令"},      {"CPprevent", "健檢接種"},
        {"CPpregnancy", "產檢"},    {"CPcloudChart", "雲端藥歷"}, {"CTedge", "edge"},
        {"CTsetting", "設定"},
    };
    ASSERT_EQ(pages->count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), expected[i][0]);
        EXPECT_EQ(pages->tabText(i), QString::fromUtf8(expected[i][1]));
    }
    EXPECT_EQ(get("Cedge")->parentWidget(), get("CTedge"));
}

TEST_F(WindowLayout, WidgetsWithTheirCaptions) {
    installControlSoftware();
    writeEndpoints();
    start();
    const char* widgets[][2] = {
        // top bar
        {"Cmsg1", ""},
        {"Cmsg2", ""},
        {"Cmsg3", ""},
        {"CsrID", ""},
        {"CdateList", "查詢日期"},
        {"Csetting", ""},
        {"CICcheck", "IC卡"},
        {"Ccloudcheck", "雲端"},
        {"CICcloudcheck", "全部"},
        {"CsaveHtml", "Direct Read"},
        {"Cread", "Read"},
        // patient page
        {"CptName", ""},
        {"CptID", ""},
        {"Cbirthday", ""},
        {"Csex", "性別"},
        // cloud page
        {"CputToCC", "copy到剪貼簿"},
        {"ToolButton1", "藥品"},
        {"ToolButton2", "檢驗"},
        {"CcloudShowAll", "顯示全部"},
        {"CcloudShowSelect", "顯示選取"},
        {"CcloudSet", "設定"},
        // settings page
        {"CGetTreatment", "讀取就醫資料"},
        {"CReadPrescription", "讀取處方資料"},
        {"CGetRegisterPrevent", "讀取預防保健資料"},
        {"CGetRegisterPregnant", "讀取孕婦產檢資料"},
        {"CGetCumulativeData", "讀取就醫費用累計資料"},
        {"CGetInoculateData", "讀取預防接種資料"},
        {"CGetOrganDonate", "讀取器官捐贈資料"},
        {"CGetCloudLabData", "讀取雲端藥例檢驗值"},
        {"CcloudRefCheck", "查詢雲端轉診(下轉)"},
        {"CsaveDataCheck", "儲存查詢資料(請依照健保署規定處理資訊)"},
        {"CdateSortType", "日期順向排序"},
        {"CcopyWithTagCheck", "複製擷取時含標註"},
        {"CfastCloudRead", "快速讀取雲端資料(等待網頁完成即讀取)"},
        {"CVHCNHIset", "設定"},
        {"CReinitializeWebCheck", "每次讀雲端藥歷前先重啟edge"},
        {"CscaleforPPIdefault", "預設解析度"},
        {"CedgeZoom", "0.8"},
        {"CcardDrPIN", ""},
        {"CVHCNHIlocation", ""},
        {"Ccom", "1"},
    };
    for (const auto& [name, caption] : widgets)
        EXPECT_EQ(captionOf(get(name)), QString::fromUtf8(caption)) << name;

    // Labels beside the controls.
    QStringList labels;
    for (QLabel* l : window->findChildren<QLabel*>()) labels << l->text();
    for (const char* text :
         {"姓名:", "身份證號:", "生日:", "轉診訊息", "重大傷病", "重大醫令", "預防保健", "產檢",
          "虛擬健保卡控制軟體", "醫事人員PIN碼", "雲端藥歷字體大小(1:正常,<1縮小)", "讀卡機埠",
          "設定本程式視窗解析度%"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;

    auto* sex = get<QGroupBox>("Csex");
    QStringList sexItems;
    for (auto* r : sex->findChildren<QRadioButton*>()) sexItems << r->text();
    EXPECT_EQ(sexItems, QStringList({"M", "F"}));
    EXPECT_TRUE(get<QRadioButton>("Ccloudcheck")->isChecked());
    get<QRadioButton>("CICcheck")->click();
    EXPECT_FALSE(get<QRadioButton>("Ccloudcheck")->isChecked());

    auto* com = get<QComboBox>("Ccom");
    EXPECT_FALSE(com->isEditable());
    ASSERT_EQ(com->count(), 8);
    EXPECT_EQ(com->itemText(7), "8");
    auto* scale = get<QComboBox>("CscaleforPPI");
    EXPECT_TRUE(scale->isEditable());
    QStringList scales;
    for (int i = 0; i < scale->count(); ++i) scales << scale->itemText(i);
    EXPECT_EQ(scales, QStringList({"100", "110", "120", "125", "150", "175", "200", "225", "250"}));

    auto* login = get<QComboBox>("CloginType");
    EXPECT_TRUE(login->isHidden());
    EXPECT_FALSE(login->isEnabled());
    ASSERT_EQ(login->count(), 4);
    EXPECT_EQ(login->currentText(), QStringLiteral("健保雲端系統2.0(實體健保卡)"));
    EXPECT_EQ(login->itemText(3), QStringLiteral("因應天災及緊急醫療查詢作業2.0"));

    for (const char* hidden : {"CPcloudSetting", "CPfieldSetting", "CcloudDrug", "CcloudLabData"})
        EXPECT_TRUE(get(hidden)->isHidden()) << hidden;
    EXPECT_EQ(get<QSpinBox>("Czoomfactor")->value(), 8);
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
}

TEST_F(WindowLayout, TopBarSizesAndToolGroupAtTheTopRight) {
    installControlSoftware();
    start();
    window->show();
    EXPECT_EQ(window->size(), QSize(981, 576));
    EXPECT_EQ(get("CPtop")->height(), 26);
    const struct {
        const char* name;
        int width;
    } widths[] = {{"Cmsg1", 123},   {"Cmsg2", 102},         {"CsrID", 93},   {"CdateList", 103},
                  {"Csetting", 39}, {"Czoomfactor", 38},    {"CPtool", 300}, {"CsaveHtml", 81},
                  {"Cread", 42},    {"CPfieldSetting", 114}};
    for (const auto& w : widths) EXPECT_EQ(get(w.name)->maximumWidth(), w.width) << w.name;
    EXPECT_FALSE(get<QToolButton>("Csetting")->icon().isNull());
    EXPECT_EQ(get<QLabel>("Cmsg3")->palette().color(QPalette::Window), QColor("aqua"));

    for (const QSize size : {QSize(981, 576), QSize(1200, 700), QSize(800, 500)}) {
        window->resize(size);
        QApplication::processEvents();
        QWidget* tool = get("CPtool");
        const QPoint topLeft = tool->mapTo(window.get(), QPoint(0, 0));
        EXPECT_EQ(topLeft.y(), 0);
        EXPECT_EQ(topLeft.x() + tool->width(), window->width()) << size.width();
    }
}

TEST_F(WindowLayout, PatientListsHaveTheirColumns) {
    installControlSoftware();
    start();
    const struct {
        const char* list;
        std::vector<Col> cols;
    } lists[] = {
        {"CtreatItem",
         {{"日期", 55},
          {"品名", 276},
          {"健保碼", 94},
          {"醫令", 34},
          {"部位", 40},
          {"使用方式", 62},
          {"日數", 34, true},
          {"總量", 62, true},
          {"調劑", 34, true}}},
        {"ClongDrug",
         {{"開立日期", 94},
          {"藥品名", 236},
          {"健保碼", 94},
          {"用法", 94},
          {"日數", 34, true},
          {"總量", 62, true}}},
        {"CcriticalIllness", {{"診斷", 480}, {"起始日期", 58}, {"結束日期", 58}}},
        {"CimportantMx",
         {{"日期", 78},
          {"醫療院所", 158},
          {"醫令碼", 94},
          {"醫令", 158},
          {"部位", 40},
          {"總量", 62, true}}},
        {"Cprevent", {{"日期", 78}, {"醫療院所", 158}, {"項目代碼", 94}, {"註記", 78}}},
        {"Cpregnant", {{"日期", 78}, {"醫療院所", 158}, {"產檢代碼", 94}}},
    };
    for (const auto& l : lists) {
        auto* tree = get<QTreeWidget>(l.list);
        EXPECT_FALSE(tree->rootIsDecorated()) << l.list;
        ASSERT_EQ(tree->columnCount(), static_cast<int>(l.cols.size())) << l.list;
        for (int i = 0; i < tree->columnCount(); ++i) {
            SCOPED_TRACE(std::string(l.list) + " column " + std::to_string(i));
            EXPECT_EQ(tree->headerItem()->text(i), QString::fromUtf8(l.cols[i].caption));
            // The design width, grown with a font wider than the design font.
            EXPECT_EQ(tree->columnWidth(i),
                      fontfit::grownWidth(l.cols[i].width, fontfit::listWidthRatio(tree->font())));
            EXPECT_EQ((tree->headerItem()->textAlignment(i) & Qt::AlignRight) != 0,
                      l.cols[i].right);
        }
    }
}

TEST_F(WindowLayout, HiddenRecordListsAndReport) {
    installControlSoftware();
    start();
    auto* drug = get<QTreeWidget>("CcloudDrug");
    auto* lab = get<QTreeWidget>("CcloudLabData");
    ASSERT_EQ(drug->columnCount(), 24);
    ASSERT_EQ(lab->columnCount(), 23);
    EXPECT_EQ(drug->headerItem()->text(14), "連箋領藥日");
    EXPECT_EQ(drug->headerItem()->text(22), "65歲以上病人宜注意用藥品項");
    EXPECT_EQ(drug->headerItem()->text(23), "ATC7代碼");
    EXPECT_EQ(drug->columnWidth(9), 180);
    EXPECT_EQ(drug->columnWidth(3), 0);
    EXPECT_EQ(lab->headerItem()->text(0), "檢驗日期");
    EXPECT_EQ(lab->headerItem()->text(22), "備註");
    EXPECT_EQ(lab->columnWidth(0), 32);
    EXPECT_EQ(lab->columnWidth(15), 65);
    // The lists are the report's source tables: its captions and default widths, in order.
    for (const auto& [list, kind] :
         {std::pair{drug, report::Kind::Drug}, std::pair{lab, report::Kind::Lab}}) {
        const auto& columns = report::columnsOf(kind);
        ASSERT_EQ(list->columnCount(), columns.size());
        for (int i = 0; i < list->columnCount(); ++i) {
            EXPECT_EQ(list->headerItem()->text(i), columns[i].caption) << i;
            EXPECT_EQ(list->columnWidth(i), columns[i].defaultWidth) << i;
        }
    }

    auto* report = get<QTreeView>("CcloudReport");
    EXPECT_EQ(report->model()->columnCount(), 0);
    EXPECT_EQ(report->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(report->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(report->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(WindowLayout, VisitGridTitlesAndSizes) {
    installControlSoftware();
    start();
    auto* grid = get<QTableWidget>("CtreatmentData");
    ASSERT_EQ(grid->columnCount(), 8);
    ASSERT_EQ(grid->rowCount(), 12);
    EXPECT_EQ(grid->columnWidth(0), 90);
    for (int c = 1; c < 8; ++c) EXPECT_EQ(grid->columnWidth(c), 126) << c;
    const QStringList titles = {"看診日期", "院所",       "就醫類別", "主診斷",
                                "次診斷",   "處方",       "門診費用", "門診部分負擔",
                                "補卡註記", "新生兒註記", "就醫序號", "住院費用"};
    for (int r = 0; r < 12; ++r) {
        EXPECT_EQ(grid->item(r, 0)->text(), titles[r]);
        const int expected = r == 1 ? 36 : r == 3 ? 54 : r == 4 ? 64 : r == 5 ? 338 : 15;
        EXPECT_EQ(grid->rowHeight(r), expected) << r;
    }
    // Fixed cells cannot be selected or edited; the others are read-only.
    EXPECT_FALSE(grid->item(0, 3)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(grid->item(4, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_TRUE(grid->showGrid());
    EXPECT_EQ(grid->font().pixelSize(), 11);
}
