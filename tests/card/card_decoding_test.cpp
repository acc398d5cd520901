// Decoding of card buffers into the card record: field cuts, the placeholder, the
// diagnosis matching and the visit-type check, on hand-made buffers.

#include "card/card_decoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QMap>
#include <cstring>

#include "card/card_fields.h"
#include "card_test_print.h"
#include "common/codepage.h"

namespace {

template <std::size_t N>
void put(char (&field)[N], const QByteArray& bytes) {
    std::memset(field, ' ', N);
    std::memcpy(field, bytes.constData(), std::min<std::size_t>(N, std::size_t(bytes.size())));
}
template <std::size_t N>
void put(char (&field)[N], const QString& s) {
    put(field, toAnsi(s));
}

class FakeNames : public CardCodeLookups {
  public:
    QMap<QString, QString> hospitals;
    QMap<QString, QString> diagnoses;
    bool databaseAvailable = true;
    QStringList askedDiagnoses;

    QString hospitalName(const QString& code) override {
        return hospitals.value(code, QStringLiteral("(不明院所)"));
    }
    std::optional<QString> diagnosisName(const QString& code) override {
        askedDiagnoses << code;
        const bool plain = std::all_of(code.begin(), code.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (!plain) return QString();
        if (!databaseAvailable) return std::nullopt;
        return diagnoses.value(code, QStringLiteral("(unknown ICD10 code)"));
    }
};

TEST(LengthPrefixedText, CutsAtWholeCharacters) {
    struct Case {
        QString in;
        int expectedBytes;
        QString expectedText;
    };
    // LpText<7>: "雲端藥歷" is 8 bytes; the fourth character does not fit whole.
    const Case cases[] = {
        {QStringLiteral("1130305"), 7, QStringLiteral("1130305")},
        {QStringLiteral("12345678"), 7, QStringLiteral("1234567")},
        {QStringLiteral("雲端藥歷"), 6, QStringLiteral("雲端藥")},
        {QStringLiteral("A雲端藥歷"), 7, QStringLiteral("A雲端藥")},
        {QString(), 0, QString()},
    };
    for (const Case& c : cases) {
        LpText<7> f{};
        setText(f, c.in);
        EXPECT_EQ(f.len, c.expectedBytes) << c.in.toStdString();
        EXPECT_EQ(text(f), c.expectedText) << c.in.toStdString();
    }
}

TEST(LengthPrefixedText, ToleratesDamagedAndOlderFields) {
    // An older file cut a character in half: the half is dropped, the rest survives.
    LpText<7> half{};
    const QByteArray bytes = toAnsi(QStringLiteral("A雲端藥"));
    half.len = 6;
    std::memcpy(half.text, bytes.constData(), 6);  // "A", two whole characters, a lead byte
    EXPECT_EQ(text(half), QStringLiteral("A雲端"));

    // A length byte beyond the field is read as the whole field, never past it.
    LpText<4> damaged{};
    damaged.len = 200;
    std::memcpy(damaged.text, "ABCD", 4);
    EXPECT_EQ(damaged.bytes(), QByteArray("ABCD"));

    // Writing a shorter text keeps the bytes after it, as archived files have them.
    LpText<4> kept{};
    setAnsi(kept, QByteArray("WXYZ"));
    setAnsi(kept, QByteArray("AB"));
    EXPECT_EQ(QByteArray(kept.text, 4), QByteArray("ABYZ"));
    EXPECT_EQ(kept.bytes(), QByteArray("AB"));
}

TEST(CardDecoding, BasicInfoFillsTheSummaryAndKeepsTheRest) {
    BasicInfo b;
    std::memset(&b, ' ', sizeof b);
    put(b.CardNo, QByteArray("000012345678"));
    put(b.Name, QStringLiteral("林雅婷"));
    put(b.ID, QByteArray("F223456789"));
    put(b.BirthDay, QByteArray("0780412"));
    put(b.Gender, QByteArray("F"));
    put(b.NewBornMark, QByteArray("1"));
    put(b.AvaiableCount, QByteArray("05"));

    treadCard pt;
    pt.ChartNo = 42;
    pt.Status = 7;
    pt.A16SAMID = QStringLiteral("kept");
    decodeBasicInfo(b, pt);
    EXPECT_EQ(pt.name, QStringLiteral("林雅婷"));
    EXPECT_EQ(pt.A12ID, QStringLiteral("F223456789"));
    EXPECT_EQ(pt.A11CardID, QStringLiteral("000012345678"));
    EXPECT_EQ(pt.A13birthday, QStringLiteral("0780412"));
    EXPECT_EQ(pt.sex, QLatin1Char('F'));
    EXPECT_EQ(pt.A21babyNo, QLatin1Char('1'));
    EXPECT_EQ(pt.AvaiableCount, QStringLiteral("05"));
    EXPECT_EQ(pt.Status, 0);
    EXPECT_EQ(pt.ChartNo, 42);
    EXPECT_EQ(pt.A16SAMID, QStringLiteral("kept"));
}

TEST(CardDecoding, VisitsTakeTheirFieldsAndKnownVisitTypesOnly) {
    tOPD_Hospital in;
    std::memset(&in, ' ', sizeof in);
    struct Case {
        const char* type;
        const char* expected;
    };
    const Case types[] = {{"01", "01"}, {"AC", "AC"}, {"ZZ", ""}, {"  ", ""}, {"1 ", ""}};
    for (int i = 0; i < 5; ++i) {
        put(in.OPD_hospital[i].A23visitType, QByteArray(types[i].type));
        put(in.OPD_hospital[i].VisitDatetime, QByteArray("113030509") + QByteArray::number(i));
    }
    tOPD_HOSPITALSub& v = in.OPD_hospital[0];
    put(v.HospitalCode, QByteArray("3501200000"));
    put(v.OPD_fee, QByteArray("12345678"));
    put(v.OPD_part, QByteArray("00000450"));  // zero-padded: the value survives
    put(v.ADM_fee, QByteArray("0"));
    put(v.ReturnCard, QByteArray("N"));
    put(v.INSUcode, QByteArray("0007"));
    put(in.OPD_hospital[1].HospitalCode, QByteArray("9999999999"));

    FakeNames names;
    // 33 characters, 66 bytes: the name field keeps 32 of them.
    names.hospitals[QStringLiteral("3501200000")] = QString(33, QChar(0x96F2));
    tICcardInfo out;
    zeroRecord(out);
    decodeVisits(in, out, names);

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(text(out.Hx[i].VisitType), QLatin1String(types[i].expected)) << i;
    EXPECT_EQ(text(out.Hx[0].visitDateTime), QStringLiteral("1130305090"));
    EXPECT_EQ(text(out.Hx[0].hospitalCode), QStringLiteral("3501200000"));
    EXPECT_EQ(text(out.Hx[0].hospitalName), QString(32, QChar(0x96F2)));
    EXPECT_EQ(text(out.Hx[1].hospitalName), QStringLiteral("(不明院所)"));
    EXPECT_EQ(text(out.Hx[0].OPD_Fee), QStringLiteral("1234567"));
    EXPECT_EQ(text(out.Hx[0].OPD_part), QStringLiteral("0000450"));
    EXPECT_EQ(text(out.Hx[0].ADM_Fee), QStringLiteral("0"));
    EXPECT_EQ(text(out.Hx[0].ReturnCard), QStringLiteral("N"));
    EXPECT_EQ(text(out.Hx[0].INSUcard), QStringLiteral("0007"));
}

class Diagnoses : public ::testing::Test {
  protected:
    void SetUp() override {
        zeroRecord(card);
        setAnsi(card.Hx[0].visitDateTime, QByteArray("1130305093000"));
        setAnsi(card.Hx[1].visitDateTime, QByteArray("1130101080000"));
        setAnsi(card.Hx[2].visitDateTime, QByteArray("1121230080000"));
        prepareDiagnosisBuffer(buffer);
        names.diagnoses[QStringLiteral("J069")] = QStringLiteral("急性上呼吸道感染");
        names.diagnoses[QStringLiteral("I10")] = QStringLiteral("本態性高血壓");
    }
    void entry(int j, const char* date, std::initializer_list<const char*> codes) {
        tdiagnosisSub& d = buffer.ICDcode[j];
        put(d.VisitDatetime, QByteArray(date));
        char* codeSlots[] = {d.main, d.sub1, d.sub2, d.sub3, d.sub4, d.sub5};
        int k = 0;
        for (const char* c : codes) {
            std::memset(codeSlots[k], ' ', 9);
            std::memcpy(codeSlots[k], c, std::strlen(c));
            ++k;
        }
    }
    tICcardInfo card;
    tDiagnosis buffer;
    FakeNames names;
};

TEST_F(Diagnoses, PlaceholderIsInEveryCodeSlotBeforeTheCall) {
    for (const auto& c : buffer.CriticalIllness)
        EXPECT_EQ(QByteArray(c.ICDcode, 9), QByteArray("[XXXXXXX]"));
    for (const auto& d : buffer.ICDcode) {
        EXPECT_EQ(QByteArray(d.VisitDatetime, 13), QByteArray(13, '\0'));
        for (const char* slot : {d.main, d.sub1, d.sub2, d.sub3, d.sub4, d.sub5})
            EXPECT_EQ(QByteArray(slot, 9), QByteArray("[XXXXXXX]"));
    }
}

TEST_F(Diagnoses, EntriesMatchVisitsByDateAndJoinTheirPieces) {
    entry(0, "1130305093000", {"J069", "I10", "", "", "", ""});
    entry(1, "1130101080000", {"J069", "K219"});  // four codeSlots left as the placeholder
    entry(2, "1121231000000", {"I10", "", "", "", "", ""});  // matches no visit
    EXPECT_TRUE(decodeDiagnoses(buffer, card, names));
    EXPECT_EQ(text(card.Hx[0].IMP), QStringLiteral("J069_急性上呼吸道感染`I10_本態性高血壓"));
    EXPECT_EQ(text(card.Hx[1].IMP),
              QStringLiteral("J069_急性上呼吸道感染`K219_(unknown ICD10 code)`[XXXXXXX]_`"
                             "[XXXXXXX]_`[XXXXXXX]_`[XXXXXXX]_"));
    EXPECT_TRUE(card.Hx[2].IMP.isEmpty());
}

TEST_F(Diagnoses, LaterEntryForTheSameVisitWinsAndLongTextsAreCut) {
    entry(0, "1130305093000", {"I10", "", "", "", "", ""});
    entry(1, "1130305093000", {"J069", "J069", "J069", "J069", "J069", "J069"});
    names.diagnoses[QStringLiteral("J069")] = QString(20, QChar(0x85E5));  // 40 bytes each
    decodeDiagnoses(buffer, card, names);
    const QByteArray imp = card.Hx[0].IMP.bytes();
    EXPECT_LE(imp.size(), 128);
    EXPECT_TRUE(text(card.Hx[0].IMP).startsWith(QStringLiteral("J069_")));
    // The cut falls at the end of a whole character: it decodes without a stray half.
    EXPECT_EQ(toAnsi(fromAnsi(imp)), imp);
}

TEST_F(Diagnoses, VisitsOfOneDateTimeEachKeepTheirOwnEntry) {
    // Two visits at the same minute (a second visit type on one day): the first
    // entry of that time belongs to the first visit, the second to the second; a
    // third entry has no visit of its own and goes to both, as a later entry does.
    setAnsi(card.Hx[2].visitDateTime, QByteArray("1130305093000"));
    entry(0, "1130305093000", {"J069", "", "", "", "", ""});
    entry(1, "1130305093000", {"I10", "", "", "", "", ""});
    decodeDiagnoses(buffer, card, names);
    EXPECT_EQ(text(card.Hx[0].IMP), QStringLiteral("J069_急性上呼吸道感染"));
    EXPECT_EQ(text(card.Hx[2].IMP), QStringLiteral("I10_本態性高血壓"));
    EXPECT_TRUE(card.Hx[1].IMP.isEmpty());

    entry(2, "1130305093000", {"K219", "", "", "", "", ""});
    decodeDiagnoses(buffer, card, names);
    EXPECT_EQ(text(card.Hx[0].IMP), QStringLiteral("K219_(unknown ICD10 code)"));
    EXPECT_EQ(text(card.Hx[2].IMP), QStringLiteral("K219_(unknown ICD10 code)"));
}

TEST_F(Diagnoses, CriticalIllnessSlotsWithThePlaceholderStayEmpty) {
    tCriticalIllnessSub& c = buffer.CriticalIllness[1];
    put(c.ICDcode, QByteArray("I10"));
    put(c.StartDate, QByteArray("1120101"));
    put(c.EndDate, QByteArray("1170101"));
    decodeDiagnoses(buffer, card, names);
    EXPECT_TRUE(card.CriticalIllness[0].DX.isEmpty());
    EXPECT_EQ(text(card.CriticalIllness[1].DX), QStringLiteral("I10_本態性高血壓"));
    EXPECT_EQ(text(card.CriticalIllness[1].StartDate), QStringLiteral("1120101"));
    EXPECT_EQ(text(card.CriticalIllness[1].EndDate), QStringLiteral("1170101"));
    for (int i = 2; i < 6; ++i) EXPECT_TRUE(card.CriticalIllness[i].DX.isEmpty()) << i;
}

TEST_F(Diagnoses, UnusableDatabaseGivesTheUnknownTextAndIsSaidOnce) {
    names.databaseAvailable = false;
    entry(0, "1130305093000", {"J069", "I10", "", "", "", ""});
    EXPECT_FALSE(decodeDiagnoses(buffer, card, names));
    EXPECT_EQ(text(card.Hx[0].IMP),
              QStringLiteral("J069_(unknown ICD10 code)`I10_(unknown ICD10 code)"));
}

}  // namespace

namespace {

TEST(ReferralNote, DamagedRecordWithoutTerminatorEndsAtTheField) {
    tICcardInfo card;
    std::memset(static_cast<void*>(&card), 'x', sizeof card);
    EXPECT_EQ(referralNote(card), QString(501, QLatin1Char('x')));
}

}  // namespace
