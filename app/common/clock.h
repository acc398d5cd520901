#pragma once
// Time and message pumping. Every wait in the program goes through a Clock so
// that tests can run a 30-second time-out in virtual time.

#include <QDate>
#include <QDateTime>
#include <cstdint>

class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds since some start, wrapping at 2^32 like the platform tick count.
    virtual std::uint32_t tickCount() = 0;
    // Process pending events once (window messages, browser events, timers).
    virtual void pump() = 0;
    // Process pending events; when none is pending, wait at most `maxMs` for one to
    // arrive. Lets a long wait sleep instead of spinning. The default pumps once.
    virtual void pumpUpTo(std::uint32_t maxMs) {
        (void)maxMs;
        pump();
    }
    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }

    // Wrap-safe difference of two tick counts.
    static std::uint32_t elapsed(std::uint32_t from, std::uint32_t to) { return to - from; }
};

// The real clock: QElapsedTimer ticks, QCoreApplication::processEvents.
Clock& systemClock();

// Wait `ms` milliseconds while pumping messages: notes the tick count, then
// processes pending events until at least `ms` have passed since it. Events are
// processed at least once, so Delay(clock, 0) lets pending messages run and returns.
void Delay(Clock& clock, std::uint32_t ms);
