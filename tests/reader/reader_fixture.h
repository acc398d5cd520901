#pragma once
// Shared by the reader tests: a virtual clock for the library and a fixture that
// opens the library's COM1 on a firmware stand-in.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "clock.h"
#include "firmware.h"
#include "frame.h"
#include "reader.h"
#include "serial/port.h"

namespace readertest {

// Pauses and time limits pass in virtual time. A wait for the line really blocks
// for a short while (the stand-in answers within microseconds) and, when nothing
// came, counts as the whole wait.
class VirtualClock final : public reader::Clock {
  public:
    std::int64_t nowMs() override { return now_; }
    void sleepMs(std::uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
    }
    int lineWaitMs(int ms) override { return std::min(ms, kRealCapMs); }
    void lineIdle(int ms) override { now_ += ms; }
    std::int64_t slept() const { return slept_; }

  private:
    static constexpr int kRealCapMs = 200;
    std::atomic<std::int64_t> now_{1000000};
    std::atomic<std::int64_t> slept_{0};
};

class ReaderOnPty : public ::testing::Test {
  protected:
    void SetUp() override {
        reader::setClock(&clock);
        fw = std::make_unique<readerfw::Firmware>();
        setenv("READER_COM1", fw->devicePath().c_str(), 1);
    }
    void TearDown() override {
        reader::ClosePort();
        reader::resetFrameState();
        reader::setClock(nullptr);
        unsetenv("READER_COM1");
        fw.reset();
    }
    // Opens COM1 and forgets the session frames.
    void open() {
        std::uint8_t index = 0;
        ASSERT_NE(OpenComPort(&index), 0u);
        fw->clearFrames();
    }
    std::vector<readerfw::Frame> frames() { return fw->frames(); }

    VirtualClock clock;
    std::unique_ptr<readerfw::Firmware> fw;
};

}  // namespace readertest
