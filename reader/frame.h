#pragma once
// Command frames and replies, their encryption, the session key and the retry rule.

#include <cstddef>
#include <cstdint>

#include "command_codes.h"
#include "result.h"

namespace reader {

class DesKeySchedule;

// Slot codes of the frame header.
enum Slot : std::uint8_t {
    kSlotReader = 0,
    kSlotHealthCard = 1,
    kSlotProfessional = 2,
    kSlotSam = 3
};

constexpr int kMaxFrameLength = 256;
constexpr std::size_t kMaxFrameData = kMaxFrameLength - 5;
constexpr std::size_t kFrameBufferSize = 280;
constexpr std::size_t kReplyAreaSize = 256;
constexpr std::size_t kSessionMaterialSize = 12;

struct Command {
    bool write = false;
    std::uint8_t slot = kSlotReader;
    std::uint8_t code = 0;
    std::uint8_t p1 = 0;
    std::uint8_t le = 0;
    const std::uint8_t* data = nullptr;
    std::size_t n = 0;
};

struct Reply {
    std::uint8_t result = kNoPortOrNoReply;
    // A reply body arrived in full; `length` is the reader's L.
    bool complete = false;
    std::uint8_t length = 0;
    // Data bytes stored in the destination (at most its capacity).
    std::size_t stored = 0;
    // The frame could not be written (kPortFailed then is not a link condition).
    bool sendFailed = false;
};

// Lays the 0xAA padding and the frame into the module buffer; answers 5 + N, or -1
// (nothing built) when the frame would not fit in 256 bytes.
int BuildFrame(const Command& c);
const std::uint8_t* frameBuffer();
// Encrypts the frame of `length` plain bytes block by block and writes it.
Result SendFrame(int length);
// Reads one reply; stores at most `capacity` data bytes in `dest`.
Reply ReceiveReply(std::uint8_t* dest, std::size_t capacity);

bool IsCardAbsent(std::uint8_t slot);

void SetInitialKey();
void DeriveSessionKey(const std::uint8_t material[kSessionMaterialSize]);
// Wake-up and session request right after the port opened; closes the port on failure.
bool StartSession();
// Derives the next session key from the saved material and an 8-byte date-time reply.
void RenewSessionKey(const std::uint8_t dateTime[8]);

// One attempt: build, send, receive into the reply area (zeroed first).
Reply exchangeOnce(const Command& c);
// Up to `tries` attempts, repeated while sending fails or no complete reply arrives.
Reply exchange(const Command& c, int tries);
const std::uint8_t* replyArea();
// The key schedule now in use (replies outside the frame format are decrypted with it).
const DesKeySchedule& currentKeySchedule();

// Module state back to load time (no key, no saved material). For tests.
void resetFrameState();

}  // namespace reader
