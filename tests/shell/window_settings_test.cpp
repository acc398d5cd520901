// The settings page's handlers against tolvane.ini.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include "common/clock.h"
#include "flow/system_settings.h"
#include "window_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class WindowSettings : public WindowTest {
  protected:
    QStringList systemKeys() {
        QStringList keys;
        for (const auto& [k, v] : ini().readSection("system")) keys << k;
        return keys;
    }
    QString stored(const QString& key) { return ini().readString("system", key, "<none>"); }
};

TEST_F(WindowSettings, OneClickStoresTheWholeSetInOrder) {
    installControlSoftware();
    start();
    get<QCheckBox>("CGetOrganDonate")->click();
    EXPECT_THAT(systemKeys(), ElementsAreArray(settings::savedKeys()));
    EXPECT_EQ(stored("讀取器官捐贈資料"), "0");
    EXPECT_EQ(stored("讀取就醫資料"), "1");
    EXPECT_EQ(stored("讀卡機埠"), "1");
    EXPECT_EQ(stored("雲端藥歷字體大小"), "0.8");
    EXPECT_EQ(stored("視窗解析度"), QString::number(window->currentPpi()));

    // Every trigger stores: the unstored option's box, the port, leaving the edits.
    ini().eraseSection("system");
    get<QCheckBox>("CReinitializeWebCheck")->click();
    EXPECT_EQ(systemKeys().size(), 16);
    auto* com = get<QComboBox>("Ccom");
    com->setCurrentIndex(4);
    emit com->activated(4);
    EXPECT_EQ(stored("讀卡機埠"), "5");
    get<QLineEdit>("CcardDrPIN")->setText("4321");
    emit get<QLineEdit>("CcardDrPIN")->editingFinished();
    EXPECT_EQ(stored("醫事人員PIN碼"), "4321");

    // Restarted, the window shows what was stored; the unstored option is off again.
    start();
    EXPECT_FALSE(get<QCheckBox>("CGetOrganDonate")->isChecked());
    EXPECT_EQ(get<QComboBox>("Ccom")->currentText(), "5");
    EXPECT_EQ(get<QLineEdit>("CcardDrPIN")->text(), "4321");
    EXPECT_FALSE(get<QCheckBox>("CReinitializeWebCheck")->isChecked());
}

TEST_F(WindowSettings, PortNineIsStoredAsOne) {
    installControlSoftware();
    ini().writeString("system", "讀卡機埠", "9");
    start();
    get<QCheckBox>("CdateSortType")->click();
    EXPECT_EQ(stored("讀卡機埠"), "1");
}

TEST_F(WindowSettings, ZoomEditAndSpinnerFollowEachOther) {
    installControlSoftware();
    start();
    auto* spinner = get<QSpinBox>("Czoomfactor");
    auto* edit = get<QLineEdit>("CedgeZoom");
    spinner->setValue(12);
    EXPECT_EQ(edit->text(), "1.2");
    EXPECT_THAT(browser->zooms, ElementsAre(1.2));
    EXPECT_EQ(stored("雲端藥歷字體大小"), "<none>");  // the spinner alone stores nothing

    edit->setText("0.95");
    emit edit->editingFinished();
    EXPECT_EQ(stored("雲端藥歷字體大小"), "0.95");
    EXPECT_EQ(spinner->value(), 10);
    EXPECT_EQ(edit->text(), "1");

    // A zoom the browser cannot use is neither stored nor applied.
    for (const char* bad : {"0.04", "-1", "100"}) {
        edit->setText(bad);
        emit edit->editingFinished();
        EXPECT_EQ(spinner->value(), 10) << bad;
        EXPECT_EQ(edit->text(), "1") << bad;
        EXPECT_EQ(stored("雲端藥歷字體大小"), "1") << bad;
    }
    EXPECT_THAT(browser->zooms, ElementsAre(1.2, 1.0));
    EXPECT_EQ(spinner->minimum(), 1);
    EXPECT_EQ(spinner->maximum(), 50);
}

TEST_F(WindowSettings, ScaleBoxStoresAndRescales) {
    installControlSoftware();
    TFtolv& w = start();
    const int ppi = w.currentPpi();
    auto* scale = get<QComboBox>("CscaleforPPI");

    // Typed text that is not a sane scale changes nothing and stores the current value.
    for (const char* bad : {"abc", "0", "5000"}) {
        scale->setEditText(bad);
        emit scale->lineEdit()->textEdited(bad);
        emit scale->lineEdit()->editingFinished();
        EXPECT_EQ(w.currentPpi(), ppi) << bad;
        EXPECT_EQ(stored("視窗解析度"), QString::number(ppi)) << bad;
    }

    scale->setCurrentIndex(scale->findText("150"));
    emit scale->textActivated("150");
    EXPECT_EQ(w.currentPpi(), 150);
    EXPECT_EQ(stored("視窗解析度"), "150");
}

TEST_F(WindowSettings, DefaultScaleForgetsTheStoredOne) {
    installControlSoftware();
    ini().writeInteger("system", "視窗解析度", 150);
    TFtolv& w = start();
    w.show();
    ASSERT_EQ(w.currentPpi(), 150);
    get<QPushButton>("CscaleforPPIdefault")->click();
    const int platform = w.currentPpi();
    EXPECT_NE(platform, 150);
    EXPECT_EQ(get<QComboBox>("CscaleforPPI")->currentText(), QString::number(platform));
    EXPECT_EQ(stored("視窗解析度"), "<none>");

    // After a restart the box shows the platform's value and showing rescales nothing.
    destroy();
    ini().writeInteger("system", "視窗寬度", 981);
    TFtolv& again = start();
    EXPECT_EQ(get<QComboBox>("CscaleforPPI")->currentText(), QString::number(platform));
    again.show();
    EXPECT_EQ(again.currentPpi(), platform);
    EXPECT_EQ(get("Cmsg1")->width(), 123);
}

TEST_F(WindowSettings, VirtualCardProgramDialog) {
    installControlSoftware();
    start();
    prompts.scriptOpenFile(QStringLiteral("C:\\NHI\\虛擬健保卡控制軟體v2.exe"));
    get<QPushButton>("CVHCNHIset")->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].kind, RecordingPrompts::Kind::OpenFile);
    EXPECT_EQ(prompts.records()[0].filter,
              QStringLiteral("虛擬健保卡控制軟體|虛擬健保卡控制軟體*.exe"));
    EXPECT_EQ(get<QLineEdit>("CVHCNHIlocation")->text(), "C:\\NHI\\虛擬健保卡控制軟體v2.exe");
    EXPECT_EQ(stored("虛擬健保卡控制軟體"), "C:\\NHI\\虛擬健保卡控制軟體v2.exe");
    EXPECT_EQ(systemKeys(), QStringList{"虛擬健保卡控制軟體"});  // only this key

    prompts.scriptOpenFile(std::nullopt);  // cancelled
    get<QPushButton>("CVHCNHIset")->click();
    EXPECT_TRUE(get<QLineEdit>("CVHCNHIlocation")->text().isEmpty());
    EXPECT_EQ(stored("虛擬健保卡控制軟體"), "");
}

TEST_F(WindowSettings, SingleKeyWritesStillWorkWithoutControlSoftware) {
    start();
    prompts.clear();
    prompts.scriptOpenFile(QStringLiteral("/opt/虛擬健保卡控制軟體.exe"));
    get<QPushButton>("CVHCNHIset")->click();
    EXPECT_EQ(stored("虛擬健保卡控制軟體"), "/opt/虛擬健保卡控制軟體.exe");
}

TEST_F(WindowSettings, GearTogglesTheColumnPanelOnTheCloudPageOnly) {
    installControlSoftware();
    TFtolv& w = start();
    int shown = 0, hidden = 0;
    QObject::connect(&w, &TFtolv::fieldSettingShown, [&] { ++shown; });
    QObject::connect(&w, &TFtolv::fieldSettingHidden, [&] { ++hidden; });
    auto* panel = get("CPfieldSetting");
    get<QToolButton>("Csetting")->click();  // page "edge" in front: nothing
    EXPECT_TRUE(panel->isHidden());
    get<QTabWidget>("CmainPage")->setCurrentWidget(get("CPcloudChart"));
    get<QToolButton>("Csetting")->click();
    EXPECT_FALSE(panel->isHidden());
    get<QToolButton>("Csetting")->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(hidden, 1);
}
