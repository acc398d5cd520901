// Exports that read and write card data, authenticate, and manage applets.

#include <algorithm>
#include <cstring>

#include "export_support.h"
#include "include/reader.h"
#include "serial/port.h"

using namespace reader;

namespace {

enum class Access { kRead, kWrite };

// ReadRecord, ReadElement, WriteRecord and WriteElement differ only in the command
// pair, the write bit and whether the length output is updated.
uint32_t recordExchange(Access access, std::uint8_t code, std::uint8_t flaggedCode,
                        bool updatesLength, ReaderArg cardIndex, ReaderArg p1, ReaderArg firstByte,
                        ReaderArg offset, uint16_t* length, ReaderArg dataFlag, uint8_t* buffer) {
    std::uint8_t slot;
    if (!length || !buffer || !slotForCardIndex(cardIndex, &slot) || !portIsOpen())
        return kNoPortOrNoReply;
    const bool flagged = lowByte(dataFlag) != 0;
    const std::size_t entryLength = *length;
    std::uint8_t data[kMaxFrameData];
    std::size_t n = 0;
    data[n++] = lowByte(firstByte);
    if (!flagged) {
        data[n++] = static_cast<std::uint8_t>(lowWord(offset) >> 8);
        data[n++] = static_cast<std::uint8_t>(lowWord(offset));
    }
    // A read sends 8 bytes of the buffer with the flag; a write sends the length's worth.
    const std::size_t fromBuffer = access == Access::kRead ? (flagged ? 8 : 0) : entryLength;
    if (n + fromBuffer > kMaxFrameData) return kNoPortOrNoReply;
    std::memcpy(data + n, buffer, fromBuffer);
    n += fromBuffer;

    Command c;
    c.slot = slot;
    c.code = flagged ? flaggedCode : code;
    c.write = access == Access::kWrite;
    c.p1 = lowByte(p1);
    c.le = access == Access::kRead ? static_cast<std::uint8_t>(entryLength) : 0;
    c.data = data;
    c.n = n;
    const Reply r = exchange(c, 3);
    copyReply(buffer, entryLength, r);
    const bool store = access == Access::kRead ? r.result == kOk && r.complete : r.complete;
    if (updatesLength && store) *length = r.length;
    return r.result;
}

// The shape shared by most buffer exports: data out of the caller's buffer, the reply
// back into it (at most `capacity` bytes), L into the length output.
template <typename LengthT>
uint32_t bufferExchange(const Command& c, int tries, uint8_t* buffer, std::size_t capacity,
                        LengthT* length) {
    const Reply r = exchange(c, tries);
    copyReply(buffer, capacity, r);
    if (length && r.complete) *length = static_cast<LengthT>(r.length);
    return r.result;
}

Command command(std::uint8_t slot, std::uint8_t code, bool write, std::uint8_t p1,
                const std::uint8_t* data, std::size_t n, std::uint8_t le) {
    Command c;
    c.slot = slot;
    c.code = code;
    c.write = write;
    c.p1 = p1;
    c.data = data;
    c.n = n;
    c.le = le;
    return c;
}

uint32_t putKey(std::uint8_t slot, ReaderArg p1, ReaderArg firstByte, uint16_t* length,
                uint8_t* buffer) {
    if (!length || !buffer) return kNoPortOrNoReply;
    if (IsCardAbsent(slot)) return kCardAbsent;
    if (!portIsOpen()) return kNoPortOrNoReply;
    std::uint8_t data[kMaxFrameData];
    std::size_t n;
    if (!prefixed(lowByte(firstByte), buffer, *length, data, &n)) return kNoPortOrNoReply;
    return bufferExchange(command(slot, kCmdPutKey, true, lowByte(p1), data, n, 0), 2, buffer,
                          *length, length);
}

uint32_t authCard(std::uint8_t slot, ReaderArg mode, uint16_t* length, uint8_t* buffer) {
    const std::uint8_t m = lowByte(mode);
    if (m > 1 || !buffer || !portIsOpen()) return kNoPortOrNoReply;
    return bufferExchange(command(slot, kCmdAuthenticate, true, m, buffer, 32, 16), 2, buffer, 32,
                          length);
}

enum class AppletCommand : std::uint8_t {
    kDelete = kCmdDeleteApplet,
    kInstall = kCmdInstallApplet,
    kLoad = kCmdLoadApplet
};

uint32_t applet(AppletCommand which, ReaderArg selector, std::uint8_t p1, uint16_t* length,
                uint8_t* buffer, const std::uint8_t* first, int tries) {
    std::uint8_t slot;
    const std::uint8_t sel = lowByte(selector);
    if (!length || !buffer || *length == 0 || !slotForCardIndex(sel & 0x0F, &slot))
        return kNoPortOrNoReply;
    if (which == AppletCommand::kInstall && IsCardAbsent(slot)) return kCardAbsent;
    if (!portIsOpen()) return kNoPortOrNoReply;
    std::uint8_t data[kMaxFrameData];
    std::size_t n = *length;
    if (first) {
        if (!prefixed(*first, buffer, *length, data, &n)) return kNoPortOrNoReply;
    } else {
        if (n > kMaxFrameData) return kNoPortOrNoReply;
        std::memcpy(data, buffer, n);
    }
    const bool write = (sel & 0x10) == 0;
    return bufferExchange(command(slot, static_cast<std::uint8_t>(which), write, p1, data, n, 0),
                          tries, buffer, *length, length);
}

}  // namespace

extern "C" {

READER_API uint32_t READER_CALL ReadRecord(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                           ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                           ReaderArg dataFlag, uint8_t* buffer) {
    return recordExchange(Access::kRead, kCmdRecord, kCmdRecordFlagged, true, cardIndex, p1,
                          firstByte, offset, length, dataFlag, buffer);
}

READER_API uint32_t READER_CALL ReadElement(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                            ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                            ReaderArg dataFlag, uint8_t* buffer) {
    return recordExchange(Access::kRead, kCmdElement, kCmdElementFlagged, true, cardIndex, p1,
                          firstByte, offset, length, dataFlag, buffer);
}

READER_API uint32_t READER_CALL WriteRecord(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                            ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                            ReaderArg dataFlag, uint8_t* buffer) {
    return recordExchange(Access::kWrite, kCmdRecord, kCmdRecordFlagged, true, cardIndex, p1,
                          firstByte, offset, length, dataFlag, buffer);
}

READER_API uint32_t READER_CALL WriteElement(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                             ReaderArg firstByte, ReaderArg offset,
                                             uint16_t* length, ReaderArg dataFlag,
                                             uint8_t* buffer) {
    return recordExchange(Access::kWrite, kCmdElement, kCmdElementFlagged, false, cardIndex, p1,
                          firstByte, offset, length, dataFlag, buffer);
}

READER_API uint32_t READER_CALL Select(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                       uint8_t* buffer, uint8_t* length) {
    std::uint8_t slot;
    if (!buffer || !length || *length == 0 || !slotForCardIndex(cardIndex, &slot) || !portIsOpen())
        return kNoPortOrNoReply;
    const std::uint8_t sentP1 = lowByte(p1) == 2 ? 0x20 : lowByte(p1);
    return bufferExchange(command(slot, kCmdSelect, true, sentP1, buffer, *length, 0), 2, buffer,
                          *length, length);
}

READER_API uint32_t READER_CALL FinishPersonal(ReaderArg, ReaderArg cardIndex) {
    std::uint8_t slot;
    if (!slotForCardIndex(cardIndex, &slot) || !portIsOpen()) return kNoPortOrNoReply;
    return exchange(command(slot, kCmdFinishPersonal, true, 0, nullptr, 0, 0), 2).result;
}

READER_API uint32_t READER_CALL InitUpdate(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                           ReaderArg firstByte, ReaderArg, uint8_t* length,
                                           uint8_t* buffer) {
    std::uint8_t slot;
    if (!slotForCardIndex(cardIndex, &slot)) return kNoPortOrNoReply;
    if (!buffer || !length || *length == 0) return kPortFailed;
    if (IsCardAbsent(slot)) return kCardAbsent;
    if (!portIsOpen()) return kPortFailed;
    std::uint8_t data[kMaxFrameData];
    std::size_t n;
    if (!prefixed(lowByte(firstByte), buffer, *length, data, &n)) return kNoPortOrNoReply;
    return bufferExchange(command(slot, kCmdInitUpdate, true, lowByte(p1), data, n, 0), 2, buffer,
                          *length, length);
}

READER_API uint32_t READER_CALL ExtAuth(ReaderArg, ReaderArg cardIndex, ReaderArg p1,
                                        ReaderArg firstByte, uint8_t* length, uint8_t* buffer) {
    std::uint8_t slot;
    if (!buffer || !length || !slotForCardIndex(cardIndex, &slot) || !portIsOpen())
        return kNoPortOrNoReply;
    std::uint8_t data[kMaxFrameData];
    std::size_t n;
    if (!prefixed(lowByte(firstByte), buffer, *length, data, &n)) return kNoPortOrNoReply;
    return bufferExchange(command(slot, kCmdExtAuth, true, lowByte(p1), data, n, 0), 2, buffer,
                          *length, length);
}

READER_API uint32_t READER_CALL putSAMKey(ReaderArg, ReaderArg p1, ReaderArg firstByte,
                                          uint16_t* length, uint8_t* buffer) {
    return putKey(kSlotSam, p1, firstByte, length, buffer);
}

READER_API uint32_t READER_CALL putHCKey(ReaderArg, ReaderArg p1, ReaderArg firstByte,
                                         uint16_t* length, uint8_t* buffer) {
    return putKey(kSlotHealthCard, p1, firstByte, length, buffer);
}

READER_API uint32_t READER_CALL AuthSAM(ReaderArg, ReaderArg mode, uint16_t* length,
                                        uint8_t* buffer) {
    static constexpr std::uint8_t kSent[4] = {128, 20, 32, 32};
    static constexpr std::uint8_t kAsked[4] = {0, 128, 16, 16};
    const std::uint8_t m = lowByte(mode);
    if (m > 3 || !buffer || !portIsOpen()) return kNoPortOrNoReply;
    const std::size_t capacity = std::max(kSent[m], kAsked[m]);
    return bufferExchange(command(kSlotSam, kCmdAuthenticate, true, m, buffer, kSent[m], kAsked[m]),
                          2, buffer, capacity, length);
}

READER_API uint32_t READER_CALL AuthHC(ReaderArg, ReaderArg mode, uint16_t* length,
                                       uint8_t* buffer) {
    return authCard(kSlotHealthCard, mode, length, buffer);
}

READER_API uint32_t READER_CALL AuthHPC(ReaderArg, ReaderArg mode, uint16_t* length,
                                        uint8_t* buffer) {
    return authCard(kSlotProfessional, mode, length, buffer);
}

READER_API uint32_t READER_CALL SignSAM(ReaderArg, uint16_t* length, uint8_t* buffer) {
    if (!length || (*length != 0 && *length != 128) || !buffer || !portIsOpen())
        return kNoPortOrNoReply;
    return bufferExchange(command(kSlotSam, kCmdSign, true, 0, buffer, 128, 128), 2, buffer, 128,
                          length);
}

READER_API uint32_t READER_CALL DeleteApplet(ReaderArg, ReaderArg selector, uint16_t* length,
                                             uint8_t* buffer, ReaderArg p1) {
    return applet(AppletCommand::kDelete, selector, lowByte(p1), length, buffer, nullptr, 2);
}

READER_API uint32_t READER_CALL InstallApplet(ReaderArg, ReaderArg selector, uint16_t* length,
                                              uint8_t* buffer, ReaderArg p1) {
    return applet(AppletCommand::kInstall, selector, lowByte(p1), length, buffer, nullptr, 2);
}

READER_API uint32_t READER_CALL LoadApplet(ReaderArg, ReaderArg selector, ReaderArg flag,
                                           uint16_t* length, uint8_t* buffer, ReaderArg firstByte) {
    const std::uint8_t first = lowByte(firstByte);
    return applet(AppletCommand::kLoad, selector, lowByte(flag) ? 0x80 : 0, length, buffer, &first,
                  4);
}

}  // extern "C"
