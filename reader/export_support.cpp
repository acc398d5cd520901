#include "export_support.h"

#include <algorithm>
#include <cstring>

#include "clock.h"

namespace reader {

bool slotForCardIndex(std::uint32_t cardIndex, std::uint8_t* slot) {
    static constexpr std::uint8_t kSlots[6] = {kSlotReader,     kSlotReader,       kSlotSam,
                                               kSlotHealthCard, kSlotProfessional, kSlotReader};
    const std::uint8_t index = lowByte(cardIndex);
    if (index >= sizeof kSlots) return false;
    *slot = kSlots[index];
    return true;
}

void copyReply(std::uint8_t* dest, std::size_t capacity, const Reply& r) {
    const std::size_t n = std::min(r.stored, capacity);
    if (dest && n) std::memcpy(dest, replyArea(), n);
}

void pauseMs(std::uint32_t ms) { clock().sleepMs(ms); }

bool prefixed(std::uint8_t first, const std::uint8_t* src, std::size_t n, std::uint8_t* out,
              std::size_t* outLength) {
    if (n + 1 > kMaxFrameData) return false;
    out[0] = first;
    if (n) std::memcpy(out + 1, src, n);
    *outLength = n + 1;
    return true;
}

}  // namespace reader
