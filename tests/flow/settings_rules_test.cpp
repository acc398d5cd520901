// The rules of the settings values and the stored set of section "system".

#include "flow/settings_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/atomic_file.h"
#include "common/ini_file.h"
#include "flow/system_settings.h"

using namespace settings;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(ZoomRules, SpinnerRoundsDecimalHalvesToEven) {
    const struct {
        const char* text;
        int spinner;
    } cases[] = {
        {"0.7", 7},  {"0.95", 10}, {"0.85", 8},  {"0.25", 2},  {"0.35", 4},
        {"1.2", 12}, {"0.04", 0},  {"-0.8", -8}, {" 0.5 ", 5}, {"abc", 10},
        {"", 10},    {"1,2", 10},  {"nan", 10},  {"inf", 10},  {"1e9", 1000000},
    };
    for (const auto& c : cases) EXPECT_EQ(zoomSpinnerForText(c.text), c.spinner) << c.text;
}

TEST(ZoomRules, SaneRangeAndShortestText) {
    EXPECT_FALSE(isSaneZoomSpinner(0));
    EXPECT_TRUE(isSaneZoomSpinner(1));
    EXPECT_TRUE(isSaneZoomSpinner(50));
    EXPECT_FALSE(isSaneZoomSpinner(51));
    EXPECT_EQ(zoomTextForSpinner(8), "0.8");
    EXPECT_EQ(zoomTextForSpinner(10), "1");
    EXPECT_EQ(zoomTextForSpinner(12), "1.2");
    EXPECT_EQ(zoomTextForSpinner(3), "0.3");
}

TEST(ScaleRules, OnlyIntegersWithinTheRangeArePixelsPerInch) {
    EXPECT_EQ(parseScale("96"), 96);
    EXPECT_EQ(parseScale(" 120 "), 120);
    EXPECT_EQ(parseScale("48"), 48);
    EXPECT_EQ(parseScale("480"), 480);
    for (const char* bad : {"47", "481", "0", "-96", "abc", "", "96.5", "125%"})
        EXPECT_EQ(parseScale(bad), std::nullopt) << bad;
}

TEST(PortRules, OnlyPortsOneToEight) {
    EXPECT_EQ(portOrDefault("8"), "8");
    EXPECT_EQ(portOrDefault("3"), "3");
    for (const char* bad : {"9", "0", "", "01", "COM1"}) EXPECT_EQ(portOrDefault(bad), "1") << bad;
}

TEST(CloudLabDataRule, AppliesOnlyWithOneEntryMoreThanColumns) {
    QStringList entries = {"1145"};
    for (int i = 1; i <= 23; ++i) entries << QString::number(i * 10);
    entries[5] = "x";  // not an integer: width 0
    const auto widths = cloudLabDataWidths(entries.join(','), 23);
    ASSERT_TRUE(widths.has_value());
    ASSERT_EQ(widths->size(), 23);
    EXPECT_EQ(widths->at(0), 10);
    EXPECT_EQ(widths->at(4), 0);
    EXPECT_EQ(widths->at(22), 230);

    EXPECT_EQ(cloudLabDataWidths(entries.mid(1).join(','), 23), std::nullopt);  // 23 entries
    EXPECT_EQ(cloudLabDataWidths((entries + QStringList{"5"}).join(','), 23), std::nullopt);
    EXPECT_EQ(cloudLabDataWidths("", 23), std::nullopt);
}

TEST(StartupRuleLists, SplitAtCommasOnlyAfterRemovingDoubleBars) {
    EXPECT_THAT(ruleListFromValue("a||,b c,,d"), ElementsAre("a", "b c", "", "d"));
    EXPECT_TRUE(ruleListFromValue("").isEmpty());
    EXPECT_TRUE(ruleListFromValue("||").isEmpty());
}

class SystemSettingsFile : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    IniFile ini{dir.filePath("tolvane.ini")};
};

TEST_F(SystemSettingsFile, SavesTheSixteenValuesInOrder) {
    SystemSettings s;
    s.card.getTreatment = false;
    s.com = "3";
    s.cardDrPIN = "1234";
    s.copyWithTag = true;
    s.edgeZoom = "1.2";
    s.scale = "abc";                     // not a scale: the current pixels per inch is stored
    s.virtualCardProgram = "C:\\x.exe";  // not part of the set
    const std::uint64_t writes = atomicFileWrites();
    saveSystemSettings(ini, s, 96);
    EXPECT_EQ(atomicFileWrites() - writes, 1u) << "the set is written once, whole";

    QStringList keys, values;
    for (const auto& [k, v] : ini.readSection(kSystem)) {
        keys << k;
        values << v;
    }
    EXPECT_THAT(keys, ElementsAreArray(savedKeys()));
    EXPECT_EQ(keys.size(), 16);
    EXPECT_THAT(values, ElementsAre("0", "1", "1", "1", "1", "1", "1", "1", "1", "3", "1234", "1",
                                    "0", "1.2", "1", "96"));
}

TEST_F(SystemSettingsFile, MissingFileGivesTheDefaults) {
    const SystemSettings s = loadSystemSettings(ini, 96);
    const SystemSettings d;
    EXPECT_EQ(s.scale, "96");
    EXPECT_EQ(s.com, "1");
    EXPECT_EQ(s.edgeZoom, "0.8");
    EXPECT_TRUE(s.card.getTreatment && s.card.readPrescription && s.card.registerPrevent &&
                s.card.registerPregnant && s.card.cumulativeData && s.card.inoculateData &&
                s.card.organDonate && s.cloudLabData && s.cloudRefCheck && s.saveData);
    EXPECT_FALSE(s.dateSortType || s.copyWithTag);
    EXPECT_TRUE(s.cardDrPIN.isEmpty() && s.virtualCardProgram.isEmpty());
    EXPECT_FALSE(QFile::exists(ini.path()));
}

TEST_F(SystemSettingsFile, StoredValuesAreReadBackAndBadOnesFallBack) {
    SystemSettings s;
    s.card.organDonate = false;
    s.dateSortType = true;
    s.com = "7";
    s.scale = "144";
    saveSystemSettings(ini, s, 96);
    ini.writeString(kSystem, kVirtualCardKey, "D:\\虛擬健保卡控制軟體.exe");
    SystemSettings r = loadSystemSettings(ini, 96);
    EXPECT_FALSE(r.card.organDonate);
    EXPECT_TRUE(r.dateSortType);
    EXPECT_EQ(r.com, "7");
    EXPECT_EQ(r.scale, "144");
    EXPECT_EQ(r.virtualCardProgram, "D:\\虛擬健保卡控制軟體.exe");

    ini.writeString(kSystem, "讀卡機埠", "9");
    ini.writeString(kSystem, "讀取器官捐贈資料", "yes");  // not an integer: counts as missing
    ini.writeString(kSystem, kScaleKey, "0");
    r = loadSystemSettings(ini, 120);
    EXPECT_EQ(r.com, "1");
    EXPECT_TRUE(r.card.organDonate);
    EXPECT_EQ(r.scale, "120");
}
