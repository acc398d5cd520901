// Rendering the patient pages into the window's kinds of widgets (offscreen).

#include "card/patient_pages_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "card_test_print.h"
#include "recording_prompts.h"

using ::testing::ElementsAre;

namespace {

QStringList captions(const QTreeWidget& list) {
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i) out << list.topLevelItem(i)->text(0);
    return out;
}

TEST(PatientPagesView, FillsWidgetsKeepsRowOrderAndShowsOneBoxPerUnknownCode) {
    int argc = 1;
    char name[] = "patient_pages_view_test";
    char* argv[] = {name};
    QApplication app(argc, argv);

    PatientPages p;
    p.CptName = QStringLiteral("陳美玲");
    p.Csex = QStringLiteral("M");
    p.grid[1][0] = QStringLiteral("1130101080000");
    p.grid[7][5] = QStringLiteral("Metformin 500mg");
    p.CtreatItem = {{"", "", ""}, {"1130305", "Amoxicillin", "A012345100"}, {"1130101", "x", "y"}};
    p.Cpregnant = {{"1130201", "晴川醫院", "41"}};
    p.CrefMemo = QStringLiteral("轉診");
    p.unknownCodes = {QStringLiteral("AC12345100"), QStringLiteral("62010C")};

    QLineEdit nameEdit;
    QComboBox sex;
    sex.addItems({QStringLiteral("F"), QStringLiteral("M")});
    QTableWidget grid(12, 8);
    grid.setItem(0, 0, new QTableWidgetItem(QStringLiteral("看診日期")));
    grid.setItem(5, 3, new QTableWidgetItem(QStringLiteral("an earlier patient")));
    QTreeWidget treat, pregnant;
    treat.setColumnCount(9);
    treat.setSortingEnabled(true);
    treat.sortByColumn(0, Qt::DescendingOrder);
    QPlainTextEdit memo;
    QTabWidget tabs;
    QWidget* page = new QWidget;
    tabs.addTab(new QWidget, QStringLiteral("病人資料"));
    tabs.addTab(page, QStringLiteral("產檢"));
    tabs.setTabVisible(1, false);

    PatientPageWidgets w;
    w.CptName = &nameEdit;
    w.Csex = &sex;
    w.CtreatmentData = &grid;
    w.CtreatItem = &treat;
    w.Cpregnant = &pregnant;
    w.CrefMemo = &memo;
    w.tabs = &tabs;
    w.pagesToShow = {page};
    RecordingPrompts prompts;
    showPatientPages(p, w, prompts);

    EXPECT_THAT(prompts.messages(), ElementsAre("含不明健保碼:AC12345100", "含不明健保碼:62010C"));
    EXPECT_EQ(nameEdit.text(), QStringLiteral("陳美玲"));
    EXPECT_EQ(sex.currentText(), QStringLiteral("M"));
    EXPECT_EQ(grid.item(0, 0)->text(), QStringLiteral("看診日期"));  // titles untouched
    EXPECT_EQ(grid.item(0, 1)->text(), QStringLiteral("1130101080000"));
    EXPECT_EQ(grid.item(5, 7)->text(), QStringLiteral("Metformin 500mg"));
    EXPECT_TRUE(grid.item(5, 3)->text().isEmpty());  // nothing of the earlier patient
    EXPECT_THAT(captions(treat), ElementsAre("", "1130305", "1130101"));
    EXPECT_EQ(treat.topLevelItem(1)->text(2), QStringLiteral("A012345100"));
    EXPECT_EQ(pregnant.topLevelItem(0)->text(1), QStringLiteral("晴川醫院"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("轉診"));
    EXPECT_TRUE(tabs.isTabVisible(1));

    // A second fill replaces the rows instead of adding to them.
    p.CtreatItem = {{"1120101", "a", "b"}};
    prompts.clear();
    showPatientPages(p, w, prompts);
    EXPECT_THAT(captions(treat), ElementsAre("1120101"));
}

}  // namespace
