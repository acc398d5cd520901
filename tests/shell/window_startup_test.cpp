// The start-up sequence and its failure paths, show, close and destroy.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

#include "common/version.h"
#include "report/cloud_report.h"
#include "report/cloud_report_view.h"
#include "window_fixture.h"

using ::testing::ElementsAre;

class WindowStartup : public WindowTest {};

TEST_F(WindowStartup, ReadyWithTheDefaultsOnAFreshFolder) {
    installControlSoftware(5230);
    writeEndpoints("127.0.0.1");
    TFtolv& w = start();

    EXPECT_TRUE(prompts.records().empty());
    EXPECT_FALSE(w.endRequested());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vorrel雲端讀取     版本 ") + TOLVANE_VERSION +
                                   QStringLiteral("   讀卡機連結版本:5230"));
    EXPECT_EQ(w.startup().hisVersion, 5230);
    EXPECT_EQ(w.startup().cloudStartAddress.toString(), "https://127.0.0.1:8443/imu/IMUE1000/");
    EXPECT_THAT(pinger.pinged, ElementsAre("127.0.0.1"));
    EXPECT_TRUE(w.startup().vpn);
    EXPECT_TRUE(w.startup().complete);
    EXPECT_TRUE(get<QLabel>("Cmsg1")->text().isEmpty());
    EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_EQ(get<QTabWidget>("CmainPage")->currentWidget(), get("CTedge"));
    ASSERT_EQ(browser->navigations.size(), 1);
    EXPECT_EQ(browser->navigations[0], w.startup().cloudStartAddress);

    // Defaults of the settings page.
    for (const char* on :
         {"CGetTreatment", "CReadPrescription", "CGetRegisterPrevent", "CGetRegisterPregnant",
          "CGetCumulativeData", "CGetInoculateData", "CGetOrganDonate", "CGetCloudLabData",
          "CcloudRefCheck", "CsaveDataCheck"})
        EXPECT_TRUE(get<QCheckBox>(on)->isChecked()) << on;
    for (const char* off :
         {"CdateSortType", "CcopyWithTagCheck", "CReinitializeWebCheck", "CfastCloudRead"})
        EXPECT_FALSE(get<QCheckBox>(off)->isChecked()) << off;
    EXPECT_EQ(get<QComboBox>("Ccom")->currentText(), "1");
    EXPECT_EQ(get<QLineEdit>("CedgeZoom")->text(), "0.8");
    EXPECT_EQ(get<QSpinBox>("Czoomfactor")->value(), 8);
    EXPECT_EQ(get<QComboBox>("CscaleforPPI")->currentText(), QString::number(w.currentPpi()));

    // Start-up filled the controls but wrote nothing back.
    EXPECT_TRUE(ini().readSection("system").isEmpty());
    const int ppi = w.currentPpi();
    w.show();
    EXPECT_EQ(w.currentPpi(), ppi);
    EXPECT_EQ(w.size(), QSize(981, 576));
}

TEST_F(WindowStartup, VersionOutside3xxxAnd5xxxEndsTheProgramAfterStartUp) {
    const struct {
        int version;
        bool accepted;
    } cases[] = {{2999, false}, {3000, true}, {3999, true}, {4999, false},
                 {5000, true},  {5999, true}, {6000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        destroy();
        installControlSoftware(c.version);
        prompts.clear();
        TFtolv& w = start();
        EXPECT_EQ(w.endRequested(), !c.accepted);
        if (c.accepted)
            EXPECT_TRUE(prompts.messages().isEmpty());
        else
            EXPECT_THAT(prompts.messages(),
                        ElementsAre(QStringLiteral("讀卡機控制軟體錯誤,請重開雲端安全模組主控台")));
        // A rejected version still completes start-up.
        EXPECT_TRUE(w.windowTitle().endsWith(":" + QString::number(c.version)));
        EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());
    }
}

TEST_F(WindowStartup, ControlSoftwareWithoutVersionEntryIsRejected) {
    installControlSoftware(5230, SHELL_CSHIS_PARTIAL_LIBRARY);
    TFtolv& w = start();
    EXPECT_THAT(prompts.messages(),
                ElementsAre(ControlSoftware::missingEntryMessage("csGetVersionEx")));
    EXPECT_TRUE(w.endRequested());
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("讀卡機連結版本:0")));
}

TEST_F(WindowStartup, DemoFolderStartsWithAndWithoutControlSoftware) {
    const QDir demo(SHELL_DEMO_DIR);
    for (const char* name :
         {"tolvane.ini", "libcshis.so", "sim-cards.json", "sim-card.txt", "hospbsc.txt"})
        ASSERT_TRUE(QFile::copy(demo.filePath(name), path(name))) << name;
    TFtolv& w = start();
    EXPECT_TRUE(prompts.records().empty());
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Vorrel雲端讀取     版本 ")));
    EXPECT_EQ(w.startup().cloudStartAddress.toString(), "https://127.0.0.1:8443/imu/IMUE1000/");
    EXPECT_THAT(pinger.pinged, ElementsAre("127.0.0.1"));
    EXPECT_FALSE(w.startup().endpoints.testCertSha256.isEmpty());
    EXPECT_GT(w.startup().hospitalSet.rowCount(), 0);
    EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());

    destroy();
    ASSERT_TRUE(QFile::remove(path("libcshis.so")));
    TFtolv& bare = start();
    EXPECT_THAT(prompts.messages(), ElementsAre(QStringLiteral("無法動態套用cshis.dll")));
    EXPECT_FALSE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_EQ(bare.windowTitle(), QStringLiteral("雲端藥歷讀取"));
}

TEST_F(WindowStartup, WithoutControlSoftwareTheWindowOpensButStoresNothing) {
    ini().writeString("system", "雲端藥歷字體大小", "1.2");
    ini().writeString("system", "讀取處方資料", "0");
    TFtolv& w = start();

    EXPECT_THAT(prompts.messages(), ElementsAre(QStringLiteral("無法動態套用cshis.dll")));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("雲端藥歷讀取"));
    EXPECT_FALSE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_FALSE(w.startup().complete);
    EXPECT_TRUE(pinger.pinged.isEmpty());
    // The controls keep their design values.
    EXPECT_TRUE(get<QCheckBox>("CReadPrescription")->isChecked());
    EXPECT_EQ(get<QLineEdit>("CedgeZoom")->text(), "0.8");

    const QByteArray before = [&] {
        QFile f(path("tolvane.ini"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    get<QCheckBox>("CdateSortType")->click();
    emit get<QComboBox>("Ccom")->activated(2);
    emit get<QLineEdit>("CedgeZoom")->editingFinished();
    QFile f(path("tolvane.ini"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();

    // Closing keeps the stored zoom; the window size is written as always.
    destroy();
    EXPECT_EQ(ini().readString("system", "雲端藥歷字體大小", ""), "1.2");
    EXPECT_EQ(ini().readString("system", "讀取處方資料", ""), "0");
    EXPECT_EQ(ini().readInteger("system", "視窗寬度", 0), 981);
}

TEST_F(WindowStartup, VpnThatDoesNotAnswerLeavesTheBrowserAlone) {
    installControlSoftware();
    writeEndpoints("127.0.0.1");
    pinger.answer = false;
    TFtolv& w = start();
    EXPECT_FALSE(w.startup().vpn);
    EXPECT_EQ(get<QLabel>("Cmsg1")->text(), QStringLiteral("沒有連接健保VPN網路"));
    EXPECT_TRUE(browser->navigations.isEmpty());
    EXPECT_EQ(get<QTabWidget>("CmainPage")->currentWidget(), get("CTedge"));
    EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());
}

TEST_F(WindowStartup, NoVpnAddressConfiguredIsSaidSo) {
    installControlSoftware();
    TFtolv& w = start();
    EXPECT_FALSE(w.startup().vpn);
    EXPECT_TRUE(pinger.pinged.isEmpty());
    EXPECT_EQ(get<QLabel>("Cmsg1")->text(), QStringLiteral("未設定VPN測試位址"));
    EXPECT_EQ(w.startup().cloudStartAddress.toString(),
              "https://medcloud2.nhi.gov.tw/imu/IMUE1000/");
    EXPECT_TRUE(browser->navigations.isEmpty());
}

TEST_F(WindowStartup, StoredZoomAtStartUp) {
    installControlSoftware();
    const struct {
        const char* stored;
        int spinner;
        const char* text;
    } cases[] = {
        {"0.7", 7, "0.7"},   {"0.95", 10, "1"}, {"no number", 10, "1"}, {"0.04", 8, "0.8"},
        {"0.85", 8, "0.85"}, {"-2", 8, "0.8"},  {"99", 8, "0.8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        destroy();
        ini().writeString("system", "雲端藥歷字體大小", c.stored);
        start();
        EXPECT_EQ(get<QSpinBox>("Czoomfactor")->value(), c.spinner);
        EXPECT_EQ(get<QLineEdit>("CedgeZoom")->text(), QString::fromUtf8(c.text));
    }
}

TEST_F(WindowStartup, StoredSettingsReachTheControls) {
    installControlSoftware();
    IniFile file = ini();
    file.writeString("system", "讀卡機埠", "9");
    file.writeString("system", "讀取預防接種資料", "0");
    file.writeString("system", "日期順向排序", "1");
    file.writeString("system", "醫事人員PIN碼", "0000");
    file.writeString("system", "虛擬健保卡控制軟體", "C:\\vhc\\虛擬健保卡控制軟體.exe");
    file.writeString("ICcardShow", "名稱含字", "普拿疼||,阿斯 匹靈");
    QStringList lab = {"1145"};
    for (int i = 0; i < 23; ++i) lab << QString::number(100 + i);
    file.writeString("ICcardShow", "CloudLabData", lab.join(','));
    TFtolv& w = start();

    EXPECT_EQ(get<QComboBox>("Ccom")->currentText(), "1");
    EXPECT_FALSE(get<QCheckBox>("CGetInoculateData")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("CdateSortType")->isChecked());
    EXPECT_EQ(get<QLineEdit>("CcardDrPIN")->text(), "0000");
    EXPECT_EQ(get<QLineEdit>("CVHCNHIlocation")->text(), "C:\\vhc\\虛擬健保卡控制軟體.exe");
    EXPECT_THAT(w.cloudReport().rules().NameRuleList, ElementsAre("普拿疼", "阿斯 匹靈"));
    EXPECT_TRUE(w.cloudReport().rules().ICD10RuleList.isEmpty());
    EXPECT_EQ(w.cloudReport().defaultWidths(report::Kind::Lab).value(22), 122);
    auto* labList = get<QTreeWidget>("CcloudLabData");
    EXPECT_EQ(labList->columnWidth(0), 100);
    EXPECT_EQ(labList->columnWidth(22), 122);

    // 23 entries: one too few, nothing changes.
    destroy();
    file.writeString("ICcardShow", "CloudLabData", lab.mid(1).join(','));
    start();
    EXPECT_EQ(get<QTreeWidget>("CcloudLabData")->columnWidth(0), 32);
    EXPECT_EQ(get<QTreeWidget>("CcloudLabData")->columnWidth(15), 65);
}

TEST_F(WindowStartup, ShowAppliesStoredScaleAndSize) {
    installControlSoftware();
    TFtolv& probe = start();
    const int ppi = probe.currentPpi();
    destroy();
    ini().writeInteger("system", "視窗解析度", ppi * 5 / 4);
    ini().writeInteger("system", "視窗寬度", 1100);
    ini().writeInteger("system", "視窗長度", 640);
    TFtolv& w = start();
    EXPECT_EQ(w.currentPpi(), ppi);  // not rescaled before it is shown
    w.show();
    EXPECT_EQ(w.currentPpi(), ppi * 5 / 4);
    EXPECT_EQ(get("Cmsg1")->width(), 154);  // 123 at 125 %
    EXPECT_EQ(w.size(), QSize(1100, 640));

    // A stored scale or size outside the sane range is not applied.
    for (const int bad : {0, -96, 10000}) {
        destroy();
        ini().writeInteger("system", "視窗解析度", bad);
        ini().writeInteger("system", "視窗寬度", bad);
        ini().writeInteger("system", "視窗長度", bad * 7);
        TFtolv& again = start();
        EXPECT_EQ(get<QComboBox>("CscaleforPPI")->currentText(), QString::number(ppi)) << bad;
        again.show();
        EXPECT_EQ(again.currentPpi(), ppi) << bad;
        EXPECT_EQ(again.size(), QSize(981, 576)) << bad;
    }
}

TEST_F(WindowStartup, CloseAndDestroyStoreZoomSizeAndReportWidths) {
    installControlSoftware();
    TFtolv& w = start();
    get<QSpinBox>("Czoomfactor")->setValue(12);
    w.resize(1000, 600);
    w.cloudReportView().showCloud("drug");
    auto* report = get<QTreeView>("CcloudReport");
    // "藥品名稱" dragged to 200 design pixels, drawn as wide as the font in use needs.
    const double ratio = w.cloudReportView().widthRatio();
    report->header()->resizeSection(9, int(std::ceil(200 * ratio - 1e-9)));
    w.close();
    EXPECT_FALSE(controlSoftware->isLoaded());
    destroy();
    EXPECT_EQ(ini().readString("system", "雲端藥歷字體大小", ""), "1.2");
    EXPECT_EQ(ini().readInteger("system", "視窗寬度", 0), 1000);
    EXPECT_EQ(ini().readInteger("system", "視窗長度", 0), 600);
    EXPECT_EQ(ini().readInteger("drugfield", "就醫日期", 0), 54);
    EXPECT_EQ(ini().readInteger("drugfield", "藥品名稱", 0), 200);
    EXPECT_TRUE(ini().readSection("labfield").isEmpty());
}
