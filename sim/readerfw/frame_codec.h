#pragma once
// The firmware's side of the frame format: recognising the wake-up, decrypting and
// parsing a command frame, and encrypting a reply (layouts in reader/frame.cpp).

#include <cstdint>
#include <optional>
#include <vector>

#include "des.h"

namespace readerfw {

using Bytes = std::vector<std::uint8_t>;

// A command frame as the host sent it, after decryption.
struct Frame {
    Bytes plain;  // every block, padding included
    bool write = false;
    std::uint8_t slot = 0;
    std::uint8_t code = 0;
    std::uint8_t p1 = 0;
    std::uint16_t n = 0;
    std::uint8_t le = 0;
    Bytes data;
};

// One answer to a command frame; also the form of a scripted answer.
struct Reply {
    std::uint8_t linkStatus = 0;  // non-zero: this byte alone is sent
    std::uint8_t rc = 0;
    Bytes data;
    std::optional<std::uint8_t> length;  // L to announce, when it differs from data.size()
    int blocks = -1;                     // encrypted blocks to send (-1: as L needs)
    bool silent = false;                 // send nothing at all
    std::optional<Bytes> raw;            // these bytes verbatim, nothing else
    bool byteByByte = false;             // each byte written on its own, 1 ms apart
};

// Removes a wake-up (eight plain zero bytes) from the front of `pending`.
bool takeWakeup(Bytes& pending);

enum class Decoded { kNeedMore, kFrame, kGarbled };
// Takes one whole frame off the front of `pending`. kGarbled: the first block does not
// decrypt into a sensible header under `key` (the ends disagree about the key).
Decoded takeFrame(const reader::DesKeySchedule& key, Bytes& pending, Frame* out);

// The bytes on the line for `r` (not for silent or raw answers): link status, then the
// encrypted blocks.
Bytes encodeReply(const reader::DesKeySchedule& key, const Reply& r);

}  // namespace readerfw
