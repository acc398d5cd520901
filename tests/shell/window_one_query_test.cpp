// Whatever stops a query, the window shows one query or nothing: every view —
// the pages, the status texts, the memo, the report and its copy text, the
// duplicate groups, the summary, the exported Bundle and the archive file — is
// the committed query's, never the patient before it.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/roc_date.h"
#include "fake_cloud_site.h"
#include "report/cloud_report.h"
#include "query/archive_file.h"
#include "window_services_fixture.h"

namespace {

// The fixture's two patients: the demo card and the male card.
const QString kFirst = QStringLiteral("B220715631");
const QString kSecond = QStringLiteral("F129048179");

class WindowOneQuery : public WindowServices {
  protected:
    void SetUp() override {
        WindowServices::SetUp();
        insertCard("demo");
    }
    // The stand-in control software the window loaded.
    template <class F>
    F* stub(const char* name) {
        QLibrary lib(path("libcshis.so"));
        return reinterpret_cast<F*>(lib.resolve(name));
    }
    void force(const char* entry, const char* codes) {
        auto* f = stub<void(const char*, const char*)>("simcshisForce");
        ASSERT_NE(f, nullptr);
        f(entry, codes);
    }
    // Forgets the calls, forced results and swaps of the case before.
    void resetStandIn() {
        if (auto* f = stub<void()>("simcshisReset")) f();
    }
    void swapCard(const char* entry, int call, const char* key) {
        auto* f = stub<void(const char*, int, const char*)>("simcshisSwapCard");
        ASSERT_NE(f, nullptr);
        f(entry, call, key);
    }

    // The window, with the scripted site: each patient has drug rows of their own
    // ("B220715631-1", ...) so a row of the wrong patient shows in every view.
    TFtolv& startWithSite() {
        TFtolv& w = start();
        site = std::make_unique<FakeCloudSite>(clock, *browser);
        site->cardId = site->sessionId = kFirst;
        site->byPatient[kFirst] = tabsOf(kFirst, 23);
        site->byPatient[kSecond] = tabsOf(kSecond, 4);
        get<QRadioButton>("CICcloudcheck")->setChecked(true);
        get<QCheckBox>("CsaveDataCheck")->setChecked(true);
        return w;
    }
    static QList<FakeTab> tabsOf(const QString& id, int rows) {
        QList<QStringList> cells;
        for (int r = 1; r <= rows; ++r)
            cells.append({"113/05/01", id + "-" + QString::number(r), "1"});
        return {FakeTab{"西醫用藥",
                        false,
                        {FakeCloudSite::tablePage({"就醫日期", "藥品名稱", "就醫序號"}, cells,
                                                  QString("Showing 1 to %1 of %1 entries")
                                                      .arg(rows))}},
                FakeTab{"檢查與檢驗", false, {}}};
    }
    // A full query of the first patient, then the second card in the reader.
    void readFirstPatientThenInsertTheSecond(TFtolv& w) {
        prompts.scriptQuestion(Prompts::Answer::Yes);
        get<QPushButton>("Cread")->click();
        ASSERT_EQ(w.query().patientId, kFirst);
        ASSERT_EQ(records(w.query().patient.sDrug), 23);
        ASSERT_TRUE(w.query().completed);
        expectEveryViewShowsTheQuery(w);
        insertCard("male");
        site->cardId = kSecond;
        prompts.clear();
        prompts.scriptQuestion(Prompts::Answer::Yes);
    }
    static int records(const QString& text) { return int(text.count(QStringLiteral("<D>"))); }

    // Every view of the window against the committed query.
    void expectEveryViewShowsTheQuery(TFtolv& w) {
        const Query& q = w.query();
        const QString other = q.patientId == kFirst ? kSecond : kFirst;
        SCOPED_TRACE(("query of " + q.patientId).toStdString());
        // The pages and the status line.
        EXPECT_EQ(get<QLineEdit>("CptID")->text(), q.patient.ptData.A12ID.trimmed());
        EXPECT_EQ(get<QLabel>("Cmsg3")->text(), q.patientLine());
        EXPECT_FALSE(get<QLabel>("Cmsg3")->text().contains(other));
        EXPECT_EQ(get<QPlainTextEdit>("CrefMemo")->toPlainText(), q.patient.sRef);
        // The report, its rows and its copy text.
        report::CloudReport& report = w.cloudReport();
        const report::CloudSourceTables expected =
            report::buildSourceTables(q.patient.sDrug, q.patient.sLab);
        EXPECT_EQ(report.sourceTables().drug.rows.size(), expected.drug.rows.size());
        EXPECT_EQ(report.sourceTables().lab.rows.size(), expected.lab.rows.size());
        ASSERT_EQ(report.cloudReportType(), "drug");
        EXPECT_EQ(report.rowCount(), records(q.patient.sDrug));
        for (int r = 0; r < report.rowCount(); ++r) report.model().setTicked(r, true);
        const QString copied = report.copyText(false);
        EXPECT_EQ(int(copied.count(q.patientId + "-")), report.rowCount());
        EXPECT_FALSE(copied.contains(other));
        // The duplicate groups name rows of this query's table, judged on its day.
        const report::DuplicateFindings dup = report::findDuplicates(expected.drug, q.day());
        EXPECT_EQ(report.duplicates().groups.size(), dup.groups.size());
        // The summary and the exchange file.
        const summary::SummaryDocument doc = w.summaryDocument();
        QString fields;
        for (const summary::SummaryField& f : doc.fields) fields += f.label + '=' + f.value + ';';
        EXPECT_TRUE(fields.contains(q.patientId)) << fields.toStdString();
        EXPECT_FALSE(fields.contains(other)) << fields.toStdString();
        EXPECT_TRUE(fields.contains(q.day().toString(Qt::ISODate)))
            << "dated the query's day: " << fields.toStdString();
        const QString bundle = path("bundle-" + q.patientId + ".json");
        QFile::remove(bundle);
        prompts.scriptSaveFile(bundle);
        w.CsummaryFhirClick();
        QFile f(bundle);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the export is written";
        const QByteArray json = f.readAll();
        EXPECT_TRUE(json.contains(q.patientId.toLatin1()));
        EXPECT_FALSE(json.contains(other.toLatin1()));
        // The archive file, if the query wrote one, holds the query as shown.
        const QString date = DateTimeToStr7(q.day());
        const QString stored = path(archive::relativePath(date, q.patientId));
        if (q.completed && QFile::exists(stored)) {
            const archive::ReadResult r = archive::readArchiveFile(stored);
            ASSERT_EQ(r.status, archive::ReadResult::Status::Ok);
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&r.query.PtBuffer),
                                 sizeof r.query.PtBuffer),
                      QByteArray(reinterpret_cast<const char*>(&q.patient.PtBuffer),
                                 sizeof q.patient.PtBuffer));
            EXPECT_EQ(r.query.texts.sDrug, q.patient.sDrug);
            EXPECT_EQ(r.query.texts.AE, q.eligibility);
            EXPECT_FALSE(r.query.texts.sDrug.contains(other));
        }
    }

    std::unique_ptr<FakeCloudSite> site;
};

// Each way the second patient's Read stops early, after a full query of the first.
TEST_F(WindowOneQuery, AReadThatStopsEarlyShowsOnlyItsOwnPatient) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* message;  // the message the stop shows, if any
        bool cloudRecords;    // the second patient's records are shown
    };
    const Case cases[] = {
        {"site unreachable",
         [this] {
             site->state = FakeCloudSite::State::NotLoaded;
             site->pageNeverLoads = true;
         },
         "雲端藥歷網頁無法登入", false},
        {"login refused",
         [this] {
             site->state = FakeCloudSite::State::Portal;
             site->loginWorks = false;
         },
         "雲端藥歷網頁無法登入", false},
        {"a tab that never opens",
         [this] { site->byPatient[kSecond][0].disabled = true; }, nullptr,
         false},
        {"identity check refusing",
         [this] { site->changeNeverHappens = true; }, "雲端藥歷病人與健保卡不符",
         false},
        {"archive write failing",
         [this] {
             // The month folder cannot be made: a file stands in its place.
             QDir(path("cloudData")).removeRecursively();
             QFile block(path("cloudData"));
             ASSERT_TRUE(block.open(QIODevice::WriteOnly));
         },
         "查詢資料無法儲存", true},
        {"eligibility re-read failing",
         [this] { force("hisGetRegisterBasic", "0,5003"); }, nullptr, true},
        {"card swapped before the eligibility step",
         [this] { swapCard("hisGetRegisterBasic", 2, "demo"); }, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFtolv& w = startWithSite();
        resetStandIn();
        readFirstPatientThenInsertTheSecond(w);
        c.arrange();

        get<QPushButton>("Cread")->click();

        if (c.message) {
            ASSERT_FALSE(prompts.messages().isEmpty());
            EXPECT_TRUE(prompts.messages().join('|').contains(QString::fromUtf8(c.message)))
                << prompts.messages().join('|').toStdString();
        }
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(w.query().patientId, kSecond);
        EXPECT_EQ(w.query().patient.ptData.A12ID, kSecond) << "the card part is whole";
        EXPECT_EQ(records(w.query().patient.sDrug), c.cloudRecords ? 4 : 0);
        expectEveryViewShowsTheQuery(w);
        destroy();
        QDir(path("cloudData")).removeRecursively();
        QFile::remove(path("cloudData"));
        insertCard("demo");
    }
}

// The eligibility step reads the card again: a failed read or another card is
// said as such, and the query keeps its own patient whole.
TEST_F(WindowOneQuery, TheEligibilityReReadNeverChangesThePatient) {
    for (const char* how : {"fails", "swapped"}) {
        SCOPED_TRACE(how);
        TFtolv& w = startWithSite();
        resetStandIn();
        readFirstPatientThenInsertTheSecond(w);
        if (QString(how) == "fails")
            force("hisGetRegisterBasic", "0,5003");
        else
            swapCard("hisGetRegisterBasic", 2, "demo");
        get<QPushButton>("Cread")->click();
        EXPECT_EQ(w.query().eligibility, "讀不到健保卡資料");
        EXPECT_EQ(get<QLabel>("Cmsg3")->text(), w.query().patient.ptData.name + " 讀不到健保卡資料");
        EXPECT_EQ(w.query().patient.ptData.A12ID, kSecond);
        const archive::ReadResult r = archive::readArchiveFile(
            path(archive::relativePath(DateTimeToStr7(w.query().day()), kSecond)));
        ASSERT_EQ(r.status, archive::ReadResult::Status::Ok);
        EXPECT_EQ(QByteArray(r.query.PtBuffer.ID, 10), kSecond.toLatin1())
            << "one patient in one file";
        destroy();
        insertCard("demo");
    }
}

TEST_F(WindowOneQuery, AFailedDirectReadOfAnotherPatientShowsOnlyThatPatient) {
    TFtolv& w = startWithSite();
    readFirstPatientThenInsertTheSecond(w);
    // The user opened the second patient's page by hand; its drug tab never opens.
    site->state = FakeCloudSite::State::LoggedIn;
    site->sessionId = kSecond;
    site->openTab = 2;
    site->byPatient[kSecond][0].disabled = true;
    prompts.scriptInput(kSecond);
    get<QPushButton>("CsaveHtml")->click();

    EXPECT_EQ(w.query().origin, QueryOrigin::DirectRead);
    EXPECT_EQ(w.query().patientId, kSecond);
    EXPECT_FALSE(w.query().cardRead) << "the card in the reader was not read";
    EXPECT_TRUE(w.query().patient.ptData.A12ID.isEmpty());
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), kSecond);
    expectEveryViewShowsTheQuery(w);
}

TEST_F(WindowOneQuery, ADirectReadOfAPatientNotOnTheCardCanBeSummarised) {
    TFtolv& w = startWithSite();
    readFirstPatientThenInsertTheSecond(w);
    site->state = FakeCloudSite::State::LoggedIn;
    site->sessionId = kSecond;
    site->openTab = 1;
    prompts.scriptInput(kSecond);
    get<QPushButton>("CsaveHtml")->click();

    ASSERT_EQ(w.query().patientId, kSecond);
    EXPECT_FALSE(w.query().cardRead);
    EXPECT_EQ(records(w.query().patient.sDrug), 4);
    EXPECT_FALSE(prompts.messages().contains("尚無病患資料"));
    expectEveryViewShowsTheQuery(w);
    EXPECT_FALSE(prompts.messages().contains("尚無病患資料"));
}

TEST_F(WindowOneQuery, ADamagedArchiveFileCommitsNothing) {
    TFtolv& w = startWithSite();
    readFirstPatientThenInsertTheSecond(w);
    const QString damaged = path("cloudData/11302/1130220F129048179.dat");
    ASSERT_TRUE(QDir(dir.path()).mkpath("cloudData/11302"));
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8900, '\0'));
    f.close();

    get<QLineEdit>("CsrID")->setText(kSecond);
    w.CsrIDKeyUp(Qt::Key_Return);

    EXPECT_TRUE(prompts.messages().contains("檔案內容錯誤"));
    EXPECT_EQ(w.query().patientId, kFirst) << "the first patient's query stays whole";
    expectEveryViewShowsTheQuery(w);
}

}  // namespace
