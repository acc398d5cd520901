#pragma once
// The fixed key shared with the reader's firmware before a session key exists.

#include <cstdint>

namespace reader {

// Writes the 8 key bytes; they are put together each time from two tables of the
// code so the key never sits in the binary as one run of bytes.
void assembleInitialKey(std::uint8_t key[8]);

}  // namespace reader
