#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <utility>

VirtualClock::VirtualClock(std::uint32_t startTick, QDateTime startTime)
    : startTick_(startTick), startTime_(std::move(startTime)) {}

std::uint32_t VirtualClock::tickCount() {
    return static_cast<std::uint32_t>(startTick_ + elapsed_);
}

void VirtualClock::pump() {
    if (++pumps_ > pumpLimit_) {
        ADD_FAILURE() << "VirtualClock: more than " << pumpLimit_
                      << " pumps; a wait loop does not end";
        throw PumpLimitExceeded();
    }
    elapsed_ += step_;
    // An action may schedule another that is already due; run that one too.
    while (!actions_.empty() && actions_.begin()->first <= elapsed_) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        action();
    }
}

QDateTime VirtualClock::now() { return startTime_.addMSecs(static_cast<qint64>(elapsed_)); }

void VirtualClock::at(std::uint32_t tick, std::function<void()> action) {
    after(tick - tickCount(), std::move(action));
}

void VirtualClock::after(std::uint32_t delayMs, std::function<void()> action) {
    actions_.emplace(elapsed_ + delayMs, std::move(action));
}
