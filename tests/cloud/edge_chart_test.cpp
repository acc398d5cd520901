#include "cloud/edge_chart.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cloud/browser_driver.h"
#include "cloud/edge_table.h"
#include "common/codepage.h"
#include "fake_cloud_site.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"

namespace {

using State = FakeCloudSite::State;

const QString kId = "A123456789";  // the card in the reader and the site's patient
const QStringList kDrugCols = {"就醫日期", "藥品名稱"};
const QStringList kLabCols = {"檢驗日期", "檢驗結果"};

struct ChartFixture : ::testing::Test {
    VirtualClock clock{0xFFFF0000u};
    FakeBrowser browser{clock};
    FakeCloudSite site{clock, browser};
    RecordingStatusSink status;
    RecordingPrompts prompts;
    BrowserDriver driver{browser, clock, status};
    QTemporaryDir dir;
    EdgeChartSettings settings;
    EdgeChartLoader loader{driver, clock, prompts, status, settings};
    QString sDrug = "old", sLab = "old";
    int portsClosed = 0;

    ChartFixture() {
        settings.URLaddr = QUrl("https://127.0.0.1:8443/imu/IMUE1000/");
        settings.appPath = dir.path();
        settings.errorFileFolder = dir.path();
        loader.closeReaderPort = [this] { ++portsClosed; };
        site.tabs = {
            FakeTab{"雲端藥歷", false, {}},
            FakeTab{"西醫用藥",
                    false,
                    {FakeCloudSite::tablePage(kDrugCols, {{"113/05/01", "Aspirin"}},
                                              "Showing 1 to 1 of 1 entries")}},
            FakeTab{"檢查與檢驗",
                    false,
                    {FakeCloudSite::tablePage(kLabCols, {{"113/05/02", "2+"}},
                                              "Showing 1 to 1 of 1 entries")}},
        };
    }
    QString checkLog() const { return QDir(dir.path()).filePath("check.log"); }
    std::uint32_t since(std::uint32_t mark) { return Clock::elapsed(mark, clock.tickCount()); }

    struct Outcome {
        bool ok = false;
        QString drug, lab;
        QStringList messages;
        std::uint32_t ms = 0;  // from the start of the read to its end
    };
    // One full read on a site of its own, with the fixture's tabs unless setup
    // changes them.
    Outcome readOnce(bool fast, const std::function<void(FakeCloudSite&)>& setup,
                     const QString& patient = kId) {
        VirtualClock clk{0xFFFF0000u};
        FakeBrowser br{clk};
        FakeCloudSite st{clk, br};
        st.tabs = site.tabs;
        st.landingTab = 2;  // the record page comes with the drug tab open
        setup(st);
        BrowserDriver drv{br, clk, status};
        RecordingPrompts pr;
        settings.fastRead = fast;
        EdgeChartLoader ld{drv, clk, pr, status, settings};
        Outcome out;
        drv.startWebTimer();
        const std::uint32_t mark = clk.tickCount();
        out.ok = ld.loadEdgeChart(patient, out.drug, out.lab);
        out.ms = Clock::elapsed(mark, clk.tickCount());
        drv.stopWebTimer();
        out.messages = pr.messages();
        return out;
    }
    // Tables of rows d1.. and l1.., ten to a page.
    static QList<QString> pagesOf(const QStringList& columns, const QString& label, int rows) {
        QList<QString> out;
        for (int first = 1; first <= rows; first += 10) {
            const int last = std::min(rows, first + 9);
            QList<QStringList> cells;
            for (int r = first; r <= last; ++r)
                cells.append({label + QString::number(r), "v" + QString::number(r)});
            out.append(FakeCloudSite::tablePage(
                columns, cells,
                QString("Showing %1 to %2 of %3 entries").arg(first).arg(last).arg(rows)));
        }
        return out;
    }
    void useThreeAndTwoPages() {
        site.tabs[1].pages = pagesOf(kDrugCols, "d", 25);
        site.tabs[2].pages = pagesOf(kLabCols, "l", 12);
    }
};

const QString kDrugRecord = "<D><就醫日期>113/05/01</就醫日期><藥品名稱>Aspirin</藥品名稱></D>";
const QString kLabRecord = "<D><檢驗日期>113/05/02</檢驗日期><檢驗結果>2+</檢驗結果></D>";

TEST_F(ChartFixture, FullReadLogsInAndReadsBothTables) {
    settings.zoomTenths = 12;
    EXPECT_TRUE(loader.loadEdgeChart(kId, sDrug, sLab));
    EXPECT_EQ(sDrug, kDrugRecord);
    EXPECT_EQ(sLab, kLabRecord);
    EXPECT_EQ(browser.navigations.size(), 1);
    EXPECT_EQ(site.loginClicks, 1);
    EXPECT_EQ(browser.zooms, QList<double>{1.2});
    EXPECT_EQ(status.msg1, "雲端藥歷登入正常");
    EXPECT_EQ(portsClosed, 1);
    EXPECT_TRUE(prompts.messages().isEmpty());

    QFile log(checkLog());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), toAnsi(kDrugRecord + "\r\n"));
}

TEST_F(ChartFixture, LoggedInSiteTakesTheNewCardWithoutNavigating) {
    site.state = State::LoggedIn;
    QFile old(checkLog());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    EXPECT_TRUE(loader.loadEdgeChart(kId, sDrug, sLab));
    EXPECT_TRUE(browser.navigations.isEmpty());
    EXPECT_EQ(site.changeCardClicks, 1);
    EXPECT_EQ(site.loginClicks, 0);
    EXPECT_EQ(sDrug, kDrugRecord);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "earlier");  // never overwritten
}

TEST_F(ChartFixture, ChangeOfCardReadsOnlyTheNewPatientsTables) {
    // The site is logged in with patient A; patient B's card is now in the reader.
    const QString a = "A123456789", b = "B223456789";
    const QString bDrug = "<D><就醫日期>113/06/01</就醫日期><藥品名稱>Metformin</藥品名稱></D>";
    struct Case {
        const char* name;
        std::function<void(FakeCloudSite&)> setup;
        QString patient;  // whose records the read may take
        bool ok;
        QString drug;
        QStringList messages;
    } const cases[] = {
        {"change at once", [](FakeCloudSite&) {}, b, true, bDrug, {}},
        {"change after 3 s", [](FakeCloudSite& s) { s.changeDelayMs = 3000; }, b, true, bDrug, {}},
        {"change after 9 s", [](FakeCloudSite& s) { s.changeDelayMs = 9000; }, b, true, bDrug, {}},
        {"old load ends after the click",
         [](FakeCloudSite& s) {
             s.changeDelayMs = 3000;
             s.staleLoadMs = 150;
         },
         b,
         true,
         bDrug,
         {}},
        {"change never happens",
         [](FakeCloudSite& s) { s.changeNeverHappens = true; },
         b,
         false,
         "old",
         {EdgeChartLoader::mismatchMessage(a, b)}},
        {"the site shows someone else than asked for",
         [](FakeCloudSite&) {},
         "C123456789",
         false,
         "old",
         {EdgeChartLoader::mismatchMessage(b, "C123456789")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock clk;
        FakeBrowser br{clk};
        FakeCloudSite st{clk, br};
        st.tabs = site.tabs;
        st.byPatient[b] = site.tabs;
        st.byPatient[b][1].pages = {FakeCloudSite::tablePage(
            kDrugCols, {{"113/06/01", "Metformin"}}, "Showing 1 to 1 of 1 entries")};
        st.state = State::LoggedIn;
        st.sessionId = a;
        st.openTab = 2;  // A's drug tab is open, as the last read left it
        st.cardId = b;
        c.setup(st);
        BrowserDriver drv{br, clk, status};
        RecordingPrompts pr;
        EdgeChartLoader ld{drv, clk, pr, status, settings};
        QString d = "old", l = "old";
        EXPECT_EQ(ld.loadEdgeChart(c.patient, d, l), c.ok);
        EXPECT_EQ(d, c.drug);
        EXPECT_EQ(pr.messages(), c.messages);
        EXPECT_EQ(st.changeCardClicks, 1);
    }
}

TEST(PagePatientId, TheIdAfterTheCaption) {
    const std::pair<QString, QString> cases[] = {
        {"身分證號 B220715631\n請換卡再按我", "B220715631"},
        {"<td>身分證號：</td><td>b220715631</td>", "B220715631"},
        {"<span>身分證號</span> F129048179</div>", "F129048179"},
        {"身分證號\n請換卡再按我 A123456789", ""},
        {"姓名 王小明", ""},
    };
    for (const auto& [page, id] : cases)
        EXPECT_EQ(EdgeChartLoader::pagePatientId(page), id) << page.toStdString();
}

TEST_F(ChartFixture, ReinitialisingStartsFromThePortal) {
    site.state = State::LoggedIn;
    settings.reinitializeWeb = true;
    EXPECT_TRUE(loader.loadEdgeChart(kId, sDrug, sLab));
    EXPECT_EQ(browser.reinitializations, 1);
    EXPECT_EQ(browser.navigations.size(), 1);  // the menu was empty right after
    EXPECT_EQ(site.loginClicks, 1);
}

struct FailCase {
    const char* name;
    std::function<void(FakeCloudSite&)> setup;
    QString message;
    int loginClicks;
    std::uint32_t minMs, maxMs;
};

TEST_F(ChartFixture, EveryFailureOfTheLoginShowsItsMessage) {
    const FailCase cases[] = {
        {"page never loads", [](FakeCloudSite& s) { s.pageNeverLoads = true; },
         "網頁下載錯誤或逾時1", 0, 30000, 31000},
        {"no page text", [](FakeCloudSite& s) { s.afterNavigate = State::NotLoaded; },
         "無法取得網頁內容(首頁)22秒)", 0, 20000, 22000},
        {"maintenance", [](FakeCloudSite& s) { s.afterNavigate = State::Maintenance; },
         "網頁維護中..請稍候再試", 0, 0, 3000},
        {"no portal text", [](FakeCloudSite& s) { s.afterNavigate = State::NoPortalText; },
         "網頁下載錯誤或逾時2", 0, 0, 3000},
        {"login never succeeds", [](FakeCloudSite& s) { s.loginWorks = false; },
         "嘗試點擊查詢頁錯誤", 3, 30000, 33000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock clk{0xFFFF0000u};
        FakeBrowser br{clk};
        FakeCloudSite st{clk, br};
        BrowserDriver drv{br, clk, status};
        RecordingPrompts pr;
        EdgeChartLoader ld{drv, clk, pr, status, settings};
        c.setup(st);
        drv.startWebTimer();
        const std::uint32_t mark = clk.tickCount();
        QString d = "x", l = "y";
        EXPECT_FALSE(ld.loadEdgeChart(kId, d, l));
        EXPECT_EQ(pr.messages(), QStringList{c.message});
        EXPECT_EQ(st.loginClicks, c.loginClicks);
        EXPECT_GE(Clock::elapsed(mark, clk.tickCount()), c.minMs);
        EXPECT_LE(Clock::elapsed(mark, clk.tickCount()), c.maxMs);
        EXPECT_EQ(d, "x");  // untouched before the login is confirmed
        drv.stopWebTimer();
    }
}

TEST_F(ChartFixture, TabsThatDoNotOpen) {
    struct Case {
        const char* name;
        std::function<void(FakeCloudSite&)> setup;
        QString drug;
        QStringList messages;
    } const cases[] = {
        {"disabled", [](FakeCloudSite& s) { s.tabs[1].disabled = true; }, "", {}},
        {"no data", [](FakeCloudSite& s) { s.tabs[1].pages.clear(); }, "", {}},
        {"missing caption", [](FakeCloudSite& s) { s.tabs.removeAt(1); }, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock clk;
        FakeBrowser br{clk};
        FakeCloudSite st{clk, br};
        st.tabs = site.tabs;
        c.setup(st);
        BrowserDriver drv{br, clk, status};
        RecordingPrompts pr;
        EdgeChartLoader ld{drv, clk, pr, status, settings};
        QString d, l;
        EXPECT_TRUE(ld.loadEdgeChart(kId, d, l));
        EXPECT_EQ(d, c.drug);
        EXPECT_EQ(l, kLabRecord);  // the lab tab is read all the same
        EXPECT_EQ(pr.messages(), c.messages);
    }
}

TEST_F(ChartFixture, ATabWaitThatRunsOutShowsTheCountMessage) {
    site.tabOpenMs = 60000;
    const std::uint32_t mark = clock.tickCount();
    EXPECT_TRUE(loader.loadEdgeChart(kId, sDrug, sLab));
    EXPECT_EQ(prompts.messages(),
              QStringList({"查詢[西醫用藥]的項目數次異常", "查詢[檢查與檢驗]的項目數次異常"}));
    EXPECT_EQ(sDrug, "");
    EXPECT_EQ(sLab, "");
    // Each wait has its own 10 s, after the login.
    EXPECT_GE(since(mark), 20000u);
    EXPECT_LE(since(mark), 30000u);
}

TEST_F(ChartFixture, FastPacingReadsTheSameRecordsInAFractionOfTheTime) {
    useThreeAndTwoPages();
    struct Case {
        const char* name;
        bool loggedIn;  // else the read navigates and logs in
        std::uint32_t repaintMs;
        double maxRatio;  // fast time over default time
    } const cases[] = {
        {"login, repaint at once", false, 0, 0.2},
        {"logged in, repaint at once", true, 0, 0.2},
        {"logged in, repaint 300 ms", true, 300, 0.35},
        {"logged in, repaint 1 s", true, 1000, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto setup = [&](FakeCloudSite& s) {
            s.repaintMs = c.repaintMs;
            if (c.loggedIn) s.state = State::LoggedIn;
        };
        const Outcome slow = readOnce(false, setup);
        const Outcome fast = readOnce(true, setup);
        ASSERT_TRUE(slow.ok && fast.ok);
        EXPECT_EQ(slow.drug.count("<D>"), 25);
        EXPECT_EQ(slow.lab.count("<D>"), 12);
        EXPECT_EQ(fast.drug, slow.drug);
        EXPECT_EQ(fast.lab, slow.lab);
        EXPECT_TRUE(fast.messages.isEmpty()) << fast.messages.join("|").toStdString();
        EXPECT_LE(fast.ms, slow.ms * c.maxRatio) << fast.ms << " of " << slow.ms;
    }
}

TEST_F(ChartFixture, FastPacingGivesUpAtTheSameLimitsWithTheSameMessages) {
    const QString other = "B223456789";
    const QString drugCount = EdgeTableReader::countMessage(EdgeTableKind::Drug);
    const QString labCount = EdgeTableReader::countMessage(EdgeTableKind::Lab);
    struct Case {
        const char* name;
        std::function<void(FakeCloudSite&)> setup;
        bool ok;
        QStringList messages;
        std::uint32_t minMs, maxMs;
    } const cases[] = {
        {"page never loads",
         [](FakeCloudSite& s) { s.pageNeverLoads = true; },
         false,
         {"網頁下載錯誤或逾時1"},
         30000,
         30500},
        {"no page text",
         [](FakeCloudSite& s) { s.afterNavigate = State::NotLoaded; },
         false,
         {"無法取得網頁內容(首頁)20秒)"},
         20000,
         20500},
        {"login never succeeds",
         [](FakeCloudSite& s) { s.loginWorks = false; },
         false,
         {"嘗試點擊查詢頁錯誤"},
         30000,
         31000},
        {"the change of card never happens",
         [&](FakeCloudSite& s) {
             s.state = State::LoggedIn;
             s.sessionId = other;
             s.changeNeverHappens = true;
         },
         false,
         {EdgeChartLoader::mismatchMessage(other, kId)},
         10000,
         10500},
        {"tabs never open",
         [](FakeCloudSite& s) { s.tabOpenMs = 60000; },
         true,
         {drugCount, labCount},
         20000,
         21000},
        {"tables never appear",
         [](FakeCloudSite& s) { s.tableNeverAppears = true; },
         true,
         {drugCount, labCount},
         10000,
         12000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = readOnce(true, c.setup);
        EXPECT_EQ(out.ok, c.ok);
        EXPECT_EQ(out.messages, c.messages);
        EXPECT_GE(out.ms, c.minMs);
        EXPECT_LE(out.ms, c.maxMs);
    }
}

TEST_F(ChartFixture, ATableFilledAfterItsTabOpensIsReadWhole) {
    // The tab shows open 300 ms before its table has its rows; meanwhile the
    // table is empty, or still the one of the tab before.
    useThreeAndTwoPages();
    for (bool oldTable : {false, true}) {
        for (bool fast : {false, true}) {
            SCOPED_TRACE(testing::Message() << (oldTable ? "old table " : "empty table ")
                                            << (fast ? "fast" : "default"));
            const Outcome out = readOnce(fast, [&](FakeCloudSite& s) {
                s.tableDrawMs = 300;
                s.oldTableUntilDrawn = oldTable;
            });
            EXPECT_TRUE(out.ok);
            EXPECT_EQ(out.drug.count("<D>"), 25);
            EXPECT_EQ(out.lab.count("<D>"), 12);
            EXPECT_TRUE(out.messages.isEmpty()) << out.messages.join("|").toStdString();
        }
    }
}

TEST_F(ChartFixture, DirectReadTakesEachTableFromItsOwnTab) {
    site.state = State::LoggedIn;
    site.openTab = 3;  // the user left the laboratory tab open
    EXPECT_TRUE(loader.loadEdgeChartNoLogin(kId, sDrug, sLab));
    EXPECT_EQ(sDrug, kDrugRecord);
    EXPECT_EQ(sLab, kLabRecord);
    EXPECT_TRUE(browser.navigations.isEmpty());
    EXPECT_EQ(site.loginClicks, 0);
    EXPECT_EQ(status.msg1, "雲端藥歷查詢中...");
}

TEST_F(ChartFixture, DirectReadEdgeCases) {
    site.state = State::LoggedIn;
    // Another patient's page than the ID typed: nothing is read from it.
    EXPECT_FALSE(loader.loadEdgeChartNoLogin("B223456789", sDrug, sLab));
    EXPECT_EQ(prompts.messages(), QStringList{EdgeChartLoader::mismatchMessage(kId, "B223456789")});
    EXPECT_EQ(sDrug, "old");
    prompts.clear();

    browser.address = "https://127.0.0.1/imu/other/";
    EXPECT_TRUE(loader.loadEdgeChartNoLogin(kId, sDrug, sLab));
    EXPECT_EQ(sDrug, "");
    EXPECT_EQ(sLab, kLabRecord);

    site.state = State::Portal;
    const std::uint32_t mark = clock.tickCount();
    EXPECT_FALSE(loader.loadEdgeChartNoLogin(kId, sDrug, sLab));
    EXPECT_EQ(prompts.messages(), QStringList{"點擊查詢頁錯誤"});
    EXPECT_GE(since(mark), 10000u);
    EXPECT_LE(since(mark), 11000u);
}

TEST_F(ChartFixture, CloudStepOfTheFlows) {
    site.afterNavigate = State::Maintenance;
    EXPECT_TRUE(loader.runCloudRead(false, 3200, kId, sDrug, sLab));
    EXPECT_FALSE(driver.webTimerActive());
    driver.WebTimerTimer();  // a tick of the elapsed seconds during the read
    EXPECT_FALSE(loader.runCloudRead(false, 5000, kId, sDrug, sLab));
    EXPECT_EQ(prompts.messages().last(), "雲端藥歷網頁無法登入");
    EXPECT_EQ(status.msg1, "雲端藥歷網頁無法登入") << "no seconds left on show";

    site.state = State::Portal;
    prompts.clear();
    EXPECT_FALSE(loader.patientPageOpen());
    EXPECT_EQ(prompts.messages(), QStringList{"需在病人雲端藥歷用藥頁面才能正常執行"});
    site.state = State::LoggedIn;
    EXPECT_EQ(loader.patientPageOpen(), std::optional<QString>(kId));
}

}  // namespace
