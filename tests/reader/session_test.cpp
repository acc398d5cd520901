// Session set-up, key renewal and reset, reply decoding, result codes and retries,
// against the firmware stand-in.

#include <dirent.h>

#include <functional>

#include "reader_fixture.h"

namespace readertest {
namespace {

using readerfw::Bytes;
using readerfw::Reply;

class Session : public ReaderOnPty {};

Reply link(std::uint8_t status) {
    Reply r;
    r.linkStatus = status;
    return r;
}
Reply rc(std::uint8_t code, Bytes data = {}) {
    Reply r;
    r.rc = code;
    r.data = std::move(data);
    return r;
}
Reply silence() {
    Reply r;
    r.silent = true;
    return r;
}

Bytes seq14() { return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}; }

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

TEST_F(Session, OpenWakesTheReaderAndAgreesTheKey) {
    fw->setSessionMaterial({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    std::uint8_t index = 0;
    EXPECT_NE(OpenComPort(&index), 0u);
    EXPECT_EQ(fw->wakeups(), 1);
    const auto f = frames();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].plain, (Bytes{22, 0, 0, 0, 12, 0xAA, 0xAA, 0xAA}));
    // W = 03 00 02 01 0A 0B -00 -01 | 04 05 06 07 08 09 -05 -04, key = W[i] ^ W[i+8].
    EXPECT_EQ(fw->currentKey(),
              (std::array<std::uint8_t, 8>{0x07, 0x05, 0x04, 0x06, 0x02, 0x02, 0xFB, 0x03}));
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
    EXPECT_EQ(fw->garbledFrames(), 0);
}

TEST_F(Session, ReaderNotReadyIsAskedAgainAfterHalfASecond) {
    fw->setNotReady(2);
    std::uint8_t index = 0;
    EXPECT_NE(OpenComPort(&index), 0u);
    EXPECT_EQ(fw->wakeups(), 3);
    EXPECT_GE(clock.slept(), 1000);

    fw->setNotReady(3);
    EXPECT_EQ(OpenComPort(&index), 0u);
    EXPECT_FALSE(reader::portIsOpen());
}

TEST_F(Session, SessionNeedsTwelveBytesWithRcZero) {
    const Reply bad[] = {rc(0, Bytes(8, 1)), rc(2, Bytes(12, 1)), silence(), link(0x08)};
    for (const auto& r : bad) {
        fw->inject(rc(0));  // the wake-up
        fw->inject(r);
        std::uint8_t index = 0;
        EXPECT_EQ(OpenComPort(&index), 0u);
        EXPECT_FALSE(reader::portIsOpen());
    }
}

TEST_F(Session, PortIndexAboveSevenOpensComOne) {
    std::uint8_t index = 9;
    EXPECT_NE(OpenComPort(&index), 0u);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(OpenComPort(nullptr), 0u);
}

TEST_F(Session, OpeningAgainClosesTheOldPortFirst) {
    std::uint8_t index = 0;
    ASSERT_NE(OpenComPort(&index), 0u);
    const int before = openDescriptors();
    for (int i = 0; i < 3; ++i) ASSERT_NE(OpenComPort(&index), 0u);
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(Session, DateTimeReadRenewsTheKeyOnBothEnds) {
    open();
    const auto sessionKey = fw->currentKey();
    std::uint8_t dt[6];
    ASSERT_EQ(ReadReaderDateTime(0, dt), 0u);
    EXPECT_EQ(Bytes(dt, dt + 6), (Bytes{0x07, 0xEA, 0x0C, 0x0A, 0x0B, 0x1E}));
    EXPECT_NE(fw->currentKey(), sessionKey);
    // The next frame must be under the renewed key, or the stand-in cannot read it.
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
    EXPECT_EQ(fw->garbledFrames(), 0);
}

TEST_F(Session, ShortDateTimeReplyKeepsTheKey) {
    open();
    fw->inject(rc(0, {1, 2, 3, 4, 5, 6}));  // complete, but not the 8 bytes a renewal needs
    std::uint8_t dt[6];
    EXPECT_EQ(ReadReaderDateTime(0, dt), 0u);
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
    EXPECT_EQ(fw->garbledFrames(), 0);
}

TEST_F(Session, ReaderResetReturnsToTheInitialKey) {
    open();
    EXPECT_EQ(Reset(0, 0), 0u);
    EXPECT_EQ(fw->currentKey(), readerfw::kInitialKey);
    EXPECT_GE(clock.slept(), 1500);
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
    EXPECT_EQ(fw->garbledFrames(), 0);
    // Even a reset the reader did not answer leaves the library on the initial key.
    std::uint8_t dt[6];
    ASSERT_EQ(ReadReaderDateTime(0, dt), 0u);  // both ends leave the initial key
    fw->inject(2, silence());
    EXPECT_EQ(Reset(0, 1), 3u);
    EXPECT_EQ(GetCardId(0, id), 3u) << "the stand-in, never reset, still holds the session key";
    EXPECT_GE(fw->garbledFrames(), 1);
}

TEST_F(Session, ResultCodeMapping) {
    open();
    const struct {
        Reply reply;
        std::uint32_t expected;
    } cases[] = {
        {link(0x01), 9},  {link(0x02), 10}, {link(0x04), 11}, {link(0x08), 255}, {link(0x10), 12},
        {link(0x20), 13}, {link(0x40), 14}, {link(0x80), 15}, {link(0x03), 0},   {link(0xFF), 0},
        {rc(3), 6},       {rc(2), 2},       {rc(0x90), 0x90}, {rc(0), 0},
    };
    for (const auto& c : cases) {
        fw->clearFrames();
        fw->inject(c.reply);
        std::uint8_t random[8];
        EXPECT_EQ(GetRandom(0, 3, random), c.expected)
            << int(c.reply.linkStatus) << "/" << int(c.reply.rc);
        EXPECT_EQ(frames().size(), 1u) << "link conditions and reader codes are not retried";
    }
}

TEST_F(Session, ReplyBlocksAsLengthNeeds) {
    open();
    for (int length : {0, 1, 6, 7, 8, 14, 15, 22, 255}) {
        Bytes data(static_cast<std::size_t>(length));
        for (int i = 0; i < length; ++i)
            data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
        Reply r = rc(0, data);
        r.blocks = length <= 6 ? 1 : 1 + (length - 6 + 7) / 8;  // exactly what L needs
        fw->inject(r);
        std::uint16_t len = 255;
        Bytes buf(300, 0xEE);
        ASSERT_EQ(ReadRecord(0, 3, 0, 1, 0, &len, 0, buf.data()), 0u) << length;
        EXPECT_EQ(len, length);
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + length), data);
        EXPECT_EQ(buf[static_cast<std::size_t>(length)], 0xEE);
    }
}

TEST_F(Session, ReplyArrivingByteByByteIsAssembled) {
    open();
    Reply r = rc(0, seq14());
    r.byteByByte = true;
    fw->inject(r);
    std::uint16_t len = 14;
    Bytes buf(14, 0);
    EXPECT_EQ(ReadRecord(0, 3, 0, 1, 0, &len, 0, buf.data()), 0u);
    EXPECT_EQ(buf, seq14());
    EXPECT_EQ(frames().size(), 1u);
}

TEST_F(Session, ReplyThatStopsEarlyKeepsTheBlocksThatArrived) {
    open();
    const struct {
        int length;
        int blocksSent;
        std::size_t kept;
    } cases[] = {{10, 1, 6}, {22, 2, 14}, {22, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length * 10 + c.blocksSent);
        Bytes data(static_cast<std::size_t>(c.length));
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
        Reply r = rc(0, data);
        r.blocks = c.blocksSent;
        fw->clearFrames();
        fw->inject(3, r);
        std::uint16_t len = static_cast<std::uint16_t>(c.length);
        Bytes buf(32, 0xEE);
        EXPECT_EQ(ReadRecord(0, 3, 0, 1, 0, &len, 0, buf.data()), 3u);
        EXPECT_EQ(frames().size(), 3u);
        EXPECT_EQ(len, c.length) << "no length for an incomplete reply";
        Bytes expected(32, 0xEE);
        std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(c.kept),
                  expected.begin());
        EXPECT_EQ(buf, expected);
    }
}

TEST_F(Session, RetryCountsPerExport) {
    open();
    std::uint8_t b8[8], b256[256] = {};
    std::uint16_t w = 4;
    std::uint8_t byteLen = 4;
    const struct {
        const char* name;
        std::function<std::uint32_t()> call;
        std::size_t attempts;
    } cases[] = {
        {"GetReaderStatus", [] { return GetReaderStatus(0, 0); }, 2},
        {"GetCardId", [&] { return GetCardId(0, b8); }, 2},
        {"ReadRecord",
         [&] {
             w = 4;
             return ReadRecord(0, 3, 0, 1, 0, &w, 0, b256);
         },
         3},
        {"WriteElement",
         [&] {
             w = 4;
             return WriteElement(0, 3, 0, 1, 0, &w, 0, b256);
         },
         3},
        {"Select",
         [&] {
             byteLen = 4;
             return Select(0, 3, 0, b256, &byteLen);
         },
         2},
        {"LoadApplet",
         [&] {
             w = 4;
             return LoadApplet(0, 2, 0, &w, b256, 0);
         },
         4},
        {"changebaud", [] { return changebaud(0, 1); }, 1},
        {"UpdateIFD",
         [&] {
             w = 4;
             return UpdateIFD(0, 0, &w, b256);
         },
         1},
        {"InputPIN", [&] { return InputPIN(0, 0, 0, b8); }, 1},
        {"PINExtHC", [&] { return PINExtHC(0, 1, b256); }, 2},
    };
    for (const auto& c : cases) {
        fw->clearFrames();
        fw->inject(8, silence());
        EXPECT_EQ(c.call(), 3u) << c.name;
        EXPECT_EQ(frames().size(), c.attempts) << c.name;
        fw->clearInjected();
    }
}

TEST_F(Session, ReaderStatusThreeIsAskedOnceMore) {
    open();
    fw->setStatusByte(0, 3);
    EXPECT_EQ(GetReaderStatus(0, 0), 3u);
    EXPECT_EQ(frames().size(), 2u);
    fw->clearFrames();
    fw->setStatusByte(0, 0x42);
    EXPECT_EQ(GetReaderStatus(0, 1), 0x42u);
    EXPECT_EQ(frames().size(), 1u);
}

TEST_F(Session, ChangeBaudClosesThePortOnSuccessOnly) {
    open();
    fw->inject(rc(2));
    EXPECT_EQ(changebaud(0, 1), 2u);
    EXPECT_TRUE(reader::portIsOpen());
    const auto slept = clock.slept();
    EXPECT_EQ(changebaud(0, 1), 0u);
    EXPECT_FALSE(reader::portIsOpen());
    EXPECT_EQ(clock.slept() - slept, 20);
    std::uint8_t index = 0;
    EXPECT_NE(OpenComPort(&index), 0u) << "the caller opens again at 9600 baud";
}

TEST_F(Session, RetryAfterMissingReplySendsTheSameFrameAgain) {
    open();
    fw->inject(silence());
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
    const auto f = frames();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].plain, f[1].plain);
}

TEST_F(Session, NoExportHandsOutAnEarlierReply) {
    open();
    fw->setReaderId({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    std::uint8_t id[8];
    ASSERT_EQ(GetCardId(0, id), 0u);
    fw->inject(rc(0, {0x41, 0x42}));
    ASSERT_EQ(GetCardId(0, id), 0u);
    EXPECT_EQ(Bytes(id, id + 8), (Bytes{0x41, 0x42, 0, 0, 0, 0, 0, 0}));
    std::uint8_t version[2] = {0xEE, 0xEE};
    fw->inject(rc(0, {1, 2, 3, 4, 5, 6, 7, 8}));  // no bytes 8 and 9
    ASSERT_EQ(GetCardVer(0, 0, version), 0u);
    EXPECT_EQ(Bytes(version, version + 2), (Bytes{0, 0}));
}

}  // namespace
}  // namespace readertest
