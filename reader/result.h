#pragma once
// The library's own result codes.
//
// Every export answers one byte in a 32-bit value whose upper bits are zero. The values
// named here are the library's; any other value is the reader's own result code RC,
// passed through unchanged (RC 3 alone is moved to 6, so it cannot be taken for "no
// reply"). The port layer answers kOk or kPortFailed and keeps the operating system's
// error number of its last failure (lastSystemError in serial/port.h).

#include <cstdint>

namespace reader {

enum Result : std::uint8_t {
    kOk = 0,
    // The addressed card is absent (the presence check before the command).
    kCardAbsent = 1,
    // No port open, a bad argument, or no complete reply within the time limit.
    kNoPortOrNoReply = 3,
    // The reader answered RC 3.
    kReaderRc3 = 6,
    // Link conditions: the reply's link status byte had exactly one bit set.
    kLinkNotReady = 9,  // 0x01; at wake-up: the reader is not ready yet
    kLink02 = 10,
    kLink04 = 11,
    kLink10 = 12,
    kLink20 = 13,
    kLink40 = 14,
    kLink80 = 15,
    // A port operation failed: not opened, not written or not read in time. Also the
    // link status 0x08, which the reader's interface maps onto the same code.
    kPortFailed = 255,
};

}  // namespace reader
