#include "cloud/browser_driver.h"

#include <gtest/gtest.h>

#include "fake_browser.h"
#include "qstring_printer.h"
#include "recording_status_sink.h"

namespace {

struct DriverFixture : ::testing::Test {
    explicit DriverFixture(std::uint32_t start = 1000) : clock(start) {}
    VirtualClock clock;
    FakeBrowser browser{clock};
    RecordingStatusSink status;
    BrowserDriver driver{browser, clock, status};
};

TEST(DecodeScriptResult, PercentQuotesAndPlus) {
    struct Case {
        QString json;
        QString want;
    } const cases[] = {
        {"\"abc%20def\"", "abc def"},
        {"\"1+1\"", "1+1"},  // encodeURI leaves the page's "+" alone, so must we
        {"\"2+\"", "2+"},
        {"\"100%%\"", "100%"},
        {"\"%E8%A5%BF%E9%86%AB\"", "西醫"},
        {"\"%zz%4\"", "%zz%4"},  // no hex pair: taken as it stands
        {"\"<a title=%22西醫用藥%22 class=%22current%22>\"", "<a title=西醫用藥 class=current>"},
        {"\"say %22%22hi%22%22\"", "say \"hi\""},
        {"\"a%22b\"", "ab"},
        {"42", "42"},  // a bare number is taken unchanged
        {"\"", "\""},
        {"\"\"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BrowserDriver::decodeScriptResult(c.json), c.want) << c.json.toStdString();
}

TEST(RoundedSeconds, HalvesGoToTheEvenNeighbour) {
    const std::pair<std::uint32_t, int> cases[] = {{0, 0},    {499, 0},  {500, 0},  {1500, 2},
                                                   {2500, 2}, {3500, 4}, {3501, 4}, {2499, 2}};
    for (auto [ms, s] : cases) EXPECT_EQ(BrowserDriver::roundedSeconds(ms), s) << ms;
}

TEST_F(DriverFixture, GetEdgeTextTakesItsOwnResultAndWaitsTheWholeWindow) {
    browser.onScript = [](const QString& s) -> std::optional<FakeBrowser::Reply> {
        if (s == "fast") return FakeBrowser::Reply{"\"ok\"", 20};
        if (s == "null") return FakeBrowser::Reply{"null", 20};
        return std::nullopt;
    };
    std::uint32_t mark = clock.tickCount();
    EXPECT_EQ(driver.GetEdgeText("fast"), "ok");
    EXPECT_GE(Clock::elapsed(mark, clock.tickCount()), 500u);
    EXPECT_FALSE(driver.bDoGetEdgeText());
    EXPECT_EQ(driver.GetEdgeText("null"), "");
    EXPECT_EQ(driver.GetEdgeText("silent"), "");
}

TEST_F(DriverFixture, LateResultIsNeverTakenByALaterCall) {
    browser.onScript = [](const QString& s) -> std::optional<FakeBrowser::Reply> {
        if (s == "slow") return FakeBrowser::Reply{"\"first\"", 600};
        return FakeBrowser::Reply{"null", 20};
    };
    EXPECT_EQ(driver.GetEdgeText("slow"), "");
    // The first result arrives inside this window; it belongs to the other request.
    EXPECT_EQ(driver.GetEdgeText("second"), "");
}

TEST_F(DriverFixture, FastTextReadEndsWithItsOwnResultWithinTheSameWindow) {
    driver.setFastWaits(true);
    browser.onScript = [](const QString& s) -> std::optional<FakeBrowser::Reply> {
        if (s == "fast") return FakeBrowser::Reply{"\"ok\"", 20};
        if (s == "null") return FakeBrowser::Reply{"null", 40};
        if (s == "edge") return FakeBrowser::Reply{"\"in time\"", 480};
        if (s == "slow") return FakeBrowser::Reply{"\"late\"", 600};
        return std::nullopt;
    };
    struct Case {
        const char* script;
        QString want;
        std::uint32_t minMs, maxMs;
    } const cases[] = {
        {"fast", "ok", 20, 30},
        {"null", "", 40, 50},  // a script that failed has answered too
        {"edge", "in time", 480, 490},
        {"slow", "", 500, 510},
        // The answer to "slow" comes 100 ms into this window: neither taken nor
        // an end of the wait.
        {"silent", "", 500, 510},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const std::uint32_t mark = clock.tickCount();
        EXPECT_EQ(driver.GetEdgeText(c.script), c.want);
        EXPECT_GE(Clock::elapsed(mark, clock.tickCount()), c.minMs);
        EXPECT_LE(Clock::elapsed(mark, clock.tickCount()), c.maxMs);
        EXPECT_FALSE(driver.bDoGetEdgeText());
    }
}

TEST_F(DriverFixture, ScriptsAreDroppedWhileThePageIsRecreated) {
    browser.onScript = [](const QString&) { return FakeBrowser::Reply{"\"x\"", 20}; };
    browser.reinitialize();
    EXPECT_EQ(driver.GetEdgeText("a"), "");  // 500 ms, page still gone (300 ms) when asked
    EXPECT_EQ(driver.GetEdgeText("a"), "x");
}

struct NavCase {
    const char* name;
    int startMs;  // -1: no start event
    int completeMs;
    bool success;
    int status;
    bool frame;
    bool want;
    std::uint32_t minMs, maxMs;  // how long the wait took
};

struct WaitEdgeComplete : ::testing::TestWithParam<NavCase> {
    VirtualClock clock{0xFFFFF000u};  // the tick count wraps during the wait
    FakeBrowser browser{clock};
    RecordingStatusSink status;
    BrowserDriver driver{browser, clock, status};
};

TEST_P(WaitEdgeComplete, MapsTheEventsOntoTheResult) {
    const NavCase& c = GetParam();
    browser.onNavigate = [&](const QUrl&) {
        if (c.startMs >= 0) {
            browser.scheduleNavigation(std::uint32_t(c.startMs), std::uint32_t(c.completeMs),
                                       c.success, c.status, c.frame);
        }
    };
    driver.navigate(QUrl("https://127.0.0.1/imu/IMUE1000/"));
    const std::uint32_t mark = clock.tickCount();
    EXPECT_EQ(driver.waitEdgeComplete(), c.want);
    EXPECT_GE(Clock::elapsed(mark, clock.tickCount()), c.minMs);
    EXPECT_LE(Clock::elapsed(mark, clock.tickCount()), c.maxMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitEdgeComplete,
    ::testing::Values(
        NavCase{"success", 50, 200, true, 0, false, true, 150, 300},
        NavCase{"frame completion counts", 50, 200, true, 0, true, true, 150, 300},
        NavCase{"other failure counts as completed", 50, 200, false, 13, false, true, 150, 300},
        NavCase{"disconnected before the start wait ends", 0, 0, false, 11, false, false, 0, 100},
        NavCase{"disconnected after the start", 50, 200, false, 11, false, false, 30000, 30200},
        NavCase{"no start within 10 s", -1, 0, true, 0, false, false, 10000, 10100},
        NavCase{"start but never complete", 50, 900000, true, 0, false, false, 30000, 30200}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(DriverFixture, CompletionOfAnEarlierNavigationIsIgnored) {
    // The old page finishes after the flags were cleared for the new one, and
    // the new navigation never starts.
    browser.onNavigate = [&](const QUrl&) {
        clock.after(100, [&] { emit browser.navigationCompleted(true, 0, 7); });
        clock.after(150, [&] { emit browser.frameNavigationCompleted(false, 11, 7); });
    };
    driver.navigate(QUrl("https://127.0.0.1/"));
    EXPECT_FALSE(driver.waitEdgeComplete());
    EXPECT_FALSE(driver.bWebLoadComplete());
    EXPECT_FALSE(driver.bEdgeErr());
}

TEST_F(DriverFixture, AnAbortedLoadEndingAfterTheNewStartDoesNotConfirmIt) {
    // The first load is still under way when the new navigation starts; its end
    // arrives 100 ms after that start, the new page's own end 5 s later.
    browser.scheduleNavigation(0, 250, false, 14);
    clock.pump();
    std::uint32_t newEnd = 0;
    browser.onNavigate = [&](const QUrl&) { browser.scheduleNavigation(50, 5000); };
    driver.navigate(QUrl("https://127.0.0.1/imu/IMUE1000/changecard"));
    const std::uint32_t mark = clock.tickCount();
    EXPECT_TRUE(driver.waitEdgeComplete());
    newEnd = Clock::elapsed(mark, clock.tickCount());
    EXPECT_GE(newEnd, 4900u);
}

TEST_F(DriverFixture, WebTimerTicksOnTheClockWithRoundedSeconds) {
    // The ticks come by themselves once a second inside the waits; the ones called
    // here in between show the rounding of half seconds to even.
    driver.startWebTimer();
    Delay(clock, 2500);
    driver.WebTimerTimer();
    Delay(clock, 1000);
    driver.WebTimerTimer();
    driver.stopWebTimer();
    Delay(clock, 3000);
    EXPECT_FALSE(driver.webTimerActive());
    EXPECT_EQ(status.history, QStringList({"1:讀雲端藥歷中(1秒)...", "1:讀雲端藥歷中(2秒)...",
                                           "1:讀雲端藥歷中(2秒)...", "1:讀雲端藥歷中(3秒)...",
                                           "1:讀雲端藥歷中(4秒)..."}));
}

}  // namespace
