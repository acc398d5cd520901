#include "common/clock.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "virtual_clock.h"

namespace {

TEST(Clock, ElapsedIsWrapSafe) {
    const struct {
        std::uint32_t from, to, expected;
    } cases[] = {
        {100, 350, 250},
        {0xFFFFFFF0u, 0x10u, 0x20u},
        {0xFFFFFFFFu, 0u, 1u},
        {7, 7, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Clock::elapsed(c.from, c.to), c.expected);
}

TEST(Delay, ZeroPumpsOnceAndReturns) {
    VirtualClock clock;
    bool ran = false;
    clock.after(0, [&] { ran = true; });
    Delay(clock, 0);
    EXPECT_EQ(clock.pumps(), 1u);
    EXPECT_TRUE(ran);
}

TEST(Delay, WaitsAtLeastTheTimeAcrossTheWrapAround) {
    const struct {
        std::uint32_t startTick, step, ms;
        std::uint64_t minElapsed, maxElapsed;
    } cases[] = {
        {0, 10, 500, 500, 500},
        {0xFFFFFF00u, 10, 1000, 1000, 1000},  // the tick count wraps half-way
        {0xFFFFFFFFu, 1, 3, 3, 3},
        {0, 300, 500, 500, 600},    // coarse pumps overshoot, never undershoot
        {0, 1000, 10, 1000, 1000},  // one pump already covers it
        {0xFFFFFFF0u, 16, 30000, 30000, 30015},
    };
    for (const auto& c : cases) {
        VirtualClock clock(c.startTick);
        clock.setStep(c.step);
        Delay(clock, c.ms);
        EXPECT_GE(clock.elapsedMs(), c.minElapsed) << c.startTick << " " << c.ms;
        EXPECT_LE(clock.elapsedMs(), c.maxElapsed) << c.startTick << " " << c.ms;
    }
}

TEST(Delay, EventsArriveDuringTheWaitAndDoNotEndItEarly) {
    VirtualClock clock(0xFFFFFE00u);
    std::vector<std::uint64_t> seen;
    clock.after(120, [&] { seen.push_back(clock.elapsedMs()); });
    clock.at(0x00000010u, [&] { seen.push_back(clock.elapsedMs()); });  // 528 ms, past the wrap
    Delay(clock, 1000);
    // The wait sleeps until each is due, so each runs at its own time.
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{120, 528}));
    EXPECT_EQ(clock.elapsedMs(), 1000u);
}

TEST(Delay, SystemClockLetsEventsRunAndWaitsRealTime) {
    int argc = 1;
    char name[] = "common_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    bool fired = false;
    QTimer::singleShot(5, [&] { fired = true; });
    QElapsedTimer timer;
    timer.start();
    Delay(systemClock(), 40);
    EXPECT_TRUE(fired);
    EXPECT_GE(timer.elapsed(), 39);  // whole-millisecond ticks: up to one short
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(Delay, ABrokenWaitFailsInsteadOfHanging) {
    VirtualClock clock;
    clock.setStep(0);  // time never moves: the wait could never end
    clock.setPumpLimit(1000);
    EXPECT_NONFATAL_FAILURE(EXPECT_THROW(Delay(clock, 1), VirtualClock::PumpLimitExceeded), "pump");
    EXPECT_EQ(clock.pumps(), 1001u);
}

TEST(Delay, LongWaitsSleepInsteadOfSpinning) {
    // A 30 s wait with one event in it takes a handful of pumps, however fine the
    // clock's step.
    VirtualClock clock;
    clock.setStep(1);
    bool arrived = false;
    clock.after(12000, [&] { arrived = true; });
    EXPECT_TRUE(WaitFor(clock, 30000, [&] { return arrived; }));
    EXPECT_EQ(clock.elapsedMs(), 12000u);
    EXPECT_LT(clock.pumps(), 5u);
    Delay(clock, 30000);
    EXPECT_LT(clock.pumps(), 10u);
    EXPECT_EQ(clock.elapsedMs(), 42000u);
}

TEST(VirtualClock, AWaitThatSpinsFailsTheTest) {
    // Pumping without sleeping while nothing arrives is what a spinning wait does;
    // the virtual clock's step would otherwise hide it.
    VirtualClock clock;
    clock.setSpinLimit(50);
    EXPECT_NONFATAL_FAILURE(EXPECT_THROW(
                                {
                                    const std::uint32_t start = clock.tickCount();
                                    while (Clock::elapsed(start, clock.tickCount()) < 10000)
                                        clock.pump();
                                },
                                VirtualClock::PumpLimitExceeded),
                            "spins");
    // Events arriving, or a sleep between the pumps, is no spinning.
    VirtualClock fine;
    fine.setSpinLimit(50);
    for (int i = 0; i < 200; ++i) {
        fine.after(10, [] {});
        fine.pump();
    }
    for (int i = 0; i < 200; ++i) {
        fine.pump();
        fine.pumpUpTo(0);
    }
}

TEST(VirtualClock, TimersTickInsideTheWaitsUntilTheirHandleGoes) {
    VirtualClock clock;
    std::vector<std::uint64_t> ticks;
    auto timer = clock.startTimer(1000, [&] { ticks.push_back(clock.elapsedMs()); });
    Delay(clock, 3500);
    timer.reset();
    Delay(clock, 3000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 2000, 3000}));
}

}  // namespace
