// Reading the card categories against the stand-in control software: the record's
// bytes at their archived offsets, the gates of the categories and the one report.

#include "card/read_ic_card_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QMap>
#include <cstring>

#include "card/card_decoding.h"
#include "card/card_fields.h"
#include "card/err_message.h"
#include "card_test_print.h"
#include "common/codepage.h"
#include "cshis_harness.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "virtual_clock.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

class FakeNames : public CardCodeLookups {
  public:
    bool databaseAvailable = true;
    QString hospitalName(const QString& code) override {
        if (code.isEmpty()) return {};
        return code == QLatin1String("3501200000") ? QStringLiteral("杏安診所")
                                                   : QStringLiteral("(不明院所)");
    }
    std::optional<QString> diagnosisName(const QString& code) override {
        const bool plain = std::all_of(code.begin(), code.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (!plain) return QString();
        if (!databaseAvailable) return std::nullopt;
        static const QMap<QString, QString> names{
            {"J069", "急性上呼吸道感染"}, {"I10", "本態性高血壓"}, {"M329", "全身性紅斑性狼瘡"}};
        return names.value(code, QStringLiteral("(unknown ICD10 code)"));
    }
};

// `n` bytes of the record from `offset`, as the archive stores them.
QByteArray at(const tICcardInfo& r, int offset, int n) {
    return QByteArray(reinterpret_cast<const char*>(&r) + offset, n);
}
QByteArray lp(const char* s) { return char(std::strlen(s)) + QByteArray(s); }
QByteArray lp(const QString& s) {
    const QByteArray b = toAnsi(s);
    return char(b.size()) + b;
}

class CardReadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok) << sim.cs.loadError().toStdString();
        std::memset(static_cast<void*>(&card), 0xAB, sizeof card);  // an earlier patient
        pt.sex = QLatin1Char('F');
    }
    bool read(const QString& drId = QStringLiteral("A123456789")) {
        return ReadICcardData(CardReadContext{sim.cs, names, status, clock, prompts}, settings, pt,
                              drId, card);
    }

    CshisHarness sim;
    FakeNames names;
    VirtualClock clock;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    CardReadSettings settings;
    treadCard pt;
    tICcardInfo card;
};

TEST_F(CardReadTest, RecordHoldsTheCardAtItsArchivedOffsets) {
    sim.insert(QStringLiteral("samdone"));  // so that the professional's card counts
    ASSERT_TRUE(read());
    EXPECT_THAT(prompts.messages(), IsEmpty());

    // Visit 1 (tICcardHx at 0): date, code, name, type, fees, serial, diagnoses.
    EXPECT_EQ(at(card, 0, 14), lp("1130305093000"));
    EXPECT_EQ(at(card, 14, 11), lp("3501200000"));
    EXPECT_EQ(at(card, 25, 9), lp(QStringLiteral("杏安診所")));
    EXPECT_EQ(at(card, 90, 3), lp("01"));
    EXPECT_EQ(at(card, 97, 5), lp("0012"));
    EXPECT_EQ(at(card, 102, 8), lp("0000450"));
    EXPECT_EQ(text(card.Hx[0].IMP),
              QStringLiteral("J069_急性上呼吸道感染`I10_本態性高血壓`[XXXXXXX]_"));
    EXPECT_EQ(at(card, 143, 9), toAnsi(QStringLiteral("J069_急性")));
    // Visit 2 (at 271): an unknown visit type stays empty; an 8-digit fee keeps 7.
    EXPECT_EQ(at(card, 271 + 90, 1), QByteArray(1, '\0'));
    EXPECT_EQ(at(card, 271 + 102, 8), lp("1234567"));
    EXPECT_EQ(at(card, 271 + 25, 11), lp(QStringLiteral("(不明院所)")));
    // Visits 3 to 6 have no date (their one-byte marks are kept as the card gave them).
    for (int i = 2; i < 6; ++i) EXPECT_EQ(at(card, i * 271, 14), QByteArray(14, '\0')) << i;

    // Critical illness 1 (at 1626) with its name and dates; the placeholder slots empty.
    EXPECT_EQ(at(card, 1626, 1 + 13), lp(QStringLiteral("M329_全身性紅斑性狼瘡")).left(14));
    EXPECT_EQ(at(card, 1626 + 41, 8), lp("1120301"));
    EXPECT_EQ(at(card, 1626 + 49, 8), lp("1170228"));
    EXPECT_EQ(at(card, 1626 + 57, 57), QByteArray(57, '\0'));

    // The raw buffers, byte for byte as the control software gave them.
    EXPECT_EQ(at(card, 1968, 13 + 1 + 12), QByteArray("1130305093000"
                                                      "1"
                                                      "A012345100  "));
    EXPECT_EQ(at(card, 1968 + 61, 61), QByteArray(61, ' '));
    EXPECT_EQ(at(card, 5628, 17), QByteArray("1130101"
                                             "AC34567100"));
    EXPECT_EQ(at(card, 6948, 23), QByteArray("1121010"
                                             "0401180014"
                                             "64164B"));
    EXPECT_EQ(at(card, 7308, 8), toAnsi(QStringLiteral("盤尼西林")));
    EXPECT_EQ(at(card, 7428, 21), QByteArray("03"
                                             "1121021"
                                             "1101010012"
                                             "01"));
    EXPECT_EQ(at(card, 7554, 19), QByteArray("1121021"
                                             "1101010012"
                                             "41"));
    // Nothing after the pregnancy examinations is filled by the read.
    EXPECT_EQ(at(card, 7763, 8824 - 7763), QByteArray(8824 - 7763, '\0'));
}

TEST_F(CardReadTest, CategoriesReadInOrderWithTheirProgress) {
    sim.insert(QStringLiteral("samdone"));
    read();
    QStringList progress;
    for (const QString& h : status.history)
        if (h.startsWith(QLatin1String("1:"))) progress << h.mid(2);
    EXPECT_THAT(progress,
                ElementsAre("讀取就醫資料....", "讀取處方資料.....", "讀取預防保健資料.....",
                            "讀取孕婦產檢資料.....", "讀取就醫費用累計資料.....",
                            "讀取預防接種資料.....", "讀取器官捐贈資料....."));
    EXPECT_THAT(sim.callLog(),
                ElementsAre("hisGetTreatmentNoNeedHPC(498)", "hisGetTreatmentNeedHPC(540)",
                            "hisReadPrescription(3660,1320,360,120)", "hisGetRegisterPrevent(126)",
                            "hisGetRegisterPregnant(209)", "hisGetCumulativeData(134)",
                            "hisGetCumulativeFee(20)", "hisGetInoculateData(1400)",
                            "hisGetOrganDonate(1)"));
}

TEST_F(CardReadTest, AllCategoriesOffCallsNothing) {
    settings = CardReadSettings{false, false, false, false, false, false, false};
    EXPECT_TRUE(read());
    EXPECT_EQ(sim.allCalls(), 0);
    EXPECT_EQ(at(card, 0, sizeof card), QByteArray(sizeof card, '\0'));
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

TEST_F(CardReadTest, GatedCategoriesAreSkippedSilently) {
    sim.insert(QStringLiteral("samdone"));
    pt.sex = QLatin1Char('M');
    EXPECT_TRUE(read(QString()));  // no professional identified
    EXPECT_EQ(sim.calls("hisReadPrescription"), 0);
    EXPECT_EQ(sim.calls("hisGetRegisterPregnant"), 0);
    EXPECT_EQ(at(card, 1968, 7763 - 1968 - 126 - 209), QByteArray(7763 - 1968 - 126 - 209, '\0'));
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

TEST_F(CardReadTest, FailuresAreReportedOnceAtTheEnd) {
    sim.insert(QStringLiteral("samdone"));
    sim.force("hisReadPrescription", "5015");
    sim.force("hisGetInoculateData", "4043");
    sim.force("hisGetCumulativeData", "4000");  // not reported
    EXPECT_TRUE(read());
    EXPECT_EQ(prompts.messages(),
              QStringList{QStringLiteral("\r\n讀取處方資料") + GetErrMessage(5015) +
                          QStringLiteral("\r\n讀取預防接種資料") + GetErrMessage(4043)});
    EXPECT_EQ(at(card, 1968, 3660), QByteArray(3660, '\0'));  // a failed category stays zero
}

TEST_F(CardReadTest, FailedVisitsStillReadTheDiagnoses) {
    sim.insert(QStringLiteral("samdone"));
    sim.force("hisGetTreatmentNoNeedHPC", "4043");
    EXPECT_TRUE(read());
    EXPECT_EQ(sim.calls("hisGetTreatmentNeedHPC"), 1);
    EXPECT_EQ(at(card, 0, 14), QByteArray(14, '\0'));
    EXPECT_EQ(at(card, 1626, 1 + 13), lp(QStringLiteral("M329_全身性紅斑性狼瘡")).left(14));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.messages()[0], QStringLiteral("\r\n讀取就醫資料") + GetErrMessage(4043));
}

TEST_F(CardReadTest, MissingDiagnosisDatabaseIsReportedOnce) {
    sim.insert(QStringLiteral("samdone"));
    names.databaseAvailable = false;
    EXPECT_TRUE(read());
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.messages()[0].count(QStringLiteral("(unknown ICD10 code)")), 1);
    EXPECT_EQ(text(card.Hx[0].IMP).left(30), QStringLiteral("J069_(unknown ICD10 code)`I10_"));
}

TEST(CardReadUnloaded, VisitsWithoutControlSoftwareFailSilently) {
    QTemporaryDir empty;
    FakeControlSoftware cs(empty.path());
    cs.setLoadable(false);
    FakeNames names;
    VirtualClock clock;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    treadCard pt;
    tICcardInfo card;
    std::memset(static_cast<void*>(&card), 0xAB, sizeof card);
    EXPECT_FALSE(ReadICcardData(CardReadContext{cs, names, status, clock, prompts},
                                CardReadSettings{}, pt, QStringLiteral("A123456789"), card));
    EXPECT_EQ(at(card, 0, sizeof card), QByteArray(sizeof card, '\0'));
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

}  // namespace
