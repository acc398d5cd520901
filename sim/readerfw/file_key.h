#pragma once
// Where a record or element lives in the firmware's file table.

#include <cstdint>

namespace readerfw {

inline std::uint32_t fileKey(std::uint8_t slot, bool element, std::uint8_t id) {
    return (static_cast<std::uint32_t>(slot) << 16) | (element ? 0x100u : 0u) | id;
}

}  // namespace readerfw
