// Exports that drive the port and the reader itself.

#include <cstring>

#include "export_support.h"
#include "include/reader.h"
#include "serial/port.h"

using namespace reader;

namespace {

constexpr std::uint32_t kClosePauseMs = 20;
constexpr std::uint32_t kResetPauseMs = 1500;
constexpr std::uint8_t kVersionSelectors[6] = {0, 0, 0xC6, 0x55, 0xA0, 0};
constexpr char kBanner[] =
    " For win98/win2000/Winme/nt , Version : 1.0.0.1(A) , Tolvane serial card reader driver";

// Unloading the library closes a port left open.
struct CloseOnUnload {
    ~CloseOnUnload() {
        if (portIsOpen()) ClosePort();
    }
} closeOnUnload;

Command readerCommand(std::uint8_t code, bool write, std::uint8_t le) {
    Command c;
    c.slot = kSlotReader;
    c.code = code;
    c.write = write;
    c.le = le;
    return c;
}

}  // namespace

extern "C" {

READER_API uint32_t READER_CALL OpenComPort(uint8_t* portIndex) {
    if (!portIndex) return 0;
    if (*portIndex > 7) *portIndex = 0;
    // A second open must not leave the first handle holding the port.
    if (portIsOpen()) ClosePort();
    OpenPort(*portIndex, LineSettings{9600, kParityEven, 8, kStopOne});
    if (!portIsOpen()) return 0;
    if (!StartSession()) return 0;
    return portHandleValue();
}

READER_API void READER_CALL CloseComPort(ReaderArg) {
    ClosePort();
    pauseMs(kClosePauseMs);
}

READER_API uint32_t READER_CALL changebaud(ReaderArg, ReaderArg rateCode) {
    if (!portIsOpen()) return kNoPortOrNoReply;
    Command c = readerCommand(kCmdChangeBaud, true, 0);
    c.p1 = lowByte(rateCode);
    SendFrame(BuildFrame(c));
    std::uint8_t scratch[kReplyAreaSize] = {};
    const Reply r = ReceiveReply(scratch, sizeof scratch);
    if (r.result == kOk) CloseComPort(0);
    return r.result;
}

READER_API uint32_t READER_CALL Reset(ReaderArg, ReaderArg cardIndex) {
    std::uint8_t slot;
    if (!slotForCardIndex(cardIndex, &slot)) return kNoPortOrNoReply;
    if (slot != kSlotReader && IsCardAbsent(slot)) return kCardAbsent;
    std::uint8_t result = kNoPortOrNoReply;
    if (portIsOpen()) {
        Command c = readerCommand(kCmdReset, true, 0);
        c.slot = slot;
        result = exchange(c, 2).result;
    }
    // A reset reader starts over with the initial key, whatever it answered.
    if (slot == kSlotReader) SetInitialKey();
    pauseMs(kResetPauseMs);
    return result;
}

READER_API uint32_t READER_CALL GetReaderStatus(ReaderArg, ReaderArg cardIndex) {
    std::uint8_t slot;
    if (!slotForCardIndex(cardIndex, &slot) || !portIsOpen()) return kNoPortOrNoReply;
    Command c = readerCommand(kCmdStatus, false, 1);
    c.slot = slot;
    std::uint8_t result = kNoPortOrNoReply;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Reply r = exchangeOnce(c);
        result = r.result == kOk ? replyArea()[0] : r.result;
        // A status byte of 3 counts as no answer and is asked again.
        if (!r.sendFailed && result != kNoPortOrNoReply) break;
    }
    return result;
}

READER_API uint32_t READER_CALL GetCardId(ReaderArg, uint8_t* id8) {
    if (!id8 || !portIsOpen()) return kNoPortOrNoReply;
    const Reply r = exchange(readerCommand(kCmdElement, false, 0), 2);
    if (r.result == kOk) std::memcpy(id8, replyArea(), 8);
    return r.result;
}

READER_API uint32_t READER_CALL GetCardVer(ReaderArg, ReaderArg cardIndex, uint8_t* version2) {
    std::uint8_t slot;
    if (!version2 || !slotForCardIndex(cardIndex, &slot) || !portIsOpen()) return kNoPortOrNoReply;
    if (slot == kSlotReader) {
        // The reader's version follows its 8-byte identifier.
        const Reply r = exchange(readerCommand(kCmdElement, false, 0), 2);
        if (r.result == kOk) std::memcpy(version2, replyArea() + 8, 2);
        return r.result;
    }
    static constexpr std::uint8_t kZeros[3] = {};
    Command c = readerCommand(kCmdElement, false, 2);
    c.slot = slot;
    c.p1 = kVersionSelectors[lowByte(cardIndex)];
    c.data = kZeros;
    c.n = sizeof kZeros;
    const Reply r = exchange(c, 2);
    if (r.result == kOk) std::memcpy(version2, replyArea(), 2);
    return r.result;
}

READER_API uint32_t READER_CALL ReadReaderDateTime(ReaderArg, uint8_t* dateTime6) {
    if (!dateTime6 || !portIsOpen()) return kNoPortOrNoReply;
    const Reply r = exchange(readerCommand(kCmdDateTime, false, 8), 2);
    if (r.result != kOk) return r.result;
    std::memcpy(dateTime6, replyArea(), 6);
    // The reader moves to the next key only after sending all 8 bytes.
    if (r.complete && r.length >= 8) RenewSessionKey(replyArea());
    return r.result;
}

READER_API uint32_t READER_CALL WriteReaderDateTime(ReaderArg, const uint8_t* dateTime6) {
    if (!dateTime6 || !portIsOpen()) return kNoPortOrNoReply;
    Command c = readerCommand(kCmdDateTime, true, 0);
    c.data = dateTime6;
    c.n = 6;
    return exchange(c, 2).result;
}

READER_API uint32_t READER_CALL GetErrCode(ReaderArg, uint8_t* code3) {
    if (!code3 || !portIsOpen()) return kNoPortOrNoReply;
    const Reply r = exchange(readerCommand(kCmdErrorCode, false, 3), 2);
    if (r.result == kOk) copyReply(code3, 3, r);
    return r.result;
}

READER_API uint32_t READER_CALL UpdateIFD(ReaderArg, ReaderArg cardIndex, uint16_t* length,
                                          const uint8_t* data) {
    constexpr std::size_t kChunk = 247;
    std::uint8_t slot;
    if (!slotForCardIndex(cardIndex, &slot) || !portIsOpen() || !length || *length == 0 || !data)
        return kNoPortOrNoReply;
    std::size_t remaining = *length;
    // Chunk numbers travel in P1: more than 256 chunks would wrap them.
    if ((remaining + kChunk - 1) / kChunk - 1 > 255) return kNoPortOrNoReply;
    std::uint8_t sequence = 0;
    const uint8_t* next = data;
    for (;;) {
        const std::size_t chunk = remaining < kChunk ? remaining : kChunk;
        remaining -= chunk;
        Command c;
        c.slot = slot;
        c.code = kCmdUpdateReader;
        c.p1 = remaining == 0 ? 0 : ++sequence;
        c.data = next;
        c.n = chunk;
        const Reply r = exchangeOnce(c);
        if (r.sendFailed) return kPortFailed;
        if (remaining == 0 || r.result != kOk) return r.result;
        next += chunk;
    }
}

READER_API uint32_t READER_CALL OrganSAM(ReaderArg) {
    if (IsCardAbsent(kSlotSam) || IsCardAbsent(kSlotHealthCard)) return kCardAbsent;
    if (!portIsOpen()) return kNoPortOrNoReply;
    return exchange(readerCommand(kCmdOrganSam, true, 0), 2).result;
}

READER_API uint32_t READER_CALL GetRandom(ReaderArg, ReaderArg cardIndex, uint8_t* random8) {
    std::uint8_t slot;
    if (!random8 || !slotForCardIndex(cardIndex, &slot) || !portIsOpen()) return kNoPortOrNoReply;
    Command c = readerCommand(kCmdRandom, false, 8);
    c.slot = slot;
    const Reply r = exchange(c, 2);
    if (r.result == kOk) copyReply(random8, 8, r);
    return r.result;
}

READER_API uint32_t READER_CALL GetDrvVer(ReaderArg) { return 33; }

READER_API uint32_t READER_CALL GetDriverVer(uint8_t* length, char* banner) {
    constexpr std::size_t n = sizeof kBanner - 1;
    static_assert(n <= 255, "the banner length travels in one byte");
    if (banner) std::memcpy(banner, kBanner, n);
    if (length) *length = static_cast<uint8_t>(n);
    return 0;
}

READER_API uint32_t READER_CALL GetUpdateAppletState(ReaderArg) { return 0; }

}  // extern "C"
