#pragma once
// The library's own result codes.
//
// Every export answers one byte in a 32-bit value whose upper bits are zero. The values
// named here are the library's; any other value is the reader's own result code RC,
// passed through unchanged (RC 3 alone is moved to 6, so it cannot be taken for "no
// reply"). The port layer answers kOk or kPortFailed and keeps the operating system's
// error number of its last failure (lastSystemError in serial/port.h).

// The values are the public header's (include/reader.h, enum ReaderResult), so a
// caller and the library read one list.

#include <cstdint>

#include "include/reader.h"

namespace reader {

enum Result : std::uint8_t {
    kOk = READER_OK,
    // The addressed card is absent (the presence check before the command).
    kCardAbsent = READER_CARD_ABSENT,
    // No port open, a bad argument, or no complete reply within the time limit.
    kNoPortOrNoReply = READER_NO_PORT_OR_NO_REPLY,
    // The reader answered RC 3.
    kReaderRc3 = READER_RC3,
    // Link conditions: the reply's link status byte had exactly one bit set.
    kLinkNotReady = READER_LINK_NOT_READY,  // 0x01; at wake-up: not ready yet
    kLink02 = READER_LINK_02,
    kLink04 = READER_LINK_04,
    kLink10 = READER_LINK_10,
    kLink20 = READER_LINK_20,
    kLink40 = READER_LINK_40,
    kLink80 = READER_LINK_80,
    // A port operation failed: not opened, not written or not read in time. Also the
    // link status 0x08, which the reader's interface maps onto the same code.
    kPortFailed = READER_PORT_FAILED,
};

}  // namespace reader
