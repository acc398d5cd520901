#include "clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

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
        QCoreApplication::processEvents();
        if (maxMs == 0) return;
        // A timer guarantees the wait for more events ends by maxMs at the latest.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(std::min<std::uint32_t>(maxMs, 1u << 30)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    QDateTime now() override { return QDateTime::currentDateTime(); }
};

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

void Delay(Clock& clock, std::uint32_t ms) {
    const std::uint32_t start = clock.tickCount();
    clock.pump();
    for (;;) {
        const std::uint32_t passed = Clock::elapsed(start, clock.tickCount());
        if (passed >= ms) return;
        clock.pumpUpTo(ms - passed);
    }
}
