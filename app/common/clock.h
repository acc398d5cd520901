#pragma once
// Time and message pumping. Every wait in the program goes through a Clock so
// that tests can run a 30-second time-out in virtual time.
//
// A wait never spins: it lets time pass only through pumpUpTo(), which sleeps
// until an event arrives, a timer is due or the limit has passed. WaitFor() and
// Delay() are the two loops built on it; pump() is for the single points where
// pending messages are let run, never for a loop.

#include <QDate>
#include <QDateTime>
#include <cstdint>
#include <functional>
#include <memory>

// A repeating tick started on a clock; it stops when the handle goes.
class ClockTimer {
  public:
    virtual ~ClockTimer() = default;
};

class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds since some start, wrapping at 2^32 like the platform tick count.
    virtual std::uint32_t tickCount() = 0;
    // Process the pending events once, without waiting for more.
    virtual void pump() = 0;
    // Process the pending events; when none is pending, sleep until one arrives,
    // a timer is due or `maxMs` have passed, and process what came.
    virtual void pumpUpTo(std::uint32_t maxMs) = 0;
    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }
    // Calls `tick` every `intervalMs` from now on, inside this clock's pumps, until
    // the handle is destroyed.
    virtual std::unique_ptr<ClockTimer> startTimer(std::uint32_t intervalMs,
                                                   std::function<void()> tick) = 0;

    // Wrap-safe difference of two tick counts.
    static std::uint32_t elapsed(std::uint32_t from, std::uint32_t to) { return to - from; }
};

// The real clock: QElapsedTimer ticks, QCoreApplication::processEvents.
Clock& systemClock();

// Wait `ms` milliseconds while pumping messages: notes the tick count, then
// processes pending events until at least `ms` have passed since it. Events are
// processed at least once, so Delay(clock, 0) lets pending messages run and returns.
void Delay(Clock& clock, std::uint32_t ms);

// Waits until `done` holds or `limitMs` have passed since the call, processing
// events meanwhile (at least once) and sleeping while none comes. Returns whether
// `done` held at the end; events that arrive by the limit itself still count.
bool WaitFor(Clock& clock, std::uint32_t limitMs, const std::function<bool()>& done);
