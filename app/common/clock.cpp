#include "clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

class QtClockTimer final : public ClockTimer {
  public:
    QtClockTimer(std::uint32_t intervalMs, std::function<void()> tick) {
        timer_.setInterval(static_cast<int>(std::min<std::uint32_t>(intervalMs, 1u << 30)));
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
        timer_.start();
    }

  private:
    QTimer timer_;
};

class SystemClock final : public Clock {
  public:
    std::uint32_t tickCount() override {
        // Milliseconds of the monotonic clock; the low 32 bits, as the platform
        // tick count gives them, so the program sees the same wrap-around.
        QElapsedTimer timer;
        timer.start();
        return static_cast<std::uint32_t>(timer.msecsSinceReference());
    }

    void pump() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }

    void pumpUpTo(std::uint32_t maxMs) override {
        if (!QCoreApplication::instance()) {
            // No event loop, so nothing can arrive: just let the time pass.
            std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
            return;
        }
        if (maxMs == 0) {
            QCoreApplication::processEvents();
            return;
        }
        // Pending events are processed at once; otherwise the thread sleeps until
        // one arrives. The timer makes sure the sleep ends by maxMs at the latest.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(std::min<std::uint32_t>(maxMs, 1u << 30)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    QDateTime now() override { return QDateTime::currentDateTime(); }

    std::unique_ptr<ClockTimer> startTimer(std::uint32_t intervalMs,
                                           std::function<void()> tick) override {
        return std::make_unique<QtClockTimer>(intervalMs, std::move(tick));
    }
};

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

void Delay(Clock& clock, std::uint32_t ms) {
    WaitFor(clock, ms, [] { return false; });
}

bool WaitFor(Clock& clock, std::uint32_t limitMs, const std::function<bool()>& done) {
    const std::uint32_t start = clock.tickCount();
    clock.pump();
    for (;;) {
        if (done()) return true;
        const std::uint32_t passed = Clock::elapsed(start, clock.tickCount());
        if (passed >= limitMs) return false;
        clock.pumpUpTo(limitMs - passed);
    }
}
