#pragma once
// The reader library's port layer for fuzzing: every byte the library reads comes
// from the fuzz input. Reply blocks are encrypted under the key the library holds at
// that moment, so the input says what the library finds after decrypting; the link
// status byte is passed as it is. Writes always succeed while input is left.
#include <cstddef>
#include <cstdint>

namespace fuzz {

void setReaderInput(const std::uint8_t* data, std::size_t size);
std::size_t readerInputLeft();
// Takes one byte off the same input (0 once it is used up), for choosing calls.
std::uint8_t takeReaderByte();

}  // namespace fuzz
