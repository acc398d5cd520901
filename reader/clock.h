#pragma once
// The library's time source. Every limit and pause goes through it so tests can
// run the 7-second limits and the fixed pauses in virtual time.

#include <cstdint>

namespace reader {

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since some fixed start.
    virtual std::int64_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    // How long a wait for the line may really block when the caller would wait `ms`.
    virtual int lineWaitMs(int ms) { return ms; }
    // Called when a wait for the line of `ms` milliseconds saw nothing arrive.
    virtual void lineIdle(int ms) { (void)ms; }
};

Clock& systemClock();
Clock& clock();
// Replaces the time source (nullptr restores the system clock). For tests.
void setClock(Clock* c);

}  // namespace reader
