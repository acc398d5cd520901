// The reader connection against the stand-in control software, in virtual time.

#include "card/reader_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "card/err_message.h"
#include "card_test_print.h"
#include "cshis_harness.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "virtual_clock.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

class ReaderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.ok) << sim.cs.loadError().toStdString(); }

    CshisHarness sim;
    VirtualClock clock{0xFFFF0000u};  // the tick count wraps during the long waits
    RecordingPrompts prompts;
    RecordingStatusSink status;
    ReaderConnection reader{sim.cs, clock, prompts, status};
};

TEST_F(ReaderTest, OpenICcardReaderReportsEachSamState) {
    struct Case {
        const char* card;
        const char* port;
        bool result;
        const char* msg2;
        QStringList messages;
    };
    const Case cases[] = {
        {"nosam", "1", true, "成功開啟COM1埠,但無SAM卡", {}},
        {"notsam", "1", false, "讀卡機內卡片錯誤(非SAM卡)", {}},
        {"samfail",
         "2",
         false,
         "可開啟COM埠但讀卡機認證失敗",
         {QStringLiteral("認證失敗\n\r") + GetErrMessage(4051)}},
        {"samdone", "1", true, "SAM和醫事人員卡認證成功", {}},
        {"patient", "x", true, "SAM和醫事人員卡認證成功", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.card);
        sim.insert(QString::fromLatin1(c.card));
        prompts.clear();
        reader.setPortText(QString::fromLatin1(c.port));
        EXPECT_EQ(reader.openICcardReader(), c.result);
        EXPECT_EQ(status.msg2, QString::fromUtf8(c.msg2));
        EXPECT_EQ(prompts.messages(), c.messages);
    }
}

TEST_F(ReaderTest, NoSamMeansTheProfessionalCardIsNotLookedAt) {
    sim.insert(QStringLiteral("nosam"));
    ASSERT_TRUE(reader.OpenCom());
    sim.resetCalls();
    EXPECT_TRUE(reader.openICcardReader());
    // OpenCom inside asks for both cards; the steps after it only for the SAM.
    EXPECT_THAT(sim.callLog(),
                ElementsAre("csCloseCom()", "csOpenCom(0)", "hisGetCardStatus(1)",
                            "hisGetCardStatus(3)", "hpcGetHPCSSN(10)", "hisGetCardStatus(1)"));
}

TEST_F(ReaderTest, PortTextThatIsNotANumberOpensTheFirstPort) {
    reader.setPortText(QStringLiteral("COM"));
    EXPECT_TRUE(reader.OpenCom());
    EXPECT_THAT(sim.callLog(), Contains("csOpenCom(0)"));
    EXPECT_EQ(reader.ComOpenStatus(), 0);
    reader.CloseCom();
    EXPECT_EQ(reader.ComOpenStatus(), -1);
    EXPECT_EQ(reader.SAMDCstatus(), -1);
}

TEST_F(ReaderTest, PortThatDoesNotOpenIsReportedByVersion) {
    sim.insert(QStringLiteral("noport"));
    struct Case {
        int32_t version;
        QStringList messages;
    };
    const Case cases[] = {
        {4999,
         {QStringLiteral("讀卡機無法開啟序列埠(COM port)"),
          QStringLiteral(
              "讀卡機無法關閉開啟(openICcardReader)\r\n注意序列埠(COM port)是否設定有誤")}},
        {5000, {QStringLiteral("讀卡機無法關閉開啟(openICcardReader)")}},
    };
    for (const Case& c : cases) {
        prompts.clear();
        reader.setHisVersion(c.version);
        EXPECT_FALSE(reader.openICcardReader());
        EXPECT_EQ(prompts.messages(), c.messages) << c.version;
    }
}

TEST_F(ReaderTest, PinPromptIsRepeatedOnlyAfterATimeOut) {
    sim.insert(QStringLiteral("pin"));
    struct Case {
        const char* pinResults;
        int verifyCalls;  // OpenCom asks first; only its time-out is asked again
        bool verified;
        QStringList messages;
    };
    const Case cases[] = {
        {"4000,4000,0", 3, true, {}},
        {"5102", 1, false, {GetErrMessage(5102)}},  // wrong PIN: never entered again
        {"5109", 1, false, {GetErrMessage(5109)}},  // cancelled
        {"5122", 1, false, {GetErrMessage(5122)}},  // locked card
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pinResults);
        sim.resetCalls();
        prompts.clear();
        reader.startQuery();
        sim.force("hpcVerifyHPCPIN", c.pinResults);
        reader.openICcardReader();
        EXPECT_EQ(sim.calls("hpcVerifyHPCPIN"), c.verifyCalls);
        EXPECT_EQ(prompts.messages(), c.messages);
        EXPECT_EQ(status.msg2 == QStringLiteral("SAM和醫事人員卡認證成功"), c.verified);
    }
}

TEST_F(ReaderTest, ADefinitivePinAnswerHoldsForTheRestOfTheQuery) {
    // The port is reopened after every basic-data time-out and once more after the
    // reset; none of that may ask for the PIN again.
    sim.insert(QStringLiteral("pin"));
    for (const char* answer : {"5102", "5109", "5122"}) {
        SCOPED_TRACE(answer);
        sim.resetCalls();
        sim.insert(QStringLiteral("pin"));
        sim.force("hpcVerifyHPCPIN", answer);
        sim.force("hisGetRegisterBasic", "4000,4000,0");
        reader.startQuery();
        reader.identifyProfessional();
        treadCard pt;
        BasicInfo buffer{};
        EXPECT_TRUE(reader.getRegisterBasic(pt, buffer));
        EXPECT_EQ(sim.calls("csOpenCom"), 2);
        EXPECT_EQ(sim.calls("hpcVerifyHPCPIN"), 1);
    }
    // The next query may ask once more.
    sim.resetCalls();
    sim.force("hpcVerifyHPCPIN", "0");
    reader.startQuery();
    reader.identifyProfessional();
    EXPECT_EQ(sim.calls("hpcVerifyHPCPIN"), 1);
}

TEST_F(ReaderTest, PinTimeOutsStopAfterTenSeconds) {
    sim.insert(QStringLiteral("pin"));
    sim.force("hpcVerifyHPCPIN", "4000");
    const std::uint64_t start = clock.elapsedMs();
    EXPECT_TRUE(reader.openICcardReader());  // the reader still counts as usable
    const std::uint64_t spent = clock.elapsedMs() - start;
    EXPECT_GT(spent, 10000u);
    EXPECT_LT(spent, 10200u);
    EXPECT_EQ(prompts.messages(), QStringList{GetErrMessage(4000)});
    EXPECT_EQ(status.msg2, QStringLiteral("SAM卡成功,但醫事卡PIN未認證"));
}

TEST_F(ReaderTest, ProfessionalIdAfterSamAuthenticationIsRetriedForBoundedTime) {
    // The ID answers "SAM not authenticated" until the SAM has been authenticated.
    sim.force("hpcGetHPCSSN", "4050,4050,4050,0");
    EXPECT_EQ(reader.autohpcVerifyHPCPIN(), 0);
    EXPECT_EQ(reader.sReadCardDrID(), QStringLiteral("A123456789"));
    EXPECT_EQ(reader.SAMDCstatus(), 0);
    EXPECT_THAT(prompts.messages(), IsEmpty());

    // A card that never answers ends the retries after ten seconds, with a message.
    sim.force("hpcGetHPCSSN", "4050");
    const std::uint64_t start = clock.elapsedMs();
    reader.autohpcVerifyHPCPIN();
    const std::uint64_t spent = clock.elapsedMs() - start;
    EXPECT_GT(spent, ReaderConnection::kHpcIdRetryMs);
    EXPECT_LT(spent, ReaderConnection::kHpcIdRetryMs + 300);
    EXPECT_TRUE(reader.sReadCardDrID().isEmpty());
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].endsWith(GetErrMessage(4050)));
}

TEST_F(ReaderTest, ProfessionalIdIsKeptUntilReadingItFails) {
    sim.insert(QStringLiteral("samdone"));
    reader.identifyProfessional();
    EXPECT_EQ(reader.sReadCardDrID(), QStringLiteral("A123456789"));
    sim.resetCalls();
    reader.identifyProfessional();
    EXPECT_EQ(sim.calls("hpcGetHPCSSN"), 0);
    EXPECT_EQ(reader.sReadCardDrID(), QStringLiteral("A123456789"));
}

class BasicDataTest : public ReaderTest {
  protected:
    bool read() { return reader.getRegisterBasic(pt, buffer); }
    treadCard pt;
    BasicInfo buffer{};
};

TEST_F(BasicDataTest, ReadsAndDecodesTheBasicData) {
    sim.force("hisGetRegisterBasic", "4000,4000,0");
    ASSERT_TRUE(read());
    EXPECT_EQ(pt.name, QStringLiteral("陳美玲"));
    EXPECT_EQ(pt.A12ID, QStringLiteral("F223456789"));
    EXPECT_EQ(pt.sex, QLatin1Char('F'));
    EXPECT_EQ(QByteArray(buffer.ID, 10), QByteArray("F223456789"));
    EXPECT_EQ(sim.calls("csOpenCom"), 2);  // re-opened after each time-out
    EXPECT_EQ(sim.calls("csSoftwareReset"), 0);
    EXPECT_THAT(sim.callLog(), Contains("hisGetCriticalIllness(138)"));
    EXPECT_EQ(status.history.last(), QStringLiteral("idle"));
}

TEST_F(BasicDataTest, MissingCardEndsAtOnce) {
    sim.insert(QStringLiteral("nocard"));
    EXPECT_FALSE(read());
    EXPECT_EQ(status.msg1, QStringLiteral("未置入健保IC卡或(虛擬)未置入虛擬健保卡"));
    EXPECT_EQ(sim.calls("hisGetRegisterBasic"), 1);
    EXPECT_EQ(sim.calls("csSoftwareReset"), 0);
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_FALSE(status.busy);
}

TEST_F(BasicDataTest, ContinuousTimeOutsResetOnceThenGiveUp) {
    sim.force("hisGetRegisterBasic", "4000");
    QElapsedTimer real;
    real.start();
    const std::uint64_t start = clock.elapsedMs();
    EXPECT_FALSE(read());
    const std::uint64_t spent = clock.elapsedMs() - start;
    EXPECT_LT(real.elapsed(), 5000);  // a minute of virtual time; about 0.3 s in a debug build
    EXPECT_GT(spent, 60000u);         // two periods of 30 s
    EXPECT_LT(spent, 61500u);
    EXPECT_EQ(status.msg1, QStringLiteral("讀卡機Timeout!"));
    // The minute of retries shows its seconds, as the cloud step does.
    EXPECT_THAT(status.history, Contains(QStringLiteral("1:讀取健保卡中(0秒)...")));
    EXPECT_THAT(status.history, Contains(QStringLiteral("1:讀取健保卡中(45秒)...")));
    EXPECT_THAT(status.history, Contains(QStringLiteral("1:讀取健保卡中(30秒)...")));
    EXPECT_EQ(sim.calls("csSoftwareReset"), 1);
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_THAT(status.history, Contains("busy"));
    EXPECT_FALSE(status.busy);
}

TEST_F(BasicDataTest, FailuresToReopenOrResetAreShownAndThePointerIsNormal) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString message;
    };
    const Case cases[] = {
        {"port does not reopen", [&] { sim.force("csOpenCom", "9205"); },
         QStringLiteral("讀卡機無法關閉開啟(getRegisterBasic)")},
        {"reset fails",
         [&] {
             // The reader stops answering for the SAM just before the reset.
             clock.after(29000, [&] { sim.force("hisGetCardStatus", "4000"); });
         },
         QStringLiteral("讀卡機無法重置,請登出window或重開機後使用")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.resetCalls();
        prompts.clear();
        sim.force("hisGetRegisterBasic", "4000");
        c.arrange();
        EXPECT_FALSE(read());
        EXPECT_EQ(prompts.messages().value(prompts.messages().size() - 1), c.message);
        EXPECT_FALSE(status.busy);
    }
}

TEST(ReaderUnloaded, OperationsReturnWithoutMessages) {
    QTemporaryDir empty;
    FakeControlSoftware cs(empty.path());
    cs.setLoadable(false);
    VirtualClock clock;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    ReaderConnection reader(cs, clock, prompts, status);
    EXPECT_FALSE(reader.OpenCom());
    EXPECT_FALSE(reader.openICcardReader());
    EXPECT_EQ(reader.autohpcVerifyHPCPIN(), 1);
    reader.CloseCom();
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_THAT(status.history, IsEmpty());
}

}  // namespace
