#pragma once
// A Clock for tests: time moves only when the code under test pumps, so a
// 30-second time-out runs in microseconds and a reply can be made to "arrive" at a
// chosen virtual millisecond.
//
//   VirtualClock clock(0xFFFFFF00u);          // start just below the wrap-around
//   clock.after(1500, [&] { fake.reply(); });  // arrives 1.5 s into the wait
//   Delay(clock, 2000);
//
// Each pump() first advances time by the step (10 ms unless set), then runs the
// actions that have become due, earliest first. pumpUpTo() sleeps: it runs what
// is due now or else jumps to the next due action or its limit, whichever comes
// first. A loop that never ends trips the pump limit: the test fails and the pump
// throws PumpLimitExceeded to unwind it. A wait that spins, pumping without
// sleeping while nothing arrives, trips the spin limit the same way (the step
// stands for the work between two pumps, not for a sleep).

#include <QDateTime>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "common/clock.h"

class VirtualClock : public Clock {
  public:
    struct PumpLimitExceeded : std::runtime_error {
        PumpLimitExceeded() : std::runtime_error("VirtualClock: pump limit exceeded") {}
    };

    explicit VirtualClock(std::uint32_t startTick = 0,
                          QDateTime startTime = QDateTime(QDate(2024, 3, 5), QTime(9, 30)));

    std::uint32_t tickCount() override;
    void pump() override;
    void pumpUpTo(std::uint32_t maxMs) override;
    QDateTime now() override;
    std::unique_ptr<ClockTimer> startTimer(std::uint32_t intervalMs,
                                           std::function<void()> tick) override;

    // Milliseconds of virtual time added by each pump (0 is allowed: time then
    // stands still, and only the pump limit ends a loop waiting on it).
    void setStep(std::uint32_t ms) { step_ = ms; }
    void setPumpLimit(std::uint64_t pumps) { pumpLimit_ = pumps; }
    // How many pump() calls in a row may pass with no action run and no sleep
    // between them before the wait counts as spinning.
    void setSpinLimit(std::uint64_t pumps) { spinLimit_ = pumps; }

    // Run `action` once the tick count reaches `tick` (the next time it does, across
    // the wrap-around), or `delayMs` from now.
    void at(std::uint32_t tick, std::function<void()> action);
    void after(std::uint32_t delayMs, std::function<void()> action);

    // Moves time on without pumping (as a blocking call would); due actions run at
    // the next pump.
    void advance(std::uint32_t ms) { elapsed_ += ms; }

    std::uint64_t pumps() const { return pumps_; }
    // Virtual milliseconds since the clock was made, without wrap-around.
    std::uint64_t elapsedMs() const { return elapsed_; }
    std::size_t pendingActions() const { return actions_.size(); }

  private:
    void countPump();
    // Runs the actions due by now; whether one ran.
    bool runDue();

    std::uint32_t startTick_;
    QDateTime startTime_;
    std::uint64_t elapsed_ = 0;
    std::uint32_t step_ = 10;
    std::uint64_t pumps_ = 0;
    std::uint64_t pumpLimit_ = 1'000'000;
    std::uint64_t spinLimit_ = 200;
    std::uint64_t idlePumps_ = 0;  // pump() calls since the last sleep or action
    // Due time (virtual ms since start) to action; equal times keep their order.
    std::multimap<std::uint64_t, std::function<void()>> actions_;
    // The self-scheduling actions of the timers started on this clock.
    std::vector<std::shared_ptr<std::function<void()>>> timerSchedules_;
};
