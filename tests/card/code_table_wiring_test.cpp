// The card read and the pages with the real code tables of the demo folder: names
// through the adapters, and a folder that lacks a database.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "card/card_decoding.h"
#include "card/card_fields.h"
#include "card/code_tables.h"
#include "card/patient_pages.h"
#include "card/read_ic_card_data.h"
#include "card_test_print.h"
#include "cshis_harness.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "virtual_clock.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A program folder with the demo's files of the given names.
class ProgramFolder {
  public:
    explicit ProgramFolder(std::initializer_list<const char*> files) {
        for (const char* f : files)
            ok = QFile::copy(QStringLiteral(TOLVANE_DEMO_DIR "/") + QLatin1String(f),
                             dir.filePath(QLatin1String(f))) &&
                 ok;
    }
    QString path() const { return dir.path(); }
    QTemporaryDir dir;
    bool ok = true;
};

class WiredCardRead : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok);
        sim.insert(QStringLiteral("samdone"));
    }
    bool read(const QString& appPath) {
        hospitals.CreateHospitalSet(appPath);
        DiagnosisDatabase diagnoses(appPath);
        CodeTableLookups names(hospitals, diagnoses);
        CardReadSettings settings;
        treadCard pt;
        return ReadICcardData(CardReadContext{sim.cs, names, status, clock, prompts}, settings, pt,
                              QStringLiteral("A123456789"), card);
    }
    CshisHarness sim;
    CHospitalSet hospitals;
    VirtualClock clock;
    RecordingPrompts prompts;
    RecordingStatusSink status;
    tICcardInfo card;
};

TEST_F(WiredCardRead, NamesComeFromTheListAndTheDiagnosisDatabase) {
    ProgramFolder folder{kHospitalListFile, kDiagnosisDatabaseFile};
    ASSERT_TRUE(folder.ok);
    ASSERT_TRUE(read(folder.path()));
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_EQ(text(card.Hx[0].hospitalName), QStringLiteral("晴川診所"));
    EXPECT_EQ(text(card.Hx[0].IMP),
              QStringLiteral("J069_急性上呼吸道感染`I10_本態性高血壓`[XXXXXXX]_"));
    EXPECT_EQ(text(card.CriticalIllness[0].DX), QStringLiteral("M329_全身性紅斑性狼瘡"));
}

TEST_F(WiredCardRead, MissingDiagnosisDatabaseIsReportedOnceAndTheReadGoesOn) {
    ProgramFolder folder{kHospitalListFile};
    ASSERT_TRUE(read(folder.path()));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(text(card.Hx[0].IMP).left(25), QStringLiteral("J069_(unknown ICD10 code)"));
    EXPECT_EQ(text(card.CriticalIllness[0].DX), QStringLiteral("M329_(unknown ICD10 code)"));
    EXPECT_NE(card.preventX.entry[0].shortDate[0], '\0');  // later categories were read
}

template <std::size_t N>
void put(char (&field)[N], const char* s) {
    std::memset(field, ' ', N);
    std::memcpy(field, s, std::min(N, std::strlen(s)));
}

TEST(WiredPages, DrugNamesAndAMissingDrugDatabase) {
    PatientState state;
    zeroRecord(state.ICcardInfo);
    put(state.ICcardInfo.MX.slot[0].p4, "A012345100");
    put(state.ICcardInfo.MX.slot[1].p4, "A0'; --");  // a quote finds nothing, breaks nothing
    put(state.ICcardInfo.ImportantMx.slot[0].t2, "0401180014");

    ProgramFolder withDb{kHospitalListFile, kDrugDatabaseFile};
    ASSERT_TRUE(withDb.ok);
    HospitalNames names(withDb.path());
    PatientPages p = buildPatientPages(state, names, withDb.path());
    EXPECT_THAT(p.unknownCodes, IsEmpty());
    EXPECT_EQ(p.cell(7, 5), QStringLiteral("ACETAMINOPHEN 500MG TAB\r\nA0'; --"));
    EXPECT_EQ(p.CimportantMx[0].at(1), QStringLiteral("中港醫學中心"));

    ProgramFolder noDb{kHospitalListFile};
    HospitalNames names2(noDb.path());
    p = buildPatientPages(state, names2, noDb.path());
    EXPECT_THAT(p.unknownCodes, ElementsAre("A012345100", "A0'; --"));  // filled slots only
    EXPECT_EQ(p.cell(7, 5), QStringLiteral("A012345100\r\nA0'; --"));
}

}  // namespace
