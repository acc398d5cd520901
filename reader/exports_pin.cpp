// PIN exports. VerifyPIN and GetVerifyPINKey read the reader's answer straight off
// the line, without the link status of a normal reply.

#include <cstring>

#include "des.h"
#include "export_support.h"
#include "include/reader.h"
#include "serial/port.h"

using namespace reader;

extern "C" {

READER_API uint32_t READER_CALL VerifyPIN(ReaderArg, ReaderArg cardIndex, ReaderArg pinKind) {
    std::uint8_t slot;
    const auto kind = static_cast<std::int8_t>(lowByte(pinKind));
    if (!slotForCardIndex(cardIndex, &slot) || kind < 0 || kind > 4) return kNoPortOrNoReply;
    if (IsCardAbsent(slot)) return kCardAbsent;
    if (!portIsOpen()) return kNoPortOrNoReply;
    Command c;
    c.slot = slot;
    c.code = kCmdPin;
    c.p1 = kind == 4 ? 6 : static_cast<std::uint8_t>(kind);
    c.le = 255;
    SendFrame(BuildFrame(c));  // a lost frame shows as a missing answer below
    std::uint8_t answer = 0;
    if (ReadExact(1, &answer) != kOk) return kPortFailed;
    return answer;
}

READER_API uint32_t READER_CALL PINExtHC(ReaderArg, ReaderArg mode, const uint8_t* data24) {
    if (!portIsOpen()) return kPortFailed;
    const bool withData = lowByte(mode) == 0;
    if (withData && !data24) return kNoPortOrNoReply;
    Command c;
    c.slot = kSlotHealthCard;
    c.code = kCmdPin;
    c.p1 = withData ? 4 : 5;
    c.le = 255;
    c.data = withData ? data24 : nullptr;
    c.n = withData ? 24 : 0;
    return exchange(c, 2).result;
}

READER_API uint32_t READER_CALL InputPIN(ReaderArg, ReaderArg mode, ReaderArg,
                                         const uint8_t* data8) {
    if (!portIsOpen()) return kPortFailed;
    if (!data8) return kNoPortOrNoReply;
    Command c;
    c.slot = kSlotHealthCard;
    c.code = kCmdInputPin;
    c.write = true;
    c.p1 = lowByte(mode) == 1 ? 2 : lowByte(mode);
    c.data = data8;
    c.n = 8;
    const int length = BuildFrame(c);
    if (SendFrame(length) != kOk && SendFrame(length) != kOk) return kPortFailed;
    std::uint8_t scratch[kReplyAreaSize] = {};
    return ReceiveReply(scratch, sizeof scratch).result;
}

READER_API uint32_t READER_CALL GetVerifyPINKey(ReaderArg, uint8_t* record8) {
    constexpr uint32_t kFailed = 0x80;
    if (!record8) return kNoPortOrNoReply;
    if (!portIsOpen()) {
        pauseMs(1);
        return kNoPortOrNoReply;
    }
    std::uint8_t wire[8];
    std::uint8_t block[8];
    if (ReadExact(8, wire) != kOk) {
        record8[0] = 0;
        pauseMs(1);
        return kFailed;
    }
    currentKeySchedule().decrypt(wire, block);
    uint32_t result = kFailed;
    std::uint8_t first = 0;
    switch (block[0]) {
        case 0x80:
            first = block[1] == 0 ? 0 : block[2];
            break;
        case 0:
            if (block[1] != 8) {
                record8[0] = 0xFF;
                return 0;
            }
            {
                std::uint8_t second[8];
                // Without the second block the key is incomplete: report it as failed.
                if (ReadExact(8, wire) != kOk) break;
                currentKeySchedule().decrypt(wire, second);
                std::memcpy(record8, block + 2, 6);
                record8[6] = second[0];
                record8[7] = second[1];
                return 0;
            }
        case 3:
        case 6:
            result = kNoPortOrNoReply;
            break;
        case 4:
        case 5:
            result = block[0];
            break;
        default:
            break;
    }
    record8[0] = first;
    pauseMs(1);
    return result;
}

}  // extern "C"
