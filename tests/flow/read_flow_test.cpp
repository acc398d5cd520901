#include "flow/read_flow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "card/card_decoding.h"
#include "card/card_fields.h"
#include "card/reader_connection.h"
#include "cloud/browser_driver.h"
#include "cloud/edge_chart.h"
#include "common/codepage.h"
#include "cshis_harness.h"
#include "fake_cloud_site.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FakeView : public ReadFlowView {
  public:
    ReadMode mode() const override { return readMode; }
    settings::SystemSettings currentSettings() const override { return values; }
    void setWindowEnabled(bool on) override { log.append(on ? "window on" : "window off"); }
    void setReadButtonsEnabled(bool on) override { log.append(on ? "buttons on" : "buttons off"); }
    void showEdgePage() override { log.append("edge"); }
    const Query& shownQuery() const override { return shown; }
    void commitQuery(const Query& query, bool showReport) override {
        shown = query;
        log.append(showReport ? "commit, report" : "commit");
    }

    ReadMode readMode = ReadMode::IcCard;
    settings::SystemSettings values;
    Query shown;
    QStringList log;
};

class NoNames : public CardCodeLookups {
  public:
    QString hospitalName(const QString&) override { return {}; }
    std::optional<QString> diagnosisName(const QString&) override { return QString(); }
};

struct FlowFixture : ::testing::Test {
    CshisHarness card;
    VirtualClock clock{0xFFFFF000u};
    FakeBrowser browser{clock};
    FakeCloudSite site{clock, browser};
    RecordingStatusSink status;
    RecordingPrompts prompts;
    BrowserDriver driver{browser, clock, status};
    EdgeChartSettings settings;
    EdgeChartLoader loader{driver, clock, prompts, status, settings};
    ReaderConnection reader{card.cs, clock, prompts, status};
    NoNames names;
    FakeView view;
    PatientState& patient = view.shown.patient;  // the committed query's
    StartupResult startup;
    QStringList archived;
    std::optional<QString> referralText;
    bool archiveWrites = true;
    ReadFlowSteps steps() {
        return ReadFlowSteps{
            [](const PatientState&) { return QStringLiteral("符合成健"); },
            [this](const PatientState&) { return referralText; },
            [this](const Query& q) {
                archived.append(q.patientId + "|" + q.eligibility);
                if (!archiveWrites) prompts.message("archive failed");
                return archiveWrites;
            }};
    }
    ReadFlow flow{ReadFlowContext{card.cs, reader, loader, names, clock, prompts, status, view,
                                  startup},
                  steps()};

    FlowFixture() {
        settings.URLaddr = QUrl("https://127.0.0.1:8443/imu/IMUE1000/");
        settings.appPath = card.dir.path();
        settings.errorFileFolder = card.dir.path();
        loader.closeReaderPort = [this] { card.cs.csCloseCom(); };
        site.tabs = {
            FakeTab{"西醫用藥",
                    false,
                    {FakeCloudSite::tablePage({"就醫日期", "藥品名稱"}, {{"113/05/01", "Aspirin"}},
                                              "Showing 1 to 1 of 1 entries")}},
            FakeTab{"檢查與檢驗", false, {}}};
        site.cardId = site.sessionId = "F223456789";  // the scene's patient card
        startup.vpn = true;
        startup.hisVersion = 5010;
    }
    void markCardRecord() { std::memset(&patient.ICcardInfo, 0x41, 64); }
    bool cardRecordEmpty() const {
        const auto* b = reinterpret_cast<const unsigned char*>(&patient.ICcardInfo);
        return std::all_of(b, b + sizeof patient.ICcardInfo, [](unsigned char c) { return !c; });
    }
};

TEST_F(FlowFixture, WithoutVpnReadChangesNothing) {
    ASSERT_TRUE(card.ok);
    startup.vpn = false;
    patient.sDrug = patient.sLab = patient.sRef = "old";
    flow.Read();
    EXPECT_EQ(patient.sDrug, "old") << "the query on screen stays whole";
    EXPECT_THAT(view.log, IsEmpty());
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_EQ(card.allCalls(), 0);
}

TEST_F(FlowFixture, CardOnlyReadFillsThePagesAndArchivesWithoutTheCloud) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::IcCard;
    referralText = QString(600, QChar(0x8f49));  // 轉: two bytes in the code page
    flow.Read();

    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_EQ(patient.ptData.A12ID, "F223456789");
    EXPECT_EQ(patient.sHospitalCode, "3501200000");
    EXPECT_EQ(view.shown.patientLine(), patient.ptData.name + " 符合成健");
    EXPECT_EQ(view.shown.origin, QueryOrigin::Read);
    EXPECT_TRUE(view.shown.completed);
    EXPECT_TRUE(patient.sDrug.isEmpty() && patient.sLab.isEmpty());
    EXPECT_TRUE(browser.scripts.isEmpty()) << "no cloud read in this mode";
    EXPECT_THAT(view.log, ElementsAre("window off", "edge", "commit, report", "window on"));
    EXPECT_THAT(archived, ElementsAre("F223456789|符合成健"));

    // The referral text is cut to 500 characters, its card copy to 500 bytes at
    // a whole character, zero-terminated.
    EXPECT_EQ(patient.sRef.size(), 500);
    const QByteArray stored(patient.ICcardInfo.ReferralNote);
    EXPECT_EQ(stored.size(), 500);
    EXPECT_EQ(fromAnsi(stored), QString(250, QChar(0x8f49)));
}

TEST_F(FlowFixture, ReferralNoteIsStoredCutAtWholeCharactersWithinFiveHundredBytes) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::IcCard;
    flow.Read();  // without a referral text, for the fields beside the note
    const QByteArray neighbour(reinterpret_cast<const char*>(&patient.ICcardInfo.A11CardID),
                               sizeof patient.ICcardInfo.A11CardID);
    struct Case {
        QString in;
        int expectedChars;
    };
    const Case cases[] = {
        {QString(600, QLatin1Char('a')), 500},  // 500 characters at most
        {QString(300, QChar(0x8F49)), 250},     // "轉": two bytes each, 500 bytes at most
        {QStringLiteral("a") + QString(300, QChar(0x8F49)), 250},  // the 501st byte is a half
        {QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.size());
        referralText = c.in;
        flow.Read();
        EXPECT_EQ(referralNote(patient.ICcardInfo), c.in.left(c.expectedChars));
        // Zero-terminated, and nothing of a longer earlier note after the terminator.
        const char* note = patient.ICcardInfo.ReferralNote;
        EXPECT_TRUE(std::all_of(note + std::strlen(note), note + 501, [](char b) { return !b; }));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&patient.ICcardInfo.A11CardID),
                             sizeof patient.ICcardInfo.A11CardID),
                  neighbour);
    }
}

TEST_F(FlowFixture, FailuresShowTheirMessageAndEnableTheWindow) {
    ASSERT_TRUE(card.ok);
    struct Case {
        const char* card;
        const char* entry;
        const char* codes;
        const char* message;
    };
    const Case cases[] = {
        {"patient", "csGetHospID", "5006", "讀取 SAM 院所代碼錯誤"},
        {"patient", "hisGetRegisterBasic", "5003", "讀取病人IC卡基本資料錯誤"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        card.resetCalls();
        card.insert(c.card);
        card.force(c.entry, c.codes);
        prompts.clear();
        view.log.clear();
        archived.clear();
        flow.Read();
        ASSERT_FALSE(prompts.messages().isEmpty());
        EXPECT_EQ(prompts.messages().last(), QString::fromUtf8(c.message));
        // No patient is known yet: the query on screen stays as it is.
        EXPECT_THAT(view.log, ElementsAre("window off", "edge", "window on"));
        EXPECT_THAT(archived, IsEmpty());
    }
}

// A query that could not be archived is shown, but not brought forward as a
// finished one.
TEST_F(FlowFixture, FailedArchiveWriteEndsTheFlow) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::IcCard;
    archiveWrites = false;
    flow.Read();
    EXPECT_THAT(prompts.messages(), ElementsAre("archive failed"));
    EXPECT_THAT(view.log, ElementsAre("window off", "edge", "commit", "window on"));
    EXPECT_EQ(patient.ptData.A12ID, "F223456789");
}

TEST_F(FlowFixture, MissingControlSoftwareFailsTheRead) {
    QTemporaryDir empty;
    FakeControlSoftware none(empty.path());
    none.setLoadable(false);
    ReadFlow noLib{
        ReadFlowContext{none, reader, loader, names, clock, prompts, status, view, startup},
        steps()};
    noLib.Read();
    EXPECT_THAT(prompts.messages(), ElementsAre("cshis.dll無法套用"));
    EXPECT_THAT(view.log, ElementsAre("window off", "edge", "window on"));
}

TEST_F(FlowFixture, CloudReadEmptiesTheCardRecordAndItsPages) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::Cloud;
    markCardRecord();
    flow.Read();
    EXPECT_TRUE(cardRecordEmpty()) << "no card content of an earlier patient stays";
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_TRUE(patient.sDrug.contains("Aspirin"));
    EXPECT_THAT(view.log, ElementsAre("window off", "edge", "commit, report", "window on"));
    EXPECT_FALSE(driver.webTimerActive());
}

TEST_F(FlowFixture, PagesShowTheNewPatientEvenWhenTheCloudStepFails) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::All;
    site.loginWorks = false;
    flow.Read();
    EXPECT_EQ(prompts.messages().last(), "雲端藥歷網頁無法登入");
    EXPECT_EQ(patient.ptData.A12ID, "F223456789");
    EXPECT_TRUE(view.log.contains("commit")) << "the screen must follow the patient";
    EXPECT_FALSE(view.shown.completed);
    EXPECT_TRUE(patient.sDrug.isEmpty()) << "nothing of a failed cloud read is shown";
    EXPECT_TRUE(view.shown.patientLine().startsWith(patient.ptData.name));
}

TEST_F(FlowFixture, AFailedBasicDataReadKeepsTheShownPatientWhole) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::IcCard;
    flow.Read();
    ASSERT_EQ(patient.ptData.A12ID, "F223456789");
    const QByteArray before(reinterpret_cast<const char*>(&patient.PtBuffer),
                            sizeof patient.PtBuffer);

    // The next card is pulled while its basic data arrives: half of it is in.
    card.insert("male");
    card.force("hisGetRegisterBasic", "w4013");
    view.log.clear();
    flow.Read();
    EXPECT_EQ(prompts.messages().last(), "讀取病人IC卡基本資料錯誤");
    EXPECT_EQ(patient.ptData.A12ID, "F223456789");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&patient.PtBuffer), sizeof patient.PtBuffer),
              before);
    EXPECT_FALSE(view.log.contains("commit"));
}

TEST_F(FlowFixture, FailedCloudLoginEndsTheFlowOnlyForNewerControlSoftware) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::All;
    site.loginWorks = false;

    startup.hisVersion = 5010;
    flow.Read();
    EXPECT_EQ(prompts.messages().last(), "雲端藥歷網頁無法登入");
    EXPECT_THAT(archived, IsEmpty());
    EXPECT_THAT(view.log, ElementsAre("window off", "edge", "commit", "window on"));

    startup.hisVersion = 3020;
    prompts.clear();
    view.log.clear();
    site.state = FakeCloudSite::State::NotLoaded;
    flow.Read();
    EXPECT_FALSE(prompts.messages().contains("雲端藥歷網頁無法登入"));
    EXPECT_THAT(archived, ElementsAre("F223456789|符合成健"));
    EXPECT_TRUE(view.log.contains("commit, report"));
}

TEST(ReadFlowId, TypedIdIsTrimmedUpperCasedAndTenLettersOrDigits) {
    EXPECT_EQ(ReadFlow::normalisedPatientId(" f223456789 "), "F223456789");
    for (const char* bad :
         {"F22345678", "F2234567890", "F22345678/", "../F2234567", "F22345 789", "Ｆ223456789"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ReadFlow::normalisedPatientId(QString::fromUtf8(bad)));
    }
}

TEST_F(FlowFixture, DirectReadRejectsABadIdBeforeDisablingTheWindow) {
    ASSERT_TRUE(card.ok);
    site.state = FakeCloudSite::State::LoggedIn;
    site.openTab = 1;
    prompts.scriptInput(QStringLiteral("F2234"));
    flow.DirectRead();
    EXPECT_EQ(prompts.messages().last(), "身分證號須為10碼英文字母或數字");
    EXPECT_THAT(view.log, ElementsAre("buttons off", "buttons on"));
}

TEST_F(FlowFixture, DirectReadKeepsTheCardRecordOnlyForThePatientItBelongsTo) {
    ASSERT_TRUE(card.ok);
    view.readMode = ReadMode::All;
    for (const char* typed : {"f223456789", "A111111111"}) {
        SCOPED_TRACE(typed);
        const QString id = QString::fromLatin1(typed).toUpper();
        // On screen: a Read of the card's patient.
        view.shown = Query{};
        view.shown.origin = QueryOrigin::Read;
        view.shown.patientId = patient.ptData.A12ID = "F223456789";
        patient.ptData.name = "陳美玲";
        view.shown.cardRead = true;
        markCardRecord();
        site.state = FakeCloudSite::State::LoggedIn;
        site.sessionId = id;  // the page the user opened
        site.openTab = 1;
        archived.clear();
        view.log.clear();
        prompts.scriptInput(QString::fromLatin1(typed));
        flow.DirectRead();
        const bool same = id == "F223456789";
        EXPECT_EQ(cardRecordEmpty(), !same);
        EXPECT_EQ(patient.ptData.A12ID.isEmpty(), !same);
        EXPECT_EQ(view.shown.patientId, id);
        EXPECT_EQ(view.shown.origin, QueryOrigin::DirectRead);
        EXPECT_EQ(view.shown.patientLine(), same ? "陳美玲 " : id);
        EXPECT_THAT(archived, ElementsAre(id + "|"));
        EXPECT_THAT(view.log, ElementsAre("buttons off", "window off", "edge", "commit, report",
                                          "window on", "buttons on"));
        EXPECT_TRUE(patient.sDrug.contains("Aspirin"));
    }
}

TEST_F(FlowFixture, DirectReadOffersThePagesIdAndRefusesAnother) {
    ASSERT_TRUE(card.ok);
    site.state = FakeCloudSite::State::LoggedIn;
    site.sessionId = "B220715631";
    site.openTab = 1;
    prompts.scriptInput(QStringLiteral("F223456789"));
    flow.DirectRead();
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().front().defaultText, "B220715631");
    EXPECT_THAT(prompts.messages(), ElementsAre("輸入的身分證號與雲端藥歷頁面不符"));
    EXPECT_THAT(archived, IsEmpty());
    EXPECT_EQ(card.allCalls(), 0) << "nothing read before the ID is settled";
    EXPECT_THAT(view.log, ElementsAre("buttons off", "buttons on"));
}

TEST_F(FlowFixture, DirectReadOutsideAPatientPageStops) {
    ASSERT_TRUE(card.ok);
    site.state = FakeCloudSite::State::Portal;
    flow.DirectRead();
    EXPECT_THAT(prompts.messages(), ElementsAre("需在病人雲端藥歷用藥頁面才能正常執行"));
    EXPECT_THAT(view.log, ElementsAre("buttons off", "buttons on"));
    EXPECT_EQ(card.allCalls(), 0);
}

}  // namespace
