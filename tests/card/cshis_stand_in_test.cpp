// The stand-in control software: byte layouts of its buffers (expected bytes written out
// by hand from the layout tables), buffer sizes, forced results, the call log, the
// inserted card, and the scenarios of the shipped fixture.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "card/loaded_control_software.h"
#include "card_state.h"
#include "cshis_folder.h"

namespace {

const QByteArray kFixture = R"({
  "reader": {"version": 5230},
  "sam": {"hospId": "3501200000", "authenticated": true},
  "hpc": {"status": 3, "id": "A123456789"},
  "cards": [
    {"key": "p", "cardNo": "000011112222", "name": "王小明", "id": "B220715631",
     "birthday": "0690815", "sex": "F", "issueDay": "1080301", "cancelMark": "N",
     "insurer": "01", "insuredMark": "1", "validDate": "1191231", "availableCount": 5,
     "newbornDate": "1130101", "newbornMark": "1",
     "visits": [{"dateTime": "1151205093000", "type": "01", "newborn": "N", "returnCard": "Y",
                 "serial": "12", "hospital": "3501200000", "opdFee": 450, "opdPart": "50",
                 "admFee": "0", "admPartLow": "7", "admPartHigh": "12345678",
                 "dx": ["J069", null, "I10"]}],
     "criticalIllnesses": [{"code": "M329", "start": "1120301", "end": "1170228"}],
     "prescriptions": [
       {"dateTime": "1151205093000", "orderType": "1", "code": "A012345100", "site": "PO",
        "usage": "TID", "days": "3", "total": "9", "dispensing": "1"},
       {"dateTime": "1151205093000", "orderType": "2", "code": "48011C", "days": "1",
        "total": "1"}],
     "longTermDrugs": [{"issueDate": "1151118", "code": "AC34567100", "usage": "BID",
                        "days": "28", "total": "56"}],
     "majorOrders": [{"date": "1150915", "hospital": "3532011111", "code": "64164B",
                      "site": "LS", "total": "1"}],
     "allergies": ["盤尼西林", "A一二三四五六七八九十壹壹壹壹壹壹壹壹壹壹壹"],
     "preventiveCare": [{"type": "03", "date": "1151021", "hospital": "1101010012",
                         "exam": "01"}],
     "pregnancyExams": [{}, {"date": "1150922", "hospital": "1101010012", "exam": "42"}],
     "cumulative": [{"year": "115", "visits": "6", "opdFee": "14775", "admFee": "0",
                     "opdPart": "770", "admPartLow": "0", "admPartHigh": "0",
                     "allPart": "770", "allPartLow": "770"}],
     "cumulativeFee": {"opdFee": "20895", "admFee": "0"},
     "inoculations": [{"code": "IIV4", "date": "1151015", "hospital": "3501200000",
                       "lot": "FL115A0012"}],
     "organDonation": "Y"},
    {"key": "long", "base": "p", "name": "A一二三四五六七八九十", "id": "F129048179",
     "results": {"hisGetRegisterPrevent": [4000, 4013]}}
  ]
})";

QByteArray spaces(int n) { return QByteArray(n, ' '); }

// The patient's name in CP950: 王 A4FD, 小 A470, 明 A9FA.
const QByteArray kName = QByteArray("\xA4\xFD\xA4\x70\xA9\xFA");
// "A" and 一二三四五六七八九: the 21 bytes of "A一二…十" cut before 十 to fit 20.
const QByteArray kCutName =
    QByteArray("A\xA4\x40\xA4\x47\xA4\x54\xA5\x7C\xA4\xAD\xA4\xBB\xA4\x43\xA4\x4B\xA4\x45");

class StandIn : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.insert("p");
        ASSERT_TRUE(cs.LoadLibraryCshis()) << cs.loadError().toStdString();
        ASSERT_TRUE(folder.openControls());
    }
    CshisFolder folder{kFixture};
    LoadedControlSoftware cs{folder.path()};
};

TEST_F(StandIn, BasicDataIsLaidOutByteForByte) {
    QByteArray buf(78, '\x7E');
    int32_t len = 78;
    ASSERT_EQ(cs.hisGetRegisterBasic(buf.data(), &len), 0);
    const QByteArray expected = "000011112222" + kName + spaces(14) + "B220715631" + "0690815" +
                                "F" + "1080301" + "N" + "01" + "1" + "1191231" + "05" + "1130101" +
                                "1";
    ASSERT_EQ(expected.size(), 78);
    EXPECT_EQ(buf, expected);
}

TEST_F(StandIn, NeverWritesPastTheGivenLengthAndCutsAtWholeCharacters) {
    QByteArray buf(78, '\x7E');
    int32_t len = 20;
    ASSERT_EQ(cs.hisGetRegisterBasic(buf.data(), &len), 0);
    EXPECT_EQ(buf.left(20), "000011112222" + kName + spaces(2));
    EXPECT_EQ(buf.mid(20), QByteArray(58, '\x7E'));
    EXPECT_EQ(len, 20);

    folder.insert("long");
    len = 78;
    ASSERT_EQ(cs.hisGetRegisterBasic(buf.data(), &len), 0);
    EXPECT_EQ(buf.mid(12, 20), kCutName + " ");  // no half character left in the field
    EXPECT_EQ(buf.mid(32, 10), "F129048179");

    char small[4] = {'#', '#', '#', '#'};
    len = 3;
    ASSERT_EQ(cs.hiscsGetHospID(small, &len), 0);
    EXPECT_EQ(QByteArray(small, 4), "350#");
    len = -1;
    EXPECT_EQ(cs.hiscsGetHospID(small, &len), 6018);
    EXPECT_EQ(cs.hiscsGetHospID(small, nullptr), 6018);
}

TEST_F(StandIn, VisitsSitAfterTheCriticalIllnessMarks) {
    QByteArray buf(498, '\0');
    int32_t len = 498;
    ASSERT_EQ(cs.hisGetTreatmentNoNeedHPC(buf.data(), &len), 0);
    // type, newborn, date and time, return card, serial, institution, four 8/7-byte fees.
    const QByteArray visit = QByteArray("01") + "N" + "1151205093000" + "Y" + "0012" +
                             "3501200000" + "00000450" + "00000050" + "00000000" + "0000007" +
                             "1234567";
    ASSERT_EQ(visit.size(), 69);
    EXPECT_EQ(buf.left(84), spaces(84));
    EXPECT_EQ(buf.mid(84, 69), visit);
    EXPECT_EQ(buf.mid(84 + 69), spaces(5 * 69));
}

TEST_F(StandIn, DiagnosesKeepTheSlotsTheCardDoesNotFill) {
    const QByteArray placeholder = "[XXXXXXX]";
    QByteArray buf(540, '\0');
    for (int i = 0; i < 6; ++i) buf.replace(i * 23, 9, placeholder);
    for (int j = 0; j < 6; ++j) {
        for (int k = 0; k < 6; ++k) buf.replace(138 + j * 67 + 13 + k * 9, 9, placeholder);
    }
    int32_t len = 540;
    ASSERT_EQ(cs.hisGetTreatmentNeedHPC(buf.data(), &len), 0);

    EXPECT_EQ(buf.left(23),
              "M329     "
              "1120301"
              "1170228");
    EXPECT_EQ(buf.mid(23, 23), placeholder + QByteArray(14, '\0'));  // no second illness
    const QByteArray entry =
        "1151205093000"
        "J069     " +
        placeholder + "I10      " + spaces(27);
    EXPECT_EQ(buf.mid(138, 67), entry);
    EXPECT_EQ(buf.mid(138 + 67), spaces(5 * 67));  // no visit, no diagnoses
}

TEST_F(StandIn, PrescriptionBuffersAreLaidOutByteForByte) {
    QByteArray out(3660, '\0'), longTerm(1320, '\0'), important(360, '\0'), allergy(120, '\0');
    int32_t l1 = 3660, l2 = 1320, l3 = 360, l4 = 120;
    ASSERT_EQ(cs.hisReadPrescription(out.data(), &l1, longTerm.data(), &l2, important.data(), &l3,
                                     allergy.data(), &l4),
              0);
    // date and time, order type, code (12), site (6), usage (18), days, total (7), dispensing.
    EXPECT_EQ(out.left(61), QByteArray("1151205093000") + "1" + "A012345100  " + "PO    " + "TID" +
                                spaces(15) + "03" + "9      " + "1 ");
    EXPECT_EQ(out.mid(61 + 13, 13),
              "2"
              "48011C      ");
    EXPECT_EQ(out.mid(2 * 61), spaces(58 * 61));
    EXPECT_EQ(longTerm.left(44),
              QByteArray("1151118") + "AC34567100" + "BID" + spaces(15) + "28" + "56     ");
    EXPECT_EQ(important.left(36),
              QByteArray("1150915") + "3532011111" + "64164B" + "LS    " + "1      ");
    EXPECT_EQ(allergy.left(40), QByteArray("\xBD\x4C\xA5\xA7\xA6\xE8\xAA\x4C") + spaces(32));
    // 39 bytes of whole characters, then a space: the next character would not fit.
    EXPECT_EQ(allergy.mid(40, 40),
              kCutName + "\xA4\x51" + QByteArray("\xB3\xFC").repeated(9) + " ");
    EXPECT_EQ(allergy.mid(80), spaces(40));
}

// The buffers of one length argument: call, size, offset, expected bytes there.
struct Field {
    const char* what;
    std::optional<int32_t> (ControlSoftware::*call)(char*, int32_t*);
    int size;
    int offset;
    QByteArray bytes;
};

TEST_F(StandIn, OtherBuffersAreLaidOutByteForByte) {
    const Field fields[] = {
        {"prevent", &ControlSoftware::hisGetRegisterPrevent, 126, 0,
         QByteArray("03") + "1151021" + "1101010012" + "01" + spaces(105)},
        {"pregnant, second entry", &ControlSoftware::hisGetRegisterPregnant, 209, 0,
         spaces(19) + "1150922" + "1101010012" + "42"},
        {"cumulative", &ControlSoftware::hisGetCumulativeData, 134, 0,
         QByteArray("115") + "0006" + "0000014775" + "0000000000" + "00000770" + "00000000" +
             "00000000" + "00000770" + "00000770" + spaces(67)},
        {"fees", &ControlSoftware::hisGetCumulativeFee, 20, 0,
         QByteArray("0000020895") + "0000000000"},
        {"inoculation", &ControlSoftware::hisGetInoculateData, 1400, 0,
         QByteArray("IIV4  ") + "1151015" + "3501200000" + "FL115A0012  " + spaces(35)},
        {"organ donation", &ControlSoftware::hisGetOrganDonate, 1, 0, "Y"},
        {"critical illness", &ControlSoftware::hisGetCriticalIllness, 138, 0,
         QByteArray("M329     ") + "1120301" + "1170228"},
        {"professional", &ControlSoftware::hpcGetHPCSSN, 10, 0, "A123456789"},
        {"institution", &ControlSoftware::hiscsGetHospID, 10, 0, "3501200000"},
    };
    for (const Field& f : fields) {
        QByteArray buf(f.size, '\0');
        int32_t len = f.size;
        ASSERT_EQ((cs.*f.call)(buf.data(), &len), 0) << f.what;
        EXPECT_EQ(buf.mid(f.offset, f.bytes.size()), f.bytes) << f.what;
    }
}

TEST_F(StandIn, ForcedResultsAreConsumedInOrderAndTheLastRepeats) {
    folder.force("hisGetRegisterBasic", "4000,4000,0");
    QByteArray buf(78, '\x7E');
    std::vector<int32_t> got;
    for (int i = 0; i < 4; ++i) {
        int32_t len = 78;
        got.push_back(cs.hisGetRegisterBasic(buf.data(), &len).value_or(-1));
        if (i < 2) {
            EXPECT_EQ(buf, QByteArray(78, '\x7E')) << "a forced failure writes nothing";
        }
    }
    EXPECT_EQ(got, (std::vector<int32_t>{4000, 4000, 0, 0}));
    folder.force("hisGetRegisterBasic", nullptr);

    // Sequences of the fixture start again when another card is inserted.
    buf = QByteArray(126, '\0');
    folder.insert("long");
    got.clear();
    for (int i = 0; i < 3; ++i) {
        int32_t len = 126;
        got.push_back(cs.hisGetRegisterPrevent(buf.data(), &len).value_or(-1));
    }
    folder.insert("p");
    for (int i = 0; i < 2; ++i) {
        int32_t len = 126;
        got.push_back(cs.hisGetRegisterPrevent(buf.data(), &len).value_or(-1));
        folder.insert("long");
    }
    EXPECT_EQ(got, (std::vector<int32_t>{4000, 4013, 4013, 0, 4000}));
}

TEST_F(StandIn, RecordsWhatTheProgramSent) {
    char buf[3660];
    char b2[1320], b3[360], b4[120];
    int32_t l1 = 3660, l2 = 1320, l3 = 360, l4 = 120, len = 78;
    cs.csOpenCom(2);
    cs.hisGetCardStatus(1);
    cs.hisGetRegisterBasic(buf, &len);
    cs.hisReadPrescription(buf, &l1, b2, &l2, b3, &l3, b4, &l4);
    cs.csSoftwareReset(3);
    EXPECT_EQ(folder.callLog(),
              (QStringList{"csOpenCom(2)", "hisGetCardStatus(1)", "hisGetRegisterBasic(78)",
                           "hisReadPrescription(3660,1320,360,120)", "csSoftwareReset(3)"}));
    EXPECT_EQ(folder.calls("hisGetCardStatus"), 1);
    folder.reset();
    EXPECT_TRUE(folder.callLog().isEmpty());
}

QByteArray patientId(ControlSoftware& cs, int32_t* result) {
    QByteArray buf(78, '\0');
    int32_t len = 78;
    *result = cs.hisGetRegisterBasic(buf.data(), &len).value_or(-1);
    return *result == 0 ? buf.mid(32, 10) : QByteArray();
}

TEST_F(StandIn, TheInsertedCardIsReadAgainOnEveryCall) {
    int32_t r = 0;
    EXPECT_EQ(patientId(cs, &r), "B220715631");
    folder.insert("long");
    EXPECT_EQ(patientId(cs, &r), "F129048179");
    for (const QByteArray& empty : {QByteArray("none"), QByteArray("NONE"), QByteArray("")}) {
        folder.insert(empty);
        patientId(cs, &r);
        EXPECT_EQ(r, 4013) << empty.constData();
    }
    folder.insert("no-such-card");
    patientId(cs, &r);
    EXPECT_EQ(r, 4013);
    QFile::remove(folder.dir.filePath("sim-card.txt"));
    patientId(cs, &r);
    EXPECT_EQ(r, 4013);
}

TEST_F(StandIn, AnotherFolderCanBeNamed) {
    CshisFolder other(R"({"cards": [{"key": "q", "id": "E225188306"}]})");
    other.insert("q");
    int32_t r = 0;

    folder.setDir(QFile::encodeName(other.path()).constData());
    EXPECT_EQ(patientId(cs, &r), "E225188306");
    folder.setDir(nullptr);
    EXPECT_EQ(patientId(cs, &r), "B220715631");

    qputenv(sim::kDirVariable, QFile::encodeName(other.path()));
    EXPECT_EQ(patientId(cs, &r), "E225188306");
    qunsetenv(sim::kDirVariable);
    EXPECT_EQ(patientId(cs, &r), "B220715631");
}

TEST_F(StandIn, ABrokenFixtureMeansNoSamAndNoCard) {
    for (const QByteArray& bad :
         {QByteArray("{\"cards\": [ {\"key\": "), QByteArray("[1, 2]"), QByteArray()}) {
        folder.writeFile("sim-cards.json", bad);
        int32_t r = 0;
        patientId(cs, &r);
        EXPECT_EQ(r, 4013);
        EXPECT_EQ(cs.hisGetCardStatus(1), 0);
        char code[10];
        int32_t len = 10;
        EXPECT_EQ(cs.hiscsGetHospID(code, &len), 4012);
    }
}

// ---- The shipped fixture ----

// Runs "entry [argument]" with the buffers the program passes; -1 when not called.
int32_t run(ControlSoftware& cs, const std::string& step) {
    std::istringstream in(step);
    std::string name;
    int32_t arg = 0;
    in >> name >> arg;
    static char a[3660], b[1320], c[360], d[120];
    int32_t la = 3660, lb = 1320, lc = 360, ld = 120;
    int32_t len = 0;
    auto buffer = [&](int32_t size) {
        len = size;
        return a;
    };
    std::optional<int32_t> r;
    if (name == "csOpenCom") r = cs.csOpenCom(arg);
    if (name == "csVerifySAMDC") r = cs.csVerifySAMDC();
    if (name == "hisGetCardStatus") r = cs.hisGetCardStatus(arg);
    if (name == "hpcGetHPCSSN") r = cs.hpcGetHPCSSN(buffer(10), &len);
    if (name == "hpcVerifyHPCPIN") r = cs.hpcVerifyHPCPIN();
    if (name == "csGetHospID") r = cs.hiscsGetHospID(buffer(10), &len);
    if (name == "hisGetRegisterBasic") r = cs.hisGetRegisterBasic(buffer(78), &len);
    if (name == "hisGetTreatmentNeedHPC") r = cs.hisGetTreatmentNeedHPC(buffer(540), &len);
    if (name == "hisGetRegisterPregnant") r = cs.hisGetRegisterPregnant(buffer(209), &len);
    if (name == "hisReadPrescription") r = cs.hisReadPrescription(a, &la, b, &lb, c, &lc, d, &ld);
    return r.value_or(-1);
}

struct Scenario {
    const char* card;
    std::vector<std::pair<std::string, int32_t>> steps;  // entry and expected result
};

TEST(ShippedFixture, EveryScenarioAnswersAsDescribed) {
    QFile fixture(QStringLiteral(CSHIS_FIXTURE));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray json = fixture.readAll();

    const Scenario scenarios[] = {
        {"demo",
         {{"hisGetCardStatus 1", 1},
          {"hisGetCardStatus 3", 1},
          {"hpcGetHPCSSN", 4050},
          {"hisGetTreatmentNeedHPC", 4042},
          {"csVerifySAMDC", 0},
          {"hisGetCardStatus 1", 2},
          {"hpcGetHPCSSN", 0},
          {"hpcVerifyHPCPIN", 0},
          {"hisGetCardStatus 3", 3},
          {"csGetHospID", 0},
          {"hisGetRegisterBasic", 0},
          {"hisGetTreatmentNeedHPC", 0},
          {"hisReadPrescription", 0},
          {"hisGetRegisterPregnant", 0}}},
        {"male", {{"hisGetRegisterBasic", 0}, {"hisGetRegisterPregnant", 5079}}},
        {"nocard", {{"hisGetRegisterBasic", 4013}, {"csGetHospID", 0}}},
        {"none", {{"hisGetRegisterBasic", 4013}}},
        {"timeout",
         {{"hisGetRegisterBasic", 4000},
          {"hisGetRegisterBasic", 4000},
          {"hisGetRegisterBasic", 4000}}},
        {"timeout-then-ok",
         {{"hisGetRegisterBasic", 4000},
          {"hisGetRegisterBasic", 4000},
          {"hisGetRegisterBasic", 4000},
          {"hisGetRegisterBasic", 0}}},
        {"sam-fail",
         {{"hisGetCardStatus 1", 1},
          {"csVerifySAMDC", 4051},
          {"hisGetCardStatus 1", 1},
          {"hisGetRegisterBasic", 4051}}},
        {"hpc-unverified",
         {{"hisGetCardStatus 3", 2},
          {"csVerifySAMDC", 0},
          {"hpcGetHPCSSN", 0},
          {"hpcVerifyHPCPIN", 5102},
          {"hpcVerifyHPCPIN", 5102},
          {"hisGetCardStatus 3", 2},
          {"hisReadPrescription", 4042}}},
        {"no-hpc", {{"hisGetCardStatus 3", 0}, {"hpcGetHPCSSN", 4014}}},
        {"port-fail", {{"csOpenCom 0", 9205}, {"hisGetRegisterBasic", 0}}},
    };
    for (const Scenario& s : scenarios) {
        CshisFolder folder(json);
        folder.insert(s.card);
        LoadedControlSoftware cs(folder.path());
        ASSERT_TRUE(cs.LoadLibraryCshis());
        for (std::size_t i = 0; i < s.steps.size(); ++i) {
            EXPECT_EQ(run(cs, s.steps[i].first), s.steps[i].second)
                << s.card << " step " << i << ": " << s.steps[i].first;
        }
    }
}

TEST(ShippedFixture, CardStateGivesThePatientOfTheInsertedCard) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(CSHIS_FIXTURE), dir.filePath("sim-cards.json")));
    EXPECT_EQ(sim::CardState::cardKeys(dir.path()).mid(0, 3),
              (QStringList{"demo", "male", "nocard"}));

    ASSERT_TRUE(sim::CardState::insert(dir.path(), "demo"));
    const std::optional<sim::PatientCard> demo = sim::CardState::load(dir.path());
    ASSERT_TRUE(demo.has_value());
    EXPECT_EQ(demo->id, "B220715631");
    EXPECT_EQ(demo->sex, "F");
    EXPECT_EQ(demo->cardNo.size(), 12);
    ASSERT_EQ(demo->visits.size(), 6);
    EXPECT_EQ(demo->visits[0].dateTime.left(7), demo->visits[1].dateTime.left(7))
        << "the demo covers two visits on one date";

    // A scenario built on the demo card is the same patient.
    ASSERT_TRUE(sim::CardState::insert(dir.path(), "timeout"));
    EXPECT_EQ(sim::CardState::load(dir.path())->id, "B220715631");
    ASSERT_TRUE(sim::CardState::insert(dir.path(), ""));
    EXPECT_FALSE(sim::CardState::load(dir.path()).has_value());
    ASSERT_TRUE(sim::CardState::insert(dir.path(), "nocard"));
    EXPECT_FALSE(sim::CardState::load(dir.path()).has_value());
}

TEST(CardStateFixture, ALoopOfBasesEnds) {
    QTemporaryDir dir;
    QFile f(dir.filePath("sim-cards.json"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"cards": [{"key": "a", "base": "b", "id": "A1"},
                          {"key": "b", "base": "a", "name": "B"}]})");
    f.close();
    ASSERT_TRUE(sim::CardState::insert(dir.path(), "a"));
    const std::optional<sim::PatientCard> a = sim::CardState::load(dir.path());
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->id, "A1");
    EXPECT_EQ(a->name, "B");
}

}  // namespace
