#include "clock.h"

#include <chrono>
#include <thread>

namespace reader {
namespace {

class SteadyClock final : public Clock {
  public:
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

SteadyClock steadyClock;
Clock* current = &steadyClock;

}  // namespace

Clock& systemClock() { return steadyClock; }
Clock& clock() { return *current; }
void setClock(Clock* c) { current = c ? c : &steadyClock; }

}  // namespace reader
