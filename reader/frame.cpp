// Command frame, before encryption (at most 256 bytes, a multiple of 8 on the line):
//
//   offset  size  content
//   0       1     header: bit 7 write bit | bits 6-5 slot code | bits 4-0 command code
//   1       1     P1
//   2       2     N, data length, little-endian
//   4       1     Le, reply data bytes asked for
//   5       N     data
//   5+N     0-7   0xAA up to the next multiple of 8
//
// Reply, as it arrives:
//
//   link status   1 byte, plain: 0 when a body follows, else a condition and nothing more
//   first block   8 bytes, encrypted: RC, L, data 0-5
//   more blocks   8 bytes each, encrypted, only while L > 6: the next 8 data bytes
//
// Each 8-byte block is DES-encrypted on its own under the current key.

#include "frame.h"

#include <algorithm>
#include <cstring>

#include "clock.h"
#include "des.h"
#include "initial_key.h"
#include "serial/port.h"

namespace reader {
namespace {

std::uint8_t frame[kFrameBufferSize];
std::uint8_t sendBuffer[kMaxFrameLength];
std::uint8_t reply[kReplyAreaSize];
DesKeySchedule key;
std::uint8_t savedMaterial[4];

constexpr int kWakeupTries = 3;
constexpr std::uint32_t kNotReadyPauseMs = 500;

// A link status with exactly one bit set names a condition; any other non-zero
// status is taken as success without a body.
std::uint8_t linkStatusResult(std::uint8_t status, bool* isCondition) {
    static constexpr Result kCodes[8] = {kLinkNotReady, kLink02, kLink04, kPortFailed,
                                         kLink10,       kLink20, kLink40, kLink80};
    for (int bit = 0; bit < 8; ++bit) {
        if (status == (1u << bit)) {
            *isCondition = true;
            return kCodes[bit];
        }
    }
    *isCondition = false;
    return kOk;
}

void decryptInto(const std::uint8_t in[8], std::uint8_t out[8]) { key.decrypt(in, out); }

// Copies reply data into dest without passing its capacity.
void store(std::uint8_t* dest, std::size_t capacity, std::size_t at, const std::uint8_t* src,
           std::size_t n, Reply* r) {
    if (at >= capacity) return;
    const std::size_t k = std::min(n, capacity - at);
    std::memcpy(dest + at, src, k);
    r->stored = at + k;
}

}  // namespace

int BuildFrame(const Command& c) {
    if (c.n > kMaxFrameData || (c.n > 0 && !c.data)) return -1;
    std::memset(frame, 0xAA, sizeof frame);
    frame[0] =
        static_cast<std::uint8_t>((c.write ? 0x80 : 0) | ((c.slot & 3) << 5) | (c.code & 0x1F));
    frame[1] = c.p1;
    frame[2] = static_cast<std::uint8_t>(c.n);
    frame[3] = static_cast<std::uint8_t>(c.n >> 8);
    frame[4] = c.le;
    if (c.n) std::memcpy(frame + 5, c.data, c.n);
    return static_cast<int>(5 + c.n);
}

const std::uint8_t* frameBuffer() { return frame; }

Result SendFrame(int length) {
    if (length < 0) return kPortFailed;  // BuildFrame refused the frame
    int padded = (length + 7) / 8 * 8;
    if (padded <= 0 || padded > kMaxFrameLength) padded = kMaxFrameLength;
    for (int i = 0; i < padded; i += 8) key.encrypt(frame + i, sendBuffer + i);
    return WriteAll(sendBuffer, padded) == kOk ? kOk : kPortFailed;
}

Reply ReceiveReply(std::uint8_t* dest, std::size_t capacity) {
    Reply r;
    std::uint8_t status = 0;
    if (ReadExact(1, &status) != kOk) return r;
    if (status != 0) {
        bool condition = false;
        r.result = linkStatusResult(status, &condition);
        return r;
    }
    std::uint8_t wire[8];
    std::uint8_t plain[8];
    if (ReadExact(8, wire) != kOk) return r;
    decryptInto(wire, plain);
    const std::uint8_t rc = plain[0];
    const std::uint8_t length = plain[1];
    store(dest, capacity, 0, plain + 2, std::min<std::size_t>(length, 6), &r);
    if (length > 6) {
        // The further blocks are read in one go; on a time-out every whole block
        // that did arrive is still decrypted and stored.
        std::uint8_t rest[kReplyAreaSize];
        const int blocks = (length - 6 + 7) / 8;
        int arrived = 0;
        const bool complete = ReadExact(blocks * 8, rest, &arrived) == kOk;
        std::size_t copied = 6;
        for (int b = 0; b < arrived / 8 && copied < length; ++b) {
            decryptInto(rest + 8 * b, plain);
            const std::size_t n = std::min<std::size_t>(length - copied, 8);
            store(dest, capacity, copied, plain, n, &r);
            copied += n;
        }
        if (!complete) return r;
    }
    r.complete = true;
    r.length = length;
    // RC 3 would read as "no reply"; it is reported as a code of its own.
    r.result = rc == 3 ? std::uint8_t{kReaderRc3} : rc;
    return r;
}

bool IsCardAbsent(std::uint8_t slot) {
    if (!portIsOpen()) return false;
    Command c;
    c.slot = slot;
    c.code = kCmdStatus;
    c.le = 1;
    if (SendFrame(BuildFrame(c)) != kOk) return true;
    std::uint8_t scratch[kReplyAreaSize] = {};
    const Reply r = ReceiveReply(scratch, sizeof scratch);
    return r.result == kOk && r.stored > 0 && scratch[0] == 0xFF;
}

void SetInitialKey() {
    std::uint8_t k[8];
    assembleInitialKey(k);
    key.clear();
    key.setKey(k);
}

void DeriveSessionKey(const std::uint8_t m[kSessionMaterialSize]) {
    const auto neg = [](std::uint8_t v) { return static_cast<std::uint8_t>(256u - v); };
    const std::uint8_t w[16] = {m[3], m[0], m[2], m[1], m[10], m[11], neg(m[0]), neg(m[1]),
                                m[4], m[5], m[6], m[7], m[8],  m[9],  neg(m[5]), neg(m[4])};
    std::uint8_t k[8];
    for (int i = 0; i < 8; ++i) k[i] = static_cast<std::uint8_t>(w[i] ^ w[i + 8]);
    key.clear();
    key.setKey(k);
}

bool StartSession() {
    SetInitialKey();
    std::uint8_t material[kSessionMaterialSize] = {};
    static constexpr std::uint8_t kWakeup[8] = {};
    std::uint8_t last = kNoPortOrNoReply;
    for (int attempt = 0; attempt < kWakeupTries; ++attempt) {
        if (WriteAll(kWakeup, sizeof kWakeup) != kOk) {
            last = kPortFailed;
            continue;
        }
        last = ReceiveReply(material, sizeof material).result;
        if (last == kOk) break;
        if (last == kLinkNotReady) clock().sleepMs(kNotReadyPauseMs);  // reader not ready yet
    }
    if (last != kOk) {
        ClosePort();
        return false;
    }

    Command request;
    request.code = kCmdSession;
    request.le = kSessionMaterialSize;
    std::memset(material, 0, sizeof material);
    if (SendFrame(BuildFrame(request)) != kOk) {
        ClosePort();
        return false;
    }
    // Only a complete 12-byte answer with RC 0 is key material.
    const Reply r = ReceiveReply(material, sizeof material);
    if (r.result != kOk || !r.complete || r.length != kSessionMaterialSize) {
        ClosePort();
        return false;
    }
    std::memcpy(savedMaterial, material, sizeof savedMaterial);
    DeriveSessionKey(material);
    return true;
}

void RenewSessionKey(const std::uint8_t dateTime[8]) {
    std::uint8_t material[kSessionMaterialSize];
    std::memcpy(material, savedMaterial, 4);
    std::memcpy(material + 4, dateTime, 8);
    DeriveSessionKey(material);
}

Reply exchangeOnce(const Command& c) {
    const int length = BuildFrame(c);
    if (length < 0) return Reply{};
    if (SendFrame(length) != kOk) {
        Reply failed;
        failed.result = kPortFailed;
        failed.sendFailed = true;
        return failed;
    }
    // Zeroed first, so nothing of an earlier reply can be handed out.
    std::memset(reply, 0, sizeof reply);
    return ReceiveReply(reply, sizeof reply);
}

Reply exchange(const Command& c, int tries) {
    Reply r;
    if (BuildFrame(c) < 0) return r;
    for (int attempt = 0; attempt < tries; ++attempt) {
        r = exchangeOnce(c);
        // Only a failed write or a missing reply is tried again; link conditions and
        // the reader's own codes end the exchange.
        if (!r.sendFailed && !(r.result == kNoPortOrNoReply && !r.complete)) break;
    }
    return r;
}

const std::uint8_t* replyArea() { return reply; }

const DesKeySchedule& currentKeySchedule() { return key; }

void resetFrameState() {
    std::memset(frame, 0, sizeof frame);
    std::memset(reply, 0, sizeof reply);
    std::memset(savedMaterial, 0, sizeof savedMaterial);
    key.clear();
}

}  // namespace reader
