// Version check, caption, file version, visit grid and the endpoints section.

#include "flow/startup_rules.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "common/ini_file.h"
#include "common/version.h"
#include "flow/endpoints.h"

using namespace startup;

TEST(StartupRules, OnlyVersions3xxxAnd5xxxPass) {
    const struct {
        int version;
        bool ok;
    } cases[] = {{2999, false}, {3000, true},  {3999, true}, {4999, false},  {5000, true},
                 {5999, true},  {6000, false}, {0, false},   {-3500, false}, {5230, true}};
    for (const auto& c : cases) EXPECT_EQ(isSupportedVersion(c.version), c.ok) << c.version;
}

TEST(StartupRules, CaptionKeepsItsSpaces) {
    EXPECT_EQ(windowCaption("1.0.0.1", 5230),
              QStringLiteral("Vorrel雲端讀取     版本 1.0.0.1   讀卡機連結版本:5230"));
    EXPECT_EQ(windowCaption("", -1),
              QStringLiteral("Vorrel雲端讀取     版本    讀卡機連結版本:-1"));
}

TEST(StartupRules, FileVersionOfTheProgramOnly) {
    int argc = 1;
    char name[] = "shell_logic_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const QString own = GetFileVersion(QString());
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(own).hasMatch())
        << own.toStdString();
    EXPECT_EQ(own, QStringLiteral(TOLVANE_VERSION));
    EXPECT_EQ(GetFileVersion(QCoreApplication::applicationFilePath()), own);
    QTemporaryDir dir;
    EXPECT_EQ(GetFileVersion(dir.filePath("missing.exe")), "");

    EXPECT_EQ(fourPartVersion("01.2.3.4"), "1.2.3.4");
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2.3.65536", "1.2.x.4", ""})
        EXPECT_EQ(fourPartVersion(bad), "") << bad;
}

TEST(StartupRules, VisitGridAtDesignWidth) {
    EXPECT_EQ(visitGridColumnWidth(kGridDesignWidth), 126);
    EXPECT_EQ(visitGridRowTitles().size(), kGridRows);
}

TEST(EndpointsSection, DefaultsAndStoredValues) {
    QTemporaryDir dir;
    IniFile ini(dir.filePath("tolvane.ini"));
    Endpoints e = Endpoints::read(ini);
    EXPECT_EQ(e.cloudStartAddress(), "https://medcloud2.nhi.gov.tw/imu/IMUE1000/");
    EXPECT_TRUE(e.vpnTestAddress.isEmpty() && e.preventApiHost.isEmpty() &&
                e.referralHost.isEmpty() && e.testCertSha256.isEmpty());

    ini.writeString("endpoints", "cloudHost", "127.0.0.1:8443");
    ini.writeString("ENDPOINTS", "vpnTestAddress", " 127.0.0.1 ");
    ini.writeString("endpoints", "testCertSha256", "AB:CD");
    e = Endpoints::read(ini);
    EXPECT_EQ(e.cloudStartAddress(), "https://127.0.0.1:8443/imu/IMUE1000/");
    EXPECT_EQ(e.vpnTestAddress, "127.0.0.1");
    EXPECT_EQ(e.testCertSha256, "AB:CD");
}

TEST(EndpointsSection, ServiceTimeoutIsAlwaysBounded) {
    QTemporaryDir dir;
    IniFile ini(dir.filePath("tolvane.ini"));
    EXPECT_EQ(Endpoints::read(ini).serviceTimeoutSeconds, 30);
    const struct {
        const char* stored;
        int seconds;
    } cases[] = {{"5", 5}, {"600", 600}, {"0", 30}, {"-3", 30}, {"601", 30}, {"abc", 30}};
    for (const auto& c : cases) {
        ini.writeString("endpoints", "serviceTimeoutSeconds", c.stored);
        EXPECT_EQ(Endpoints::read(ini).serviceTimeoutSeconds, c.seconds) << c.stored;
    }
}
