#include "initial_key.h"

namespace reader {
namespace {

constexpr std::uint8_t kMask[8] = {0x5A, 0xC3, 0x17, 0x88, 0x3E, 0xF1, 0x64, 0x09};
constexpr std::uint8_t kMixed[8] = {0x60, 0x52, 0x4B, 0x8F, 0xDA, 0x99, 0xD6, 0x16};

}  // namespace

void assembleInitialKey(std::uint8_t key[8]) {
    for (int i = 0; i < 8; ++i) {
        // Bytes are taken in reverse table order and rotated by their position.
        const std::uint8_t v = static_cast<std::uint8_t>(kMixed[7 - i] ^ kMask[i]);
        const int r = i % 8;
        key[i] = static_cast<std::uint8_t>((v << r) | (v >> ((8 - r) % 8)));
    }
}

}  // namespace reader
