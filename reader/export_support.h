#pragma once
// Shared steps of the exported functions: argument slots, card indices, copying
// reply data into caller buffers without passing their size.

#include <cstddef>
#include <cstdint>

#include "frame.h"

namespace reader {

inline std::uint8_t lowByte(std::uint32_t v) { return static_cast<std::uint8_t>(v); }
inline std::uint16_t lowWord(std::uint32_t v) { return static_cast<std::uint16_t>(v); }

// Card index 0 to 5 to the frame's slot code; false for any other index.
bool slotForCardIndex(std::uint32_t cardIndex, std::uint8_t* slot);

// Copies the data of the last reply that arrived into `dest`, at most `capacity` bytes.
void copyReply(std::uint8_t* dest, std::size_t capacity, const Reply& r);

void pauseMs(std::uint32_t ms);

// Builds "first byte, then n bytes of src" into out; false when the frame would not fit.
bool prefixed(std::uint8_t first, const std::uint8_t* src, std::size_t n, std::uint8_t* out,
              std::size_t* outLength);

}  // namespace reader
