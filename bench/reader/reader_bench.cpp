// One exchange with the firmware stand-in: a 256-byte frame out (N = 251) and a
// 255-byte reply back (32 encrypted blocks each way). "Time" is the wall time of
// the exchange, "CPU" the library thread's processor time; CPU far below wall
// means the waits sleep on the descriptor instead of spinning.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <vector>

#include "firmware.h"
#include "frame.h"
#include "reader.h"
#include "serial/port.h"

namespace {

// state.range(0): milliseconds the stand-in takes before answering.
void BM_Exchange256Out255Back(benchmark::State& state) {
    readerfw::Firmware fw;
    setenv("READER_COM1", fw.devicePath().c_str(), 1);
    std::uint8_t index = 0;
    if (OpenComPort(&index) == 0) {
        state.SkipWithError("cannot open the stand-in's port");
        return;
    }
    fw.setReplyDelayMs(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> data(reader::kMaxFrameData, 0x5A);
    reader::Command c;
    c.slot = reader::kSlotHealthCard;
    c.code = 13;  // answered by the stand-in with Le bytes
    c.le = 255;
    c.data = data.data();
    c.n = data.size();
    for (auto _ : state) {
        const reader::Reply r = reader::exchange(c, 1);
        if (r.result != reader::kOk || r.length != 255) {
            state.SkipWithError("exchange failed");
            break;
        }
        fw.clearFrames();
    }
    CloseComPort(0);
    unsetenv("READER_COM1");
}
BENCHMARK(BM_Exchange256Out255Back)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
