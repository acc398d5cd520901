// The data work of the patient pages: grid columns, the lists and their look-ups,
// from a card record made by hand.

#include "card/patient_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QMap>
#include <cstring>

#include "card/card_fields.h"
#include "card_test_print.h"
#include "common/codepage.h"

using ::testing::ElementsAre;

namespace {

template <std::size_t N>
void put(char (&field)[N], const char* s) {
    std::memset(field, ' ', N);
    std::memcpy(field, s, std::min(N, std::strlen(s)));
}

class FakeLookups : public PageLookups {
  public:
    QMap<QString, QString> hospitals;
    QMap<QString, QString> drugs;
    QStringList failing;  // codes whose look-up fails
    QStringList asked;

    QString hospitalName(const QString& code) override {
        if (code.isEmpty()) return {};
        return hospitals.value(code, code);
    }
    InsuranceCodeName insuranceName(const QString& code) override {
        asked << code;
        InsuranceCodeName n;
        n.name = code;
        if (failing.contains(code))
            n.status = InsuranceCodeName::Status::Failed;
        else if (drugs.contains(code)) {
            n.status = InsuranceCodeName::Status::Found;
            n.name = drugs[code];
        }
        return n;
    }
};

void visit(tICcardHx& hx, const char* date, const char* hosp, const QString& imp = {}) {
    setAnsi(hx.visitDateTime, QByteArray(date));
    setAnsi(hx.hospitalCode, QByteArray(hosp));
    setText(hx.hospitalName, QStringLiteral("青禾診所"));
    setAnsi(hx.VisitType, QByteArray("01"));
    setAnsi(hx.OPD_Fee, QByteArray("0000350"));
    setAnsi(hx.ADM_Fee, QByteArray("0"));
    setAnsi(hx.ADM_partLow, QByteArray("1"));
    setAnsi(hx.ADM_partHigh, QByteArray("2"));
    setText(hx.IMP, imp);
}

class PatientPagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        zeroRecord(state.ICcardInfo);
        lookups.drugs[QStringLiteral("A012345100")] = QStringLiteral("Amoxicillin 500mg");
        lookups.drugs[QStringLiteral("BC23456789")] = QStringLiteral("Metformin 500mg");
        lookups.hospitals[QStringLiteral("0401180014")] = QStringLiteral("晴川醫院");
    }
    PatientPages fill() { return buildPatientPages(state, lookups); }
    PatientState state;
    FakeLookups lookups;
};

TEST_F(PatientPagesTest, EmptyCardGivesFixedRowsAndAnEmptyGrid) {
    const PatientPages p = fill();
    EXPECT_EQ(p.CtreatItem.size(), 60);
    EXPECT_EQ(p.ClongDrug.size(), 30);
    EXPECT_EQ(p.CimportantMx.size(), 10);
    EXPECT_EQ(p.CcriticalIllness.size(), 6);
    EXPECT_EQ(p.Cprevent.size(), 6);
    EXPECT_EQ(p.Cpregnant.size(), 11);
    EXPECT_EQ(p.CtreatItem.first().size(), 9);
    EXPECT_EQ(p.ClongDrug.first().size(), 6);
    for (int c = 1; c < 8; ++c)
        for (int r = 0; r < 12; ++r) EXPECT_TRUE(p.cell(c, r).isEmpty()) << c << "," << r;
    EXPECT_TRUE(lookups.asked.isEmpty());  // empty slots are not looked up
    EXPECT_TRUE(p.unknownCodes.isEmpty());
}

TEST_F(PatientPagesTest, VisitsAreOrderedByDateAndSameDateVisitsBothShow) {
    tICcardHx* hx = state.ICcardInfo.Hx;
    visit(hx[0], "1130305093000", "3501200000", QStringLiteral("J069_急性上呼吸道感染"));
    visit(hx[1], "1130101080000", "0401180014",
          QStringLiteral("I10_本態性高血壓`E119_第二型糖尿病`K219_胃食道逆流"));
    visit(hx[2], "1130305093000", "1101010012");
    const PatientPages p = fill();
    EXPECT_EQ(p.cell(1, 0), QStringLiteral("1130101080000"));
    EXPECT_EQ(p.cell(2, 0), QStringLiteral("1130305093000"));
    EXPECT_EQ(p.cell(3, 0), QStringLiteral("1130305093000"));
    EXPECT_EQ(p.cell(2, 1), QStringLiteral("3501200000青禾診所"));
    EXPECT_EQ(p.cell(3, 1), QStringLiteral("1101010012青禾診所"));  // its own visit, not a copy
    EXPECT_TRUE(p.cell(4, 0).isEmpty());

    EXPECT_EQ(p.cell(1, 3), QStringLiteral("I10_本態性高血壓"));
    EXPECT_EQ(p.cell(1, 4), QStringLiteral("E119_第二型糖尿病\r\nK219_胃食道逆流"));
    EXPECT_EQ(p.cell(2, 3), QStringLiteral("J069_急性上呼吸道感染"));
    EXPECT_TRUE(p.cell(2, 4).isEmpty());
    EXPECT_EQ(p.cell(1, 2), QStringLiteral("01"));
    EXPECT_EQ(p.cell(1, 6), QStringLiteral("0000350"));
    EXPECT_EQ(p.cell(1, 11), QStringLiteral("0,1,2"));
}

TEST_F(PatientPagesTest, PrescriptionsGoToTheirVisitOrToTheLastColumn) {
    visit(state.ICcardInfo.Hx[0], "1130305093000", "3501200000");
    tOutPrescrSub* mx = state.ICcardInfo.MX.slot;
    put(mx[0].p0, "1130305093000");
    put(mx[0].p4, "A012345100");
    put(mx[0].p7, "TID");
    put(mx[0].p1, "03");
    put(mx[3].p0, "1121111100000");  // no shown visit
    put(mx[3].p4, "BC23456789");
    put(mx[7].p0, "1130305093000");
    put(mx[7].p4, "BC23456789");
    put(mx[9].p4, "XX99999999");  // a code without a date: no shown visit either
    const PatientPages p = fill();

    EXPECT_EQ(p.cell(1, 5), QStringLiteral("Amoxicillin 500mg\r\nMetformin 500mg"));
    EXPECT_EQ(p.cell(7, 5), QStringLiteral("Metformin 500mg\r\nXX99999999"));
    EXPECT_TRUE(p.cell(2, 5).isEmpty());
    EXPECT_THAT(lookups.asked, ElementsAre("A012345100", "BC23456789", "BC23456789", "XX99999999"));

    // Filled rows first, sorted by caption (a filled row without a date first), slot
    // order kept among equals; the empty slots after them.
    ASSERT_EQ(p.CtreatItem.size(), 60);
    EXPECT_THAT(p.CtreatItem[0],
                ElementsAre("", "XX99999999", "XX99999999", "", "", "", "", "", ""));
    EXPECT_EQ(p.CtreatItem[1].first(), QStringLiteral("1121111"));
    EXPECT_THAT(p.CtreatItem[2], ElementsAre("1130305", "Amoxicillin 500mg", "A012345100", "", "",
                                             "TID", "03", "", ""));
    EXPECT_EQ(p.CtreatItem[3].at(1), QStringLiteral("Metformin 500mg"));
    for (int i = 4; i < 60; ++i)
        EXPECT_EQ(p.CtreatItem[i].join(QString()), QString()) << "row " << i;
}

TEST_F(PatientPagesTest, LongTermDrugsOpenOnFilledRows) {
    tLongTermDrugSub* d = state.ICcardInfo.LongTermDrug.slot;
    put(d[29].p0, "1130201");
    put(d[29].p4, "BC23456789");
    put(d[4].p0, "1121010");
    put(d[4].p4, "A012345100");
    put(d[12].p7, "QD");  // only a usage: still a filled row
    const PatientPages p = fill();
    ASSERT_EQ(p.ClongDrug.size(), 30);
    EXPECT_THAT(p.ClongDrug[0], ElementsAre("", "", "", "QD", "", ""));
    EXPECT_EQ(p.ClongDrug[1].at(1), QStringLiteral("Amoxicillin 500mg"));
    EXPECT_EQ(p.ClongDrug[2].at(1), QStringLiteral("Metformin 500mg"));
    EXPECT_EQ(p.ClongDrug[3].join(QString()), QString());
}

TEST_F(PatientPagesTest, FailedLookupsAreListedOncePerSlotAndShowTheCode) {
    put(state.ICcardInfo.MX.slot[0].p4, "A012345100");
    put(state.ICcardInfo.LongTermDrug.slot[2].p4, "AC12345100");
    put(state.ICcardInfo.LongTermDrug.slot[2].p0, "1130201");
    put(state.ICcardInfo.ImportantMx.slot[0].p4, "62010C");
    put(state.ICcardInfo.ImportantMx.slot[0].t2, "0401180014");
    put(state.ICcardInfo.ImportantMx.slot[0].p0, "1130115");
    lookups.failing = {QStringLiteral("AC12345100"), QStringLiteral("62010C")};
    const PatientPages p = fill();
    EXPECT_THAT(p.unknownCodes, ElementsAre("AC12345100", "62010C"));
    EXPECT_THAT(p.ClongDrug.first(),
                ElementsAre("1130201", "AC12345100", "AC12345100", "", "", ""));
    EXPECT_THAT(p.CimportantMx.first(),
                ElementsAre("1130115", "晴川醫院", "62010C", "62010C", "", ""));
}

TEST_F(PatientPagesTest, IdentityAndSex) {
    state.ptData.name = QStringLiteral("林雅婷");
    state.ptData.A12ID = QStringLiteral("F223456789");
    state.ptData.A13birthday = QStringLiteral("0780412");
    state.sRef = QStringLiteral("轉診單");
    const std::pair<QChar, const char*> cases[] = {
        {QLatin1Char('M'), "M"}, {QLatin1Char('F'), "F"}, {QChar(), "F"}, {QLatin1Char('m'), "F"}};
    for (const auto& [sex, expected] : cases) {
        state.ptData.sex = sex;
        const PatientPages p = fill();
        EXPECT_EQ(p.Csex, QLatin1String(expected));
        EXPECT_EQ(p.CptName, QStringLiteral("林雅婷"));
        EXPECT_EQ(p.CptID, QStringLiteral("F223456789"));
        EXPECT_EQ(p.Cbirthday, QStringLiteral("0780412"));
        EXPECT_EQ(p.CrefMemo, QStringLiteral("轉診單"));
    }
}

TEST_F(PatientPagesTest, CriticalIllnessPreventionAndPregnancyRows) {
    setText(state.ICcardInfo.CriticalIllness[0].DX, QStringLiteral("I10_本態性高血壓"));
    setAnsi(state.ICcardInfo.CriticalIllness[0].StartDate, QByteArray("1120101"));
    tpreventSub& pv = state.ICcardInfo.preventX.entry[1];
    put(pv.preventType, "21");
    put(pv.shortDate, "1121010");
    put(pv.HospitalCode, "0401180014");
    put(pv.examCode, "03");
    tpregnantSub& pg = state.ICcardInfo.pregnantX.entry[10];
    put(pg.shortDate, "1130201");
    put(pg.HospitalCode, "5555555555");
    put(pg.examCode, "41");
    const PatientPages p = fill();
    EXPECT_THAT(p.CcriticalIllness[0], ElementsAre("I10_本態性高血壓", "1120101", ""));
    EXPECT_THAT(p.Cprevent[1], ElementsAre("1121010", "晴川醫院", "21", "03"));
    EXPECT_THAT(p.Cprevent[0], ElementsAre("", "", "", ""));
    EXPECT_THAT(p.Cpregnant[10], ElementsAre("1130201", "5555555555", "41"));
}

}  // namespace
