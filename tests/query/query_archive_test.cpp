#include "query/query_archive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <csignal>
#include <cstring>
#include <functional>

#include "card/patient_state.h"
#include "common/codepage.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"
#include "query/archive_file.h"
#include "virtual_clock.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The layout written out here on its own, from the file's description, so the
// program's structs are checked against it rather than against themselves.
constexpr int kBasicSize = 78;
constexpr int kCardSize = 8824;
constexpr int kLengthAt = 8902;
constexpr int kTextAt = 8906;
constexpr int kNameAt = 12, kIdAt = 32, kGenderAt = 49;
constexpr int kReferralNoteAt = kBasicSize + 7763;

QByteArray ansi(const char* utf8) { return toAnsi(QString::fromUtf8(utf8)); }

// A basic-data block as the card gives it: fields padded with spaces.
QByteArray basicBlock(const char* name, const char* id, char gender) {
    QByteArray b(kBasicSize, ' ');
    b.replace(kNameAt, ansi(name).size(), ansi(name));
    b.replace(kIdAt, 10, QByteArray(id));
    b[kGenderAt] = gender;
    return b;
}

QByteArray handAssembled(const QByteArray& basic, const QByteArray& card, qint32 n,
                         const QByteArray& text) {
    QByteArray f = basic + card;
    char len[4];
    qToLittleEndian<qint32>(n, len);
    f.append(len, 4);
    return f + text;
}

QByteArray fullText(const char* hosp, const char* ae, const char* ref, const char* drug,
                    const char* lab) {
    return ansi("<HospID>") + ansi(hosp) + ansi("</HospID><AE>") + ansi(ae) + ansi("</AE><Ref>") +
           ansi(ref) + ansi("</Ref><Drug>") + ansi(drug) + ansi("</Drug><Lab>") + ansi(lab) +
           ansi("</Lab>");
}

class FakeView : public QueryArchiveView {
  public:
    void setDateList(const QStringList& d) override {
        dates = d;
        log << "dates " + d.join(',');
    }
    void setArchiveControlsEnabled(bool on) override {
        controlsOn = on;
        log << (on ? "controls on" : "controls off");
    }
    void commitQuery(const Query& q, bool showReport) override {
        shown = q;
        log << "commit " + q.patientLine() + ' ' + q.day().toString(Qt::ISODate) +
                   (showReport ? " report" : "");
        if (duringFill) duringFill();
    }
    QStringList dates;
    Query shown;
    QStringList log;
    bool controlsOn = true;
    std::function<void()> duringFill;
};

class Archive : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& rel) const { return dir.filePath(rel); }
    void put(const QString& rel, const QByteArray& bytes) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(rel).path()));
        QFile f(path(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray get(const QString& rel) const {
        QFile f(path(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A patient on screen whose every byte differs from what a file would bring.
    void screenPatient() {
        std::memset(&patient.PtBuffer, 'p', sizeof patient.PtBuffer);
        std::memset(&patient.ICcardInfo, 'c', sizeof patient.ICcardInfo);
        patient.ptData.name = "on screen";
        patient.sHospitalCode = patient.sRef = patient.sDrug = patient.sLab = "screen";
    }
    bool screenPatientKept() const {
        const auto* c = reinterpret_cast<const char*>(&patient.ICcardInfo);
        return patient.ptData.name == "on screen" && patient.sRef == "screen" &&
               patient.PtBuffer.Name[0] == 'p' && c[0] == 'c' && c[sizeof(tICcardInfo) - 1] == 'c';
    }

    QTemporaryDir dir;
    VirtualClock clock{0, QDateTime(QDate(2024, 12, 9), QTime(9, 0))};
    RecordingPrompts prompts;
    RecordingStatusSink status;
    FakeView view;
    // The query on screen: what a reopen commits, and what a write takes.
    PatientState& patient = view.shown.patient;
    QueryArchive archive{QueryArchiveContext{dir.path() + "/", clock, prompts, status, view}};
    // Writes the patient above as a query made now.
    bool write(const QString& id, const QString& ae) {
        Query q;
        q.origin = QueryOrigin::Read;
        q.patient = patient;
        q.patientId = id;
        q.eligibility = ae;
        q.time = clock.now();
        return archive.write(q);
    }
};

TEST_F(Archive, WrittenFileHasTheLayoutAnIndependentReaderExpects) {
    for (int i = 0; i < kBasicSize; ++i) reinterpret_cast<char*>(&patient.PtBuffer)[i] = char(i);
    for (int i = 0; i < kCardSize; ++i)
        reinterpret_cast<char*>(&patient.ICcardInfo)[i] = char(i * 7 + 3);
    patient.sHospitalCode = "3501200000";
    patient.sRef = "轉診";
    patient.sDrug = "<D><藥品名稱>Aspirin</藥品名稱></D>";
    patient.sLab.clear();

    ASSERT_TRUE(write(" a123456789", "符合成健"));
    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_THAT(QDir(path("cloudData")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                ElementsAre("11312"));
    EXPECT_THAT(QDir(path("cloudData/11312")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                ElementsAre("1131209A123456789.dat"));

    const QByteArray f = get("cloudData/11312/1131209A123456789.dat");
    const QByteArray text =
        fullText("3501200000", "符合成健", "轉診", "<D><藥品名稱>Aspirin</藥品名稱></D>", "");
    ASSERT_EQ(f.size(), kTextAt + text.size());
    for (int i = 0; i < kBasicSize; ++i) ASSERT_EQ(f[i], char(i)) << i;
    for (int i = 0; i < kCardSize; ++i) ASSERT_EQ(f[kBasicSize + i], char(i * 7 + 3)) << i;
    EXPECT_EQ(qFromLittleEndian<qint32>(f.constData() + kLengthAt), text.size());
    EXPECT_EQ(f.mid(kTextAt), text);
}

TEST_F(Archive, HandAssembledFileReopensIntoTheStateAndThePages) {
    QByteArray card(kCardSize, '\0');
    card.replace(7763, 4, QByteArray("note"));
    const QByteArray text =
        fullText("3501200000", "符合成健", "轉診單", "<D><x>1</x></D>", "<D><y>2</y></D>");
    put("cloudData/11312/1131209A123456789.dat",
        handAssembled(basicBlock("林雅婷", "A123456789", 'F'), card, qint32(text.size()), text));
    screenPatient();

    archive.reopen("1131209", " a123456789 ");

    EXPECT_THAT(prompts.messages(), IsEmpty());
    EXPECT_EQ(patient.ptData.name, "林雅婷");
    EXPECT_EQ(patient.ptData.A12ID, "A123456789");
    EXPECT_EQ(patient.ptData.sex, QChar('F'));
    EXPECT_EQ(QByteArray(patient.ICcardInfo.ReferralNote), "note");
    EXPECT_EQ(patient.sHospitalCode, "3501200000");
    EXPECT_EQ(patient.sRef, "轉診單");
    EXPECT_EQ(patient.sDrug, "<D><x>1</x></D>");
    EXPECT_EQ(patient.sLab, "<D><y>2</y></D>");
    // One commit, dated the stored day: the records are judged on it.
    EXPECT_THAT(view.log,
                ElementsAre("controls off", "commit 林雅婷 符合成健 2024-12-09 report", "controls on"));
    EXPECT_EQ(view.shown.origin, QueryOrigin::Reopen);
    EXPECT_EQ(view.shown.patientId, "A123456789");
    EXPECT_THAT(status.history, ElementsAre("2:讀取1131209日資料中...", "2:讀取1131209日資料完成"));
    EXPECT_GE(clock.pumps(), 1u) << "the status is shown before the file is read";
}

TEST_F(Archive, DamagedFilesShowTheirMessageAndChangeNothing) {
    const QByteArray basic = basicBlock("王小明", "A123456789", 'M');
    const QByteArray card(kCardSize, 'k');
    const QByteArray text = fullText("h", "", "r", "", "");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"8900 bytes", handAssembled(basic, card, 0, {}).left(8900)},
        {"no room for N", handAssembled(basic, card, 0, {}).left(kLengthAt + 2)},
        {"N one above the rest", handAssembled(basic, card, qint32(text.size() + 1), text)},
        {"N 2^31-1", handAssembled(basic, card, 0x7FFFFFFF, text)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put("cloudData/11312/1131209A123456789.dat", c.bytes);
        screenPatient();
        prompts.clear();
        view.log.clear();
        status.msg2 = "stale";

        archive.reopen("1131209", "A123456789");

        EXPECT_THAT(prompts.messages(), ElementsAre("檔案內容錯誤"));
        EXPECT_TRUE(status.msg2.isEmpty());
        EXPECT_TRUE(screenPatientKept());
        EXPECT_THAT(view.log, ElementsAre("controls off", "controls on"));
    }
}

TEST_F(Archive, UnusualButWholeFilesReopen) {
    const QByteArray basic = basicBlock("王小明", "A123456789", 'M');
    const QByteArray card(kCardSize, '\0');
    const QByteArray dup = ansi("<Ref>first</Ref><HospID>h</HospID><ref>second</ref>");
    const QByteArray plain = fullText("h", "ae", "r", "d", "l");
    const QByteArray notAnsi("<Ref>a\x81 b</Ref>");
    const struct {
        const char* name;
        QByteArray bytes;
        archive::ArchiveTexts expected;
    } cases[] = {
        {"exactly 8906 bytes, N 0", handAssembled(basic, card, 0, {}), {}},
        {"N negative", handAssembled(basic, card, -5, plain), {}},
        {"bytes after the text",
         handAssembled(basic, card, qint32(plain.size()), plain + "junk"),
         {"h", "ae", "r", "d", "l"}},
        {"first of two with one name, a missing one empty",
         handAssembled(basic, card, qint32(dup.size()), dup),
         {"h", "", "first", "", ""}},
        {"not CP950",
         handAssembled(basic, card, qint32(notAnsi.size()), notAnsi),
         {"", "", QString::fromUtf8("a\xEF\xBF\xBD b"), "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put("cloudData/11312/1131209A123456789.dat", c.bytes);
        prompts.clear();
        patient.sRef = patient.sDrug = "screen";

        archive.reopen("1131209", "A123456789");

        EXPECT_THAT(prompts.messages(), IsEmpty());
        EXPECT_EQ(patient.sHospitalCode, c.expected.sHospitalCode);
        EXPECT_EQ(patient.sRef, c.expected.sRef);
        EXPECT_EQ(patient.sDrug, c.expected.sDrug);
        EXPECT_EQ(patient.sLab, c.expected.sLab);
        EXPECT_EQ(patient.ptData.name, "王小明");
        EXPECT_EQ(status.msg2, "讀取1131209日資料完成");
    }
}

TEST(ArchiveNames, OnlyTenLettersOrDigitsAndSevenDigitDatesNameFiles) {
    const struct {
        const char* typed;
        const char* id;  // nullptr: rejected
    } ids[] = {
        {"a123456789", "A123456789"},
        {" B220715631\t", "B220715631"},
        {"../x", nullptr},
        {"../../etc/p", nullptr},
        {"A12345678", nullptr},
        {"A1234567890", nullptr},
        {"", nullptr},
        {"A12345678/", nullptr},
        {"A1234 6789", nullptr},
        {"Ａ123456789", nullptr},
    };
    for (const auto& c : ids) {
        const std::optional<QString> id = archive::archiveId(QString::fromUtf8(c.typed));
        if (c.id)
            EXPECT_EQ(id.value_or("<rejected>"), c.id) << c.typed;
        else
            EXPECT_FALSE(id.has_value()) << c.typed;
    }
    for (const char* good : {"1131209", "0000101"}) EXPECT_TRUE(archive::isArchiveDate(good));
    for (const char* bad : {"113120", "11312090", "", "../1234", "-010101", "113120a", "１131209"})
        EXPECT_FALSE(archive::isArchiveDate(QString::fromUtf8(bad))) << bad;
}

TEST_F(Archive, AnIdThatCannotNameAFileWritesListsAndOpensNothing) {
    put("cloudData/11312/1131209..dat", QByteArray(kTextAt, '\0'));
    for (const char* typed : {"../x", "A12345678", "A1234567890", ""}) {
        SCOPED_TRACE(typed);
        prompts.clear();
        view.log.clear();
        EXPECT_FALSE(write(typed, "ae"));
        ASSERT_EQ(prompts.messages().size(), 1);
        EXPECT_TRUE(prompts.messages().first().startsWith("查詢資料無法儲存"));

        prompts.clear();
        archive.listStoredDates(typed);
        archive.reopen("1131209", typed);
        EXPECT_THAT(view.log, ElementsAre("dates "));
        EXPECT_THAT(prompts.messages(), IsEmpty());
    }
    EXPECT_THAT(QDir(path("cloudData/11312")).entryList(QDir::Files), ElementsAre("1131209..dat"));
    EXPECT_FALSE(QFileInfo::exists(path("x")));
}

TEST_F(Archive, ListingIsNewestFirstWithoutRepeatsForThisIdOnly) {
    const QByteArray empty =
        handAssembled(basicBlock("甲", "A123456789", 'F'), QByteArray(kCardSize, '\0'), 0, {});
    for (const char* rel : {
             "cloudData/11311/1131130A123456789.dat",
             "cloudData/11312/1131209A123456789.dat",
             "cloudData/11312/1131209a123456789.DAT",  // the same day in other case
             "cloudData/11301/1130105a123456789.dat",
             "cloudData/11312/1131208BA123456789.dat",  // a longer ID ending in this one
             "cloudData/11312/1131207A1234567890.dat",  // and one this ID starts
             "cloudData/11312/1131101A123456789.dat",   // a date outside its month folder
             "cloudData/1131/1131206A123456789.dat",    // not a month folder
             "cloudData/11312/11312xxA123456789.dat",   // not a date
             "cloudData/11312/1131205A123456789.dat.bak",
         })
        put(rel, empty);
    ASSERT_TRUE(QDir(dir.path()).mkpath("cloudData/11312/1131204A123456789.dat"));  // a folder

    archive.listStoredDates(" a123456789 ");

    EXPECT_THAT(view.dates, ElementsAre("1131209", "1131130", "1130105"));
    EXPECT_EQ(view.log.filter("commit").size(), 1) << "the newest opens, once";
    EXPECT_EQ(status.msg2, "讀取1131209日資料完成");

    view.log.clear();
    archive.listStoredDates("B123456789");
    EXPECT_THAT(view.log, ElementsAre("dates ")) << "no date: the list empties, nothing opens";
}

TEST_F(Archive, NoArchiveFolderListsNothing) {
    archive.listStoredDates("A123456789");
    EXPECT_THAT(view.log, ElementsAre("dates "));
    EXPECT_THAT(prompts.messages(), IsEmpty());
}

// A referral text holding the next element's markers must not fake drug records
// when the query is reopened; values that read back as they are stay untouched.
TEST_F(Archive, InjectedMarkersAreNeutralisedOnlyWhereTheyWouldNotReadBack) {
    const QString fake = "x</Ref><Drug><D><藥品名稱>假藥</藥品名稱></D></Drug><Ref>";
    const struct {
        const char* name;
        archive::ArchiveTexts written;
        archive::ArchiveTexts reopened;
    } cases[] = {
        {"closing marker in the referral",
         {"h", "", fake, "<D>real</D>", ""},
         {"h", "", "x＜/Ref><Drug><D><藥品名稱>假藥</藥品名稱></D></Drug>＜Ref>", "<D>real</D>",
          ""}},
        {"markers in other case",
         {"h</HOSPID>", "a<ae>", "", "", "</lab>"},
         {"h＜/HOSPID>", "a＜ae>", "", "", "＜/lab>"}},
        {"balanced, other elements' and lone markers stay",
         {"<", "<Ref>", "a<Ref>b</Ref>c", "<D><Lab>1</Lab></D>", "</Drug><"},
         {"<", "<Ref>", "a<Ref>b</Ref>c", "<D><Lab>1</Lab></D>", "</Drug><"}},
        {"text the code page lacks", {"h", "😀", "é", "", ""}, {"h", "?", "?", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        patient.sHospitalCode = c.written.sHospitalCode;
        patient.sRef = c.written.sRef;
        patient.sDrug = c.written.sDrug;
        patient.sLab = c.written.sLab;
        ASSERT_TRUE(write("A123456789", c.written.AE));
        view.log.clear();
        archive.reopen("1131209", "A123456789");
        // Cmsg3 is the name, a space and AE.
        const QString ae = view.shown.eligibility;
        const archive::ArchiveTexts got{patient.sHospitalCode, ae, patient.sRef, patient.sDrug,
                                        patient.sLab};
        EXPECT_EQ(got.sHospitalCode, c.reopened.sHospitalCode);
        EXPECT_EQ(got.AE, c.reopened.AE);
        EXPECT_EQ(got.sRef, c.reopened.sRef);
        EXPECT_EQ(got.sDrug, c.reopened.sDrug);
        EXPECT_EQ(got.sLab, c.reopened.sLab);
        const bool neutralised = c.reopened.sHospitalCode.contains(u'＜') ||
                                 c.reopened.AE.contains(u'＜') || c.reopened.sRef.contains(u'＜') ||
                                 c.reopened.sLab.contains(u'＜');
        EXPECT_EQ(get("cloudData/11312/1131209A123456789.dat").contains("\xA1\xD5"), neutralised)
            << "the neutral sign is stored in the code page";
    }
}

// Raises the file-size limit back and restores the signal on the way out.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old;
        lim.rlim_cur = bytes;
        ok = setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
    bool ok = false;
};

TEST_F(Archive, AWriteFailingMidwayKeepsTheDaysEarlierFile) {
    patient.sRef = "morning";
    ASSERT_TRUE(write("A123456789", ""));
    const QByteArray morning = get("cloudData/11312/1131209A123456789.dat");
    patient.sRef = "afternoon";
    {
        const FileSizeLimit limit(4096);  // the disk fills up half way through the file
        ASSERT_TRUE(limit.ok);
        EXPECT_FALSE(write("A123456789", ""));
    }
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().startsWith(
        "查詢資料無法儲存: cloudData/11312/1131209A123456789.dat: "))
        << prompts.messages().first().toStdString();
    EXPECT_EQ(get("cloudData/11312/1131209A123456789.dat"), morning);
    EXPECT_THAT(QDir(path("cloudData/11312")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                ElementsAre("1131209A123456789.dat"))
        << "no temporary file is left behind";
}

TEST_F(Archive, AFolderThatCannotBeMadeIsReported) {
    put("cloudData", "a file where the folder belongs");
    EXPECT_FALSE(write("A123456789", ""));
    EXPECT_THAT(prompts.messages(),
                ElementsAre("查詢資料無法儲存: 無法建立資料夾 cloudData/11312"));
}

TEST_F(Archive, AFileThatCannotBeOpenedSaysWhichAndWhy) {
    const QString rel = "cloudData/11312/1131209A123456789.dat";
    const QString prefix = "無法開啟檔案 " + rel + ": ";
    const struct {
        const char* name;
        std::function<void()> make;
    } cases[] = {
        {"missing", [] {}},
        {"a folder in its place", [&] { ASSERT_TRUE(QDir(dir.path()).mkpath(rel)); }},
        // A pipe would keep the open waiting for a writer that never comes.
        {"a pipe in its place",
         [&] {
             ASSERT_TRUE(QDir(dir.path()).mkpath("cloudData/11312"));
             ASSERT_EQ(mkfifo(QFile::encodeName(path(rel)).constData(), 0600), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(path("cloudData")).removeRecursively();
        c.make();
        screenPatient();
        prompts.clear();
        archive.reopen("1131209", "A123456789");
        ASSERT_EQ(prompts.messages().size(), 1);
        EXPECT_THAT(prompts.messages().first().toStdString(),
                    ::testing::StartsWith(prefix.toStdString()));
        EXPECT_GT(prompts.messages().first().size(), prefix.size()) << "the reason follows";
        EXPECT_TRUE(status.msg2.isEmpty());
        EXPECT_TRUE(screenPatientKept());
        EXPECT_TRUE(view.controlsOn);
    }
}

// Opening lets window messages run: what they start meanwhile must find every
// control off and must not open a second query inside the first.
TEST_F(Archive, OpeningKeepsTheControlsOffAndIsNotReentered) {
    patient.sRef = "first";
    ASSERT_TRUE(write("A123456789", ""));
    bool controlsDuringFill = true;
    view.duringFill = [&] {
        controlsDuringFill = view.controlsOn;
        archive.reopen("1131209", "A123456789");
        archive.listStoredDates("A123456789");
    };
    archive.reopen("1131209", "A123456789");
    EXPECT_FALSE(controlsDuringFill);
    EXPECT_EQ(view.log.filter("commit").size(), 1);
    EXPECT_FALSE(view.log.join('|').contains("dates"));
    EXPECT_TRUE(view.controlsOn);
}

TEST_F(Archive, OnlyASevenDigitDateOpens) {
    patient.sRef = "stored";
    ASSERT_TRUE(write("A123456789", ""));
    for (const char* date : {"", "113120", "查詢日期", "../../1131209"}) {
        archive.reopen(QString::fromUtf8(date), "A123456789");
        EXPECT_THAT(view.log, IsEmpty()) << date;
    }
}

}  // namespace

namespace {

// A Read begun before midnight and written after it is filed under the day it
// was made, the day the summary and the export print.
TEST_F(Archive, AQueryIsFiledUnderItsOwnDay) {
    Query q;
    q.origin = QueryOrigin::Read;
    q.patientId = "A123456789";
    q.time = QDateTime(QDate(2024, 12, 8), QTime(23, 59, 50));  // the clock says 9 December
    ASSERT_TRUE(archive.write(q));
    EXPECT_TRUE(QFileInfo::exists(path("cloudData/11312/1131208A123456789.dat")));
    EXPECT_FALSE(QFileInfo::exists(path("cloudData/11312/1131209A123456789.dat")));
}

}  // namespace
