// The start-up sequence without a window: what it decides from the control
// software, the VPN check and the stored settings.

#include "flow/startup_flow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "card/control_software.h"
#include "common/ini_file.h"
#include "fake_control_software.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "flow/pinger.h"
#include "flow/startup_rules.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct AnsweringPinger : Pinger {
    bool answer = true;
    QStringList pinged;
    bool echo(const QString& address, int, std::uint32_t) override {
        pinged << address;
        return answer;
    }
};

struct StartupFlowTest : ::testing::Test {
    QTemporaryDir dir;
    FakeControlSoftware cs{dir.path()};
    AnsweringPinger pinger;
    RecordingPrompts prompts;

    void reportVersion(int version) {
        QFile src(QStringLiteral(CARD_FIXTURE_DIR "/card_scenes.json"));
        ASSERT_TRUE(src.open(QIODevice::ReadOnly));
        QJsonObject fixture = QJsonDocument::fromJson(src.readAll()).object();
        QJsonObject reader = fixture["reader"].toObject();
        reader["version"] = version;
        fixture["reader"] = reader;
        QFile out(dir.filePath("sim-cards.json"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QJsonDocument(fixture).toJson());
    }
    IniFile ini() const { return IniFile(dir.filePath("tolvane.ini")); }
    StartupResult run(int currentPpi = 96) {
        StartupResult r = StartupFlow::locate(dir.path());
        StartupFlow(cs, pinger, prompts).run(r, currentPpi);
        return r;
    }
};

TEST_F(StartupFlowTest, ControlSoftwareVersionAndVpnDecideTheResult) {
    const QString missing = ControlSoftware::missingEntryMessage("csGetVersionEx");
    const struct {
        const char* name;
        bool loadable;
        bool versionEntry;
        int version;
        const char* vpnAddress;
        bool answers;
        bool complete;
        bool endRequested;
        bool vpn;
        QString vpnStatus;
        QStringList messages;
    } cases[] = {
        {"no library",
         false,
         true,
         5230,
         "127.0.0.1",
         true,
         false,
         false,
         false,
         {},
         {startup::kMsgNoControlSoftware}},
        {"no version entry", true, false, 5230, "127.0.0.1", true, true, true, true, {}, {missing}},
        {"unsupported version",
         true,
         true,
         4999,
         "",
         true,
         true,
         true,
         false,
         startup::kMsgVpnNotConfigured,
         {startup::kMsgBadVersion}},
        {"VPN silent",
         true,
         true,
         5230,
         "127.0.0.1",
         false,
         true,
         false,
         false,
         startup::kMsgNoVpn,
         {}},
        {"all well", true, true, 3000, "127.0.0.1", true, true, false, true, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reportVersion(c.version);
        cs.unload();
        cs.setLoadable(c.loadable);
        cs.setMissing(c.versionEntry ? QStringList{} : QStringList{"csGetVersionEx"});
        ini().writeString("endpoints", "vpnTestAddress", c.vpnAddress);
        pinger.answer = c.answers;
        pinger.pinged.clear();
        prompts.clear();

        const StartupResult r = run();
        EXPECT_EQ(r.complete, c.complete);
        EXPECT_EQ(r.endRequested, c.endRequested);
        EXPECT_EQ(r.vpn, c.vpn);
        EXPECT_EQ(r.vpnStatus, c.vpnStatus);
        EXPECT_EQ(prompts.messages(), c.messages);
        if (!c.complete) {
            // Nothing after the library was tried: no caption, no ping, no version.
            EXPECT_TRUE(r.caption.isEmpty());
            EXPECT_THAT(pinger.pinged, IsEmpty());
            continue;
        }
        const int version = c.versionEntry ? c.version : 0;
        EXPECT_EQ(r.hisVersion, version);
        EXPECT_TRUE(r.caption.endsWith(":" + QString::number(version)));
        EXPECT_EQ(pinger.pinged.size(), QString(c.vpnAddress).isEmpty() ? 0 : 1);
    }
}

TEST_F(StartupFlowTest, StoredSettingsAndAddressesAreReadOnce) {
    reportVersion(5230);
    IniFile file = ini();
    file.writeString("endpoints", "cloudHost", "127.0.0.1:8443");
    file.writeString("system", "讀卡機埠", "9");
    file.writeString("system", "讀取預防接種資料", "0");
    file.writeString("system", "視窗解析度", "0");
    file.writeString("ICcardShow", "名稱含字", "普拿疼||,阿斯 匹靈");
    QStringList lab = {"1145"};
    for (int i = 0; i < 23; ++i) lab << QString::number(100 + i);
    file.writeString("ICcardShow", "CloudLabData", lab.join(','));

    const StartupResult r = run(120);
    EXPECT_TRUE(r.appPath.endsWith('/'));
    EXPECT_EQ(r.cloudStartAddress.toString(), "https://127.0.0.1:8443/imu/IMUE1000/");
    EXPECT_EQ(r.settings.com, "1");
    EXPECT_FALSE(r.settings.card.inoculateData);
    EXPECT_TRUE(r.settings.card.organDonate);
    EXPECT_EQ(r.settings.scale, "120");
    EXPECT_THAT(r.rules.NameRuleList, ElementsAre("普拿疼", "阿斯 匹靈"));
    EXPECT_THAT(r.rules.ICD10RuleList, IsEmpty());
    ASSERT_TRUE(r.cloudLabDataWidths.has_value());
    EXPECT_EQ(r.cloudLabDataWidths->size(), 23);
    EXPECT_EQ(r.cloudLabDataWidths->last(), 122);
    // Reading is all start-up does with the file.
    EXPECT_EQ(ini().readString("system", "讀卡機埠", ""), "9");
}

}  // namespace
