#include <QCheckBox>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

#include "cloud/edge_chart.h"
#include "cloud/edge_table.h"
#include "fake_cloud_site.h"
#include "window_fixture.h"

namespace {

class WindowRead : public WindowTest {
  protected:
    // The demo folder's data files, so names resolve as they do for a user.
    void installDemoData() {
        for (const char* name : {"hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            if (!QFile::exists(path(name))) {
                ASSERT_TRUE(QFile::copy(QStringLiteral(SHELL_DEMO_DIR "/") + name, path(name)))
                    << name;
            }
    }
    void insertCard(const char* key) {
        QFile f(path("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(key) + '\n');
    }
    // The window on the demo card, with the scripted cloud site in its browser.
    TFtolv& startWithSite(const char* card = "demo") {
        installControlSoftware();
        installDemoData();
        insertCard(card);
        writeEndpoints();
        TFtolv& w = start();
        site = std::make_unique<FakeCloudSite>(clock, *browser);
        site->cardId = site->sessionId = "B220715631";
        site->tabs = {
            FakeTab{"西醫用藥", false, {page(1, 10, 25), page(11, 20, 25), page(21, 25, 25)}},
            FakeTab{"檢查與檢驗", false, {}}};
        return w;
    }
    static QString page(int from, int to, int of) {
        QList<QStringList> rows;
        for (int r = from; r <= to; ++r) rows.append({"113/05/01", "drug" + QString::number(r)});
        return FakeCloudSite::tablePage(
            {"就醫日期", "藥品名稱"}, rows,
            QString("Showing %1 to %2 of %3 entries").arg(from).arg(to).arg(of));
    }
    // Calls of an entry point of the stand-in the window loaded.
    int calls(const char* entry) {
        QLibrary lib(path("libcshis.so"));
        auto count = reinterpret_cast<int (*)(const char*)>(lib.resolve("simcshisCallCount"));
        return count ? count(entry) : -1;
    }
    std::unique_ptr<FakeCloudSite> site;
};

TEST_F(WindowRead, ButtonsWaitForTheEndOfStartUp) {
    TFtolv& w = start();  // no control software: start-up stops early
    EXPECT_FALSE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_FALSE(get<QPushButton>("CsaveHtml")->isEnabled());
    w.CreadClick();  // a click that slips through changes nothing
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(WindowRead, CardReadFillsThePatientPages) {
    installControlSoftware();
    installDemoData();
    insertCard("demo");
    writeEndpoints();
    TFtolv& w = start();
    ASSERT_TRUE(get<QPushButton>("Cread")->isEnabled());
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPlainTextEdit>("CrefMemo")->setPlainText("memo of the last patient");

    get<QPushButton>("Cread")->click();

    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_EQ(w.query().patient.ptData.A12ID, "B220715631");
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "B220715631");
    EXPECT_TRUE(get<QRadioButton>("CsexF")->isChecked());
    EXPECT_FALSE(get<QRadioButton>("CsexM")->isChecked());
    EXPECT_GT(get<QTreeWidget>("CtreatItem")->topLevelItemCount(), 0);
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
    EXPECT_TRUE(browser->scripts.isEmpty()) << "a card-only read does not touch the cloud";
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());
    // Every read ends on the drug report, here without cloud records.
    EXPECT_EQ(get<QTabWidget>("CmainPage")->currentWidget(), get<QWidget>("CPcloudChart"));
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:0");
}

TEST_F(WindowRead, MissingCardShowsItsMessageAndEnablesTheWindow) {
    installControlSoftware();
    installDemoData();
    insertCard("nocard");
    writeEndpoints();
    TFtolv& w = start();
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    ASSERT_FALSE(prompts.messages().isEmpty());
    EXPECT_EQ(prompts.messages().last(), "讀取病人IC卡基本資料錯誤");
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is normal again";
}

TEST_F(WindowRead, BrowserEventsReachTheDriverOnce) {
    startWithSite();
    EXPECT_EQ(browser->scriptCompletedReceivers(), 1);
    EXPECT_EQ(browser->navigationCompletedReceivers(), 1);
}

TEST_F(WindowRead, CardOnlyReadTakesTheCloudCountsAway) {
    TFtolv& w = startWithSite();
    get<QRadioButton>("CICcloudcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    ASSERT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:25");

    // The next patient's card alone: nothing of the last patient's records stays.
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:0");
    EXPECT_EQ(get<QTreeView>("CcloudReport")->model()->rowCount(), 0);
    EXPECT_EQ(get<QTreeWidget>("CcloudDrug")->topLevelItemCount(), 0);
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(WindowRead, FastCloudReadIsStoredAndTakenByTheNextRead) {
    TFtolv& w = startWithSite();
    auto* fast = get<QCheckBox>("CfastCloudRead");
    EXPECT_FALSE(fast->isChecked());
    std::uint64_t mark = clock.elapsedMs();
    get<QPushButton>("Cread")->click();
    const std::uint64_t defaultMs = clock.elapsedMs() - mark;
    const QString drug = w.query().patient.sDrug;
    ASSERT_EQ(drug.count("<D>"), 25);

    fast->click();
    EXPECT_EQ(ini().readString("system", "快速讀取雲端資料", "<none>"), "1");
    w.commitQuery(Query{}, false);
    mark = clock.elapsedMs();
    get<QPushButton>("Cread")->click();
    EXPECT_EQ(w.query().patient.sDrug, drug);
    EXPECT_LT((clock.elapsedMs() - mark) * 3, defaultMs);
    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());

    site.reset();
    start();
    EXPECT_TRUE(get<QCheckBox>("CfastCloudRead")->isChecked());
}

TEST_F(WindowRead, PinAnsweredWrongIsNotAskedAgainWhileTheCardTimesOut) {
    TFtolv& w = startWithSite("pin-timeout");
    get<QRadioButton>("CICcheck")->setChecked(true);
    const int before = calls("hpcVerifyHPCPIN");
    get<QPushButton>("Cread")->click();
    EXPECT_EQ(calls("hpcVerifyHPCPIN") - before, 1);
    EXPECT_EQ(w.query().patient.ptData.A12ID, "B220715631");  // read after the time-outs
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(WindowRead, ClosingDuringAReadWaitsForItsEnd) {
    struct Case {
        const char* name;
        const char* card;
        bool cloud;                                          // the mode "雲端", else "IC卡"
        std::function<bool(const QString& script)> closeAt;  // empty: after 50 ms
        bool loggedIn;
    };
    const bool ic = false, cloud = true;
    const Case cases[] = {
        {"card retry", "timeout-then-ok", ic, {}, false},
        {"login wait", "demo", cloud,
         [](const QString& s) { return s.startsWith("var nodeList = "); }, false},
        {"tab wait", "demo", cloud,
         [](const QString& s) { return s == EdgeChartLoader::tabClick(1); }, true},
        {"table paging", "demo", cloud,
         [](const QString& s) { return s == EdgeTableReader::nextClickScript("0"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFtolv& w = startWithSite(c.card);
        w.show();
        if (c.loggedIn) site->state = FakeCloudSite::State::LoggedIn;
        get<QRadioButton>(c.cloud ? "Ccloudcheck" : "CICcheck")->setChecked(true);
        bool closed = false, stayedOpen = false, loadedDuring = false;
        QString notice;
        auto closeNow = [&] {
            if (closed) return;
            closed = true;
            w.close();
            stayedOpen = w.isVisible();
            notice = get<QLabel>("Cmsg1")->text();
            loadedDuring = controlSoftware->isLoaded();
        };
        if (c.closeAt) {
            auto inner = browser->onScript;
            browser->onScript = [&, inner](const QString& s) {
                if (c.closeAt(s)) clock.after(0, closeNow);
                return inner(s);
            };
        } else {
            clock.after(50, closeNow);
        }
        get<QPushButton>("Cread")->click();

        ASSERT_TRUE(closed);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(notice, TFtolv::kCloseWhileReading);
        EXPECT_TRUE(loadedDuring) << "the control software stays while the query runs";
        // The query ran to its end, then the window closed by itself.
        EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
        EXPECT_EQ(w.query().patient.ptData.A12ID, "B220715631");
        EXPECT_FALSE(w.isVisible());
        EXPECT_FALSE(controlSoftware->isLoaded());
        if (c.cloud) {
            EXPECT_EQ(w.query().patient.sDrug.count("<D>"), 25);
        }
        site.reset();
        destroy();
    }
}

}  // namespace
