#include "frame_codec.h"

#include <algorithm>

namespace readerfw {
namespace {

constexpr std::size_t kMaxData = 251;

}  // namespace

bool takeWakeup(Bytes& pending) {
    if (pending.size() < 8 ||
        !std::all_of(pending.begin(), pending.begin() + 8, [](std::uint8_t b) { return b == 0; }))
        return false;
    pending.erase(pending.begin(), pending.begin() + 8);
    return true;
}

Decoded takeFrame(const reader::DesKeySchedule& key, Bytes& pending, Frame* out) {
    if (pending.size() < 8) return Decoded::kNeedMore;
    std::uint8_t head[8];
    key.decrypt(pending.data(), head);
    const std::uint16_t n = static_cast<std::uint16_t>(head[2] | (head[3] << 8));
    if (n > kMaxData) return Decoded::kGarbled;
    const std::size_t total = (5u + n + 7u) / 8u * 8u;
    if (pending.size() < total) return Decoded::kNeedMore;
    Frame& f = *out;
    f.plain.resize(total);
    for (std::size_t i = 0; i < total; i += 8) key.decrypt(pending.data() + i, f.plain.data() + i);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(total));
    f.write = (f.plain[0] & 0x80) != 0;
    f.slot = (f.plain[0] >> 5) & 3;
    f.code = f.plain[0] & 0x1F;
    f.p1 = f.plain[1];
    f.n = n;
    f.le = f.plain[4];
    f.data.assign(f.plain.begin() + 5, f.plain.begin() + 5 + n);
    return Decoded::kFrame;
}

Bytes encodeReply(const reader::DesKeySchedule& key, const Reply& r) {
    if (r.linkStatus != 0) return {r.linkStatus};
    const std::uint8_t length = r.length ? *r.length : static_cast<std::uint8_t>(r.data.size());
    Bytes body(2 + std::max<std::size_t>(length, r.data.size()) + 8, 0);
    body[0] = r.rc;
    body[1] = length;
    std::copy(r.data.begin(), r.data.end(), body.begin() + 2);
    int blocks = length <= 6 ? 1 : 1 + (length - 6 + 7) / 8;
    if (r.blocks >= 0) blocks = r.blocks;
    if (body.size() < static_cast<std::size_t>(blocks) * 8)
        body.resize(static_cast<std::size_t>(blocks) * 8, 0);
    Bytes out{0x00};
    for (int b = 0; b < blocks; ++b) {
        std::uint8_t c[8];
        key.encrypt(body.data() + 8 * b, c);
        out.insert(out.end(), c, c + 8);
    }
    return out;
}

}  // namespace readerfw
