#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

class VirtualTimer final : public ClockTimer {
  public:
    explicit VirtualTimer(std::shared_ptr<bool> alive) : alive_(std::move(alive)) {}
    ~VirtualTimer() override { *alive_ = false; }

  private:
    std::shared_ptr<bool> alive_;
};

}  // namespace

VirtualClock::VirtualClock(std::uint32_t startTick, QDateTime startTime)
    : startTick_(startTick), startTime_(std::move(startTime)) {}

std::uint32_t VirtualClock::tickCount() {
    return static_cast<std::uint32_t>(startTick_ + elapsed_);
}

void VirtualClock::countPump() {
    if (++pumps_ > pumpLimit_) {
        ADD_FAILURE() << "VirtualClock: more than " << pumpLimit_
                      << " pumps; a wait loop does not end";
        throw PumpLimitExceeded();
    }
}

bool VirtualClock::runDue() {
    bool ran = false;
    // An action may schedule another that is already due; run that one too.
    while (!actions_.empty() && actions_.begin()->first <= elapsed_) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        action();
        ran = true;
    }
    return ran;
}

void VirtualClock::pump() {
    countPump();
    elapsed_ += step_;
    if (runDue()) {
        idlePumps_ = 0;
    } else if (++idlePumps_ > spinLimit_) {
        ADD_FAILURE() << "VirtualClock: " << idlePumps_
                      << " pumps in a row without a sleep or an event; a wait spins";
        throw PumpLimitExceeded();
    }
}

void VirtualClock::pumpUpTo(std::uint32_t maxMs) {
    countPump();
    idlePumps_ = 0;
    if (runDue()) return;
    if (step_ == 0) return;  // time stands still
    std::uint64_t wake = elapsed_ + maxMs;
    if (!actions_.empty()) wake = std::min(wake, actions_.begin()->first);
    elapsed_ = wake;
    runDue();
}

QDateTime VirtualClock::now() { return startTime_.addMSecs(static_cast<qint64>(elapsed_)); }

void VirtualClock::at(std::uint32_t tick, std::function<void()> action) {
    after(tick - tickCount(), std::move(action));
}

void VirtualClock::after(std::uint32_t delayMs, std::function<void()> action) {
    actions_.emplace(elapsed_ + delayMs, std::move(action));
}

std::unique_ptr<ClockTimer> VirtualClock::startTimer(std::uint32_t intervalMs,
                                                     std::function<void()> tick) {
    auto alive = std::make_shared<bool>(true);
    const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, 1);
    // Each tick schedules the next; a stopped timer's last action does nothing.
    auto schedule = std::make_shared<std::function<void()>>();
    *schedule = [this, alive, interval, tick = std::move(tick),
                 weak = std::weak_ptr<std::function<void()>>(schedule)] {
        if (!*alive) return;
        tick();
        if (auto next = weak.lock(); next && *alive) after(interval, *next);
    };
    after(interval, *schedule);
    timerSchedules_.push_back(schedule);
    return std::make_unique<VirtualTimer>(alive);
}
