// Frames each export sends (as the stand-in decrypted them), answers without a
// port, presence checks, chunking, and the bounds on every copy out of a reply.

#include <functional>

#include "reader_fixture.h"

namespace readertest {
namespace {

using readerfw::Bytes;
using readerfw::Reply;

class Exports : public ReaderOnPty {};

Bytes seq(std::size_t n, std::uint8_t from = 1) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(from + i);
    return b;
}

struct Expected {
    std::uint8_t header, p1;
    std::uint16_t n;
    std::uint8_t le;
    Bytes data;
};

TEST_F(Exports, FrameBytesPerExport) {
    open();
    Bytes buf;
    std::uint16_t w = 0;
    std::uint8_t b = 0;
    std::uint8_t out[16];
    const Bytes dt = {0x07, 0xEA, 0x0C, 0x0A, 0x0B, 0x1E};
    const struct {
        const char* name;
        std::function<void()> call;
        Expected frame;
    } cases[] = {
        {"changebaud", [] { changebaud(0, 2); }, {0x9E, 2, 0, 0, {}}},
        {"Reset reader", [] { Reset(0, 1); }, {0x81, 0, 0, 0, {}}},
        {"Reset HC", [] { Reset(0, 3); }, {0xA1, 0, 0, 0, {}}},
        {"ReadReaderDateTime", [&] { ReadReaderDateTime(0, out); }, {0x04, 0, 0, 8, {}}},
        {"GetReaderStatus SAM", [] { GetReaderStatus(0, 2); }, {0x60, 0, 0, 1, {}}},
        {"GetCardId", [&] { GetCardId(0, out); }, {0x08, 0, 0, 0, {}}},
        {"GetCardVer reader", [&] { GetCardVer(0, 5, out); }, {0x08, 0, 0, 0, {}}},
        {"GetCardVer HC", [&] { GetCardVer(0, 3, out); }, {0x28, 0x55, 3, 2, {0, 0, 0}}},
        {"GetCardVer SAM", [&] { GetCardVer(0, 2, out); }, {0x68, 0xC6, 3, 2, {0, 0, 0}}},
        {"GetCardVer HPC", [&] { GetCardVer(0, 4, out); }, {0x48, 0xA0, 3, 2, {0, 0, 0}}},
        {"WriteReaderDateTime", [&] { WriteReaderDateTime(0, dt.data()); }, {0x84, 0, 6, 0, dt}},
        {"GetErrCode", [&] { GetErrCode(0, out); }, {0x14, 0, 0, 3, {}}},
        {"OrganSAM", [] { OrganSAM(0); }, {0x98, 0, 0, 0, {}}},
        {"GetRandom HPC", [&] { GetRandom(0, 4, out); }, {0x4C, 0, 0, 8, {}}},
        {"ReadRecord",
         [&] {
             w = 0x20;
             buf.assign(0x20, 0);
             ReadRecord(0, 3, 7, 5, 0x0102, &w, 0, buf.data());
         },
         {0x29, 7, 3, 0x20, {5, 1, 2}}},
        {"ReadRecord flagged",
         [&] {
             w = 4;
             buf = seq(8);
             ReadRecord(0, 3, 7, 5, 0x0102, &w, 1, buf.data());
         },
         {0x33, 7, 9, 4, {5, 1, 2, 3, 4, 5, 6, 7, 8}}},
        {"ReadElement",
         [&] {
             w = 0x104;
             buf.assign(0x104, 0);
             ReadElement(0, 4, 1, 2, 0xA0B0, &w, 0, buf.data());
         },
         {0x48, 1, 3, 0x04, {2, 0xA0, 0xB0}}},
        {"WriteRecord",
         [&] {
             w = 3;
             buf = seq(3, 0x31);
             WriteRecord(0, 3, 1, 9, 0x0010, &w, 0, buf.data());
         },
         {0xA9, 1, 6, 0, {9, 0x00, 0x10, 0x31, 0x32, 0x33}}},
        {"WriteRecord flagged",
         [&] {
             w = 3;
             buf = seq(3, 0x31);
             WriteRecord(0, 3, 1, 9, 0x0010, &w, 1, buf.data());
         },
         {0xB3, 1, 4, 0, {9, 0x31, 0x32, 0x33}}},
        {"WriteElement",
         [&] {
             w = 2;
             buf = seq(2);
             WriteElement(0, 2, 0, 4, 0x0001, &w, 0, buf.data());
         },
         {0xE8, 0, 5, 0, {4, 0, 1, 1, 2}}},
        {"Select P1 2",
         [&] {
             b = 2;
             buf = seq(2);
             Select(0, 3, 2, buf.data(), &b);
         },
         {0xB1, 0x20, 2, 0, {1, 2}}},
        {"FinishPersonal", [] { FinishPersonal(0, 4); }, {0xCB, 0, 0, 0, {}}},
        {"InitUpdate",
         [&] {
             b = 2;
             buf = seq(2);
             InitUpdate(0, 2, 3, 0x77, 0, &b, buf.data());
         },
         {0xFC, 3, 3, 0, {0x77, 1, 2}}},
        {"ExtAuth",
         [&] {
             b = 1;
             buf = seq(1);
             ExtAuth(0, 3, 4, 0x66, &b, buf.data());
         },
         {0xBD, 4, 2, 0, {0x66, 1}}},
        {"putSAMKey",
         [&] {
             w = 2;
             buf = seq(2);
             putSAMKey(0, 9, 0x55, &w, buf.data());
         },
         {0xE2, 9, 3, 0, {0x55, 1, 2}}},
        {"putHCKey",
         [&] {
             w = 1;
             buf = seq(1);
             putHCKey(0, 8, 0x44, &w, buf.data());
         },
         {0xA2, 8, 2, 0, {0x44, 1}}},
        {"AuthSAM mode 0",
         [&] {
             buf = seq(128);
             AuthSAM(0, 0, &w, buf.data());
         },
         {0xE5, 0, 128, 0, seq(128)}},
        {"AuthSAM mode 1",
         [&] {
             buf = seq(128);
             AuthSAM(0, 1, &w, buf.data());
         },
         {0xE5, 1, 20, 128, seq(20)}},
        {"AuthSAM mode 3",
         [&] {
             buf = seq(32);
             AuthSAM(0, 3, &w, buf.data());
         },
         {0xE5, 3, 32, 16, seq(32)}},
        {"AuthHC",
         [&] {
             buf = seq(32);
             AuthHC(0, 1, &w, buf.data());
         },
         {0xA5, 1, 32, 16, seq(32)}},
        {"AuthHPC",
         [&] {
             buf = seq(32);
             AuthHPC(0, 0, &w, buf.data());
         },
         {0xC5, 0, 32, 16, seq(32)}},
        {"SignSAM",
         [&] {
             w = 128;
             buf = seq(128);
             SignSAM(0, &w, buf.data());
         },
         {0xE6, 0, 128, 128, seq(128)}},
        {"DeleteApplet 0x12",
         [&] {
             w = 2;
             buf = seq(2);
             DeleteApplet(0, 0x12, &w, buf.data(), 5);
         },
         {0x6E, 5, 2, 0, {1, 2}}},
        {"DeleteApplet 0x02",
         [&] {
             w = 2;
             buf = seq(2);
             DeleteApplet(0, 0x02, &w, buf.data(), 5);
         },
         {0xEE, 5, 2, 0, {1, 2}}},
        {"InstallApplet",
         [&] {
             w = 1;
             buf = seq(1);
             InstallApplet(0, 0x03, &w, buf.data(), 6);
         },
         {0xAF, 6, 1, 0, {1}}},
        {"LoadApplet flag",
         [&] {
             w = 2;
             buf = seq(2);
             LoadApplet(0, 0x14, 1, &w, buf.data(), 0x99);
         },
         {0x50, 0x80, 3, 0, {0x99, 1, 2}}},
        {"PINExtHC mode 0",
         [&] {
             buf = seq(24);
             PINExtHC(0, 0, buf.data());
         },
         {0x2A, 4, 24, 255, seq(24)}},
        {"PINExtHC mode 1", [&] { PINExtHC(0, 1, nullptr); }, {0x2A, 5, 0, 255, {}}},
        {"InputPIN mode 1",
         [&] {
             buf = seq(8);
             InputPIN(0, 1, 0, buf.data());
         },
         {0xBA, 2, 8, 0, seq(8)}},
        {"VerifyPIN kind 4", [] { VerifyPIN(0, 4, 4); }, {0x4A, 6, 0, 255, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t index = 0;
        ASSERT_NE(OpenComPort(&index), 0u);  // a fresh session: changebaud closes the port
        fw->clearFrames();
        c.call();
        auto f = frames();
        // Presence checks (command 0, Le 1) come first where the export makes them.
        while (f.size() > 1 && f.front().code == 0 && f.front().le == 1) f.erase(f.begin());
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(f[0].plain[0], c.frame.header);
        EXPECT_EQ(f[0].p1, c.frame.p1);
        EXPECT_EQ(f[0].n, c.frame.n);
        EXPECT_EQ(f[0].le, c.frame.le);
        EXPECT_EQ(f[0].data, c.frame.data);
        // Padding is 0xAA up to the block boundary.
        for (std::size_t i = 5u + f[0].n; i < f[0].plain.size(); ++i)
            EXPECT_EQ(f[0].plain[i], 0xAA);
    }
}

TEST_F(Exports, AnswersWithoutAPort) {
    Bytes buf(256, 0);
    std::uint16_t w = 4;
    std::uint8_t b = 4;
    const struct {
        const char* name;
        std::function<std::uint32_t()> call;
        std::uint32_t expected;
    } cases[] = {
        {"changebaud", [] { return changebaud(0, 1); }, 3},
        {"Reset reader", [] { return Reset(0, 0); }, 3},
        {"Reset HC", [] { return Reset(0, 3); }, 3},
        {"GetReaderStatus", [] { return GetReaderStatus(0, 0); }, 3},
        {"GetCardId", [&] { return GetCardId(0, buf.data()); }, 3},
        {"GetCardVer", [&] { return GetCardVer(0, 3, buf.data()); }, 3},
        {"ReadReaderDateTime", [&] { return ReadReaderDateTime(0, buf.data()); }, 3},
        {"WriteReaderDateTime", [&] { return WriteReaderDateTime(0, buf.data()); }, 3},
        {"GetErrCode", [&] { return GetErrCode(0, buf.data()); }, 3},
        {"UpdateIFD", [&] { return UpdateIFD(0, 0, &w, buf.data()); }, 3},
        {"OrganSAM", [] { return OrganSAM(0); }, 3},
        {"GetRandom", [&] { return GetRandom(0, 0, buf.data()); }, 3},
        {"ReadRecord", [&] { return ReadRecord(0, 3, 0, 0, 0, &w, 0, buf.data()); }, 3},
        {"ReadElement", [&] { return ReadElement(0, 3, 0, 0, 0, &w, 0, buf.data()); }, 3},
        {"WriteRecord", [&] { return WriteRecord(0, 3, 0, 0, 0, &w, 0, buf.data()); }, 3},
        {"WriteElement", [&] { return WriteElement(0, 3, 0, 0, 0, &w, 0, buf.data()); }, 3},
        {"Select", [&] { return Select(0, 3, 0, buf.data(), &b); }, 3},
        {"FinishPersonal", [] { return FinishPersonal(0, 3); }, 3},
        {"InitUpdate", [&] { return InitUpdate(0, 3, 0, 0, 0, &b, buf.data()); }, 255},
        {"ExtAuth", [&] { return ExtAuth(0, 3, 0, 0, &b, buf.data()); }, 3},
        {"putSAMKey", [&] { return putSAMKey(0, 0, 0, &w, buf.data()); }, 3},
        {"putHCKey", [&] { return putHCKey(0, 0, 0, &w, buf.data()); }, 3},
        {"AuthSAM", [&] { return AuthSAM(0, 0, &w, buf.data()); }, 3},
        {"AuthHC", [&] { return AuthHC(0, 0, &w, buf.data()); }, 3},
        {"AuthHPC", [&] { return AuthHPC(0, 0, &w, buf.data()); }, 3},
        {"SignSAM",
         [&] {
             w = 128;
             return SignSAM(0, &w, buf.data());
         },
         3},
        {"DeleteApplet", [&] { return DeleteApplet(0, 2, &w, buf.data(), 0); }, 3},
        {"InstallApplet", [&] { return InstallApplet(0, 2, &w, buf.data(), 0); }, 3},
        {"LoadApplet", [&] { return LoadApplet(0, 2, 0, &w, buf.data(), 0); }, 3},
        {"VerifyPIN", [] { return VerifyPIN(0, 3, 0); }, 3},
        {"PINExtHC", [&] { return PINExtHC(0, 0, buf.data()); }, 255},
        {"InputPIN", [&] { return InputPIN(0, 0, 0, buf.data()); }, 255},
        {"GetVerifyPINKey", [&] { return GetVerifyPINKey(0, buf.data()); }, 3},
        {"GetDrvVer", [] { return GetDrvVer(0); }, 33},
        {"GetUpdateAppletState", [] { return GetUpdateAppletState(0); }, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.call(), c.expected) << c.name;
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(fw->wakeups(), 0);
}

TEST_F(Exports, DriverBanner) {
    char banner[256] = {};
    std::uint8_t length = 0;
    EXPECT_EQ(GetDriverVer(&length, banner), 0u);
    const std::string text(banner, length);
    EXPECT_EQ(text.substr(0, 53), " For win98/win2000/Winme/nt , Version : 1.0.0.1(A) , ");
    EXPECT_EQ(std::string(banner).size(), length) << "no terminating zero beyond the length";
}

TEST_F(Exports, AbsentCardsAnswerOneBeforeTheCommand) {
    open();
    Bytes buf(256, 0);
    std::uint16_t w = 2;
    std::uint8_t b = 2;
    const struct {
        const char* name;
        std::uint8_t absentSlot;
        std::function<std::uint32_t()> call;
    } cases[] = {
        {"Reset HC", 1, [] { return Reset(0, 3); }},
        {"OrganSAM, SAM absent", 3, [] { return OrganSAM(0); }},
        {"OrganSAM, HC absent", 1, [] { return OrganSAM(0); }},
        {"InitUpdate", 2, [&] { return InitUpdate(0, 4, 0, 0, 0, &b, buf.data()); }},
        {"putSAMKey", 3, [&] { return putSAMKey(0, 0, 0, &w, buf.data()); }},
        {"putHCKey", 1, [&] { return putHCKey(0, 0, 0, &w, buf.data()); }},
        {"InstallApplet", 3, [&] { return InstallApplet(0, 0x12, &w, buf.data(), 0); }},
        {"VerifyPIN", 2, [] { return VerifyPIN(0, 4, 1); }},
    };
    for (const auto& c : cases) {
        fw->setCardPresent(c.absentSlot, false);
        fw->clearFrames();
        EXPECT_EQ(c.call(), 1u) << c.name;
        for (const auto& f : frames()) EXPECT_EQ(f.code, 0) << c.name << ": only presence checks";
        fw->setCardPresent(c.absentSlot, true);
    }
    // A reset of the reader itself makes no presence check.
    fw->setCardPresent(0, false);
    fw->clearFrames();
    EXPECT_EQ(Reset(0, 0), 0u);
    EXPECT_EQ(frames().size(), 1u);
}

TEST_F(Exports, BadArgumentsSendNothing) {
    open();
    Bytes buf(300, 0);
    std::uint16_t w = 0;
    std::uint8_t b = 0;
    const struct {
        const char* name;
        std::function<std::uint32_t()> call;
        std::uint32_t expected;
    } cases[] = {
        {"card index 6", [] { return GetReaderStatus(0, 6); }, 3},
        {"card index 0x10A: low byte 10", [] { return FinishPersonal(0, 0x10A); }, 3},
        {"applet selector index 7",
         [&] {
             w = 1;
             return DeleteApplet(0, 0x07, &w, buf.data(), 0);
         },
         3},
        {"VerifyPIN kind 5", [] { return VerifyPIN(0, 3, 5); }, 3},
        {"VerifyPIN kind -1", [] { return VerifyPIN(0, 3, 0xFF); }, 3},
        {"AuthSAM mode 4", [&] { return AuthSAM(0, 4, &w, buf.data()); }, 3},
        {"AuthHC mode 2", [&] { return AuthHC(0, 2, &w, buf.data()); }, 3},
        {"AuthHC null buffer", [&] { return AuthHC(0, 0, &w, nullptr); }, 3},
        {"SignSAM length 64",
         [&] {
             w = 64;
             return SignSAM(0, &w, buf.data());
         },
         3},
        {"Select length 0",
         [&] {
             b = 0;
             return Select(0, 3, 0, buf.data(), &b);
         },
         3},
        {"InitUpdate length 0",
         [&] {
             b = 0;
             return InitUpdate(0, 3, 0, 0, 0, &b, buf.data());
         },
         255},
        {"InitUpdate null buffer",
         [&] {
             b = 1;
             return InitUpdate(0, 3, 0, 0, 0, &b, nullptr);
         },
         255},
        {"GetCardId null", [] { return GetCardId(0, nullptr); }, 3},
        {"GetRandom null", [] { return GetRandom(0, 0, nullptr); }, 3},
        {"UpdateIFD length 0",
         [&] {
             w = 0;
             return UpdateIFD(0, 0, &w, buf.data());
         },
         3},
        {"UpdateIFD null data",
         [&] {
             w = 1;
             return UpdateIFD(0, 0, &w, nullptr);
         },
         3},
        {"DeleteApplet length 0",
         [&] {
             w = 0;
             return DeleteApplet(0, 2, &w, buf.data(), 0);
         },
         3},
        // 5 + N above 256
        {"WriteRecord 249 bytes",
         [&] {
             w = 249;
             return WriteRecord(0, 3, 0, 0, 0, &w, 0, buf.data());
         },
         3},
        {"WriteRecord flagged 251",
         [&] {
             w = 251;
             return WriteRecord(0, 3, 0, 0, 0, &w, 1, buf.data());
         },
         3},
        {"Select 252",
         [&] {
             b = 252;
             return Select(0, 3, 0, buf.data(), &b);
         },
         3},
        {"ExtAuth 251",
         [&] {
             b = 251;
             return ExtAuth(0, 3, 0, 0, &b, buf.data());
         },
         3},
        {"InitUpdate 255",
         [&] {
             b = 255;
             return InitUpdate(0, 3, 0, 0, 0, &b, buf.data());
         },
         3},
        {"putSAMKey 251",
         [&] {
             w = 251;
             return putSAMKey(0, 0, 0, &w, buf.data());
         },
         3},
        {"LoadApplet 251",
         [&] {
             w = 251;
             return LoadApplet(0, 2, 0, &w, buf.data(), 0);
         },
         3},
        {"UpdateIFD chunk numbers would wrap",
         [&] {
             w = 256 * 247 + 1;
             return UpdateIFD(0, 0, &w, buf.data());
         },
         3},
    };
    for (const auto& c : cases) {
        fw->clearFrames();
        EXPECT_EQ(c.call(), c.expected) << c.name;
        for (const auto& f : frames()) EXPECT_EQ(f.code, 0) << c.name << ": only presence checks";
    }
    // The largest frames that fit still go out.
    fw->clearFrames();
    w = 248;
    EXPECT_EQ(WriteRecord(0, 3, 0, 0, 0, &w, 0, buf.data()), 0u);
    ASSERT_EQ(frames().size(), 1u);
    EXPECT_EQ(frames()[0].plain.size(), 256u);
}

TEST_F(Exports, UpdateIfdChunks) {
    open();
    const struct {
        std::uint16_t length;
        std::vector<std::pair<std::uint8_t, std::uint16_t>> chunks;  // P1, N
    } cases[] = {
        {1, {{0, 1}}},
        {247, {{0, 247}}},
        {248, {{1, 247}, {0, 1}}},
        {600, {{1, 247}, {2, 247}, {0, 106}}},
        {256 * 247, {}},  // the largest transfer: 256 chunks, numbered 1 to 255 then 0
    };
    const Bytes data = [] {
        Bytes d(256 * 247);
        for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 31);
        return d;
    }();
    for (const auto& c : cases) {
        fw->clearFrames();
        std::uint16_t w = c.length;
        EXPECT_EQ(UpdateIFD(0, 0, &w, data.data()), 0u) << c.length;
        const auto f = frames();
        Bytes sent;
        for (const auto& fr : f) {
            EXPECT_EQ(fr.plain[0], 0x03);
            sent.insert(sent.end(), fr.data.begin(), fr.data.end());
        }
        EXPECT_EQ(sent, Bytes(data.begin(), data.begin() + c.length)) << "chunks follow each other";
        if (c.chunks.empty()) {
            ASSERT_EQ(f.size(), 256u);
            EXPECT_EQ(f[254].p1, 255);
            EXPECT_EQ(f[255].p1, 0);
            continue;
        }
        ASSERT_EQ(f.size(), c.chunks.size()) << c.length;
        for (std::size_t i = 0; i < f.size(); ++i) {
            EXPECT_EQ(f[i].p1, c.chunks[i].first);
            EXPECT_EQ(f[i].n, c.chunks[i].second);
        }
    }
    // A chunk the reader refuses ends the transfer with its code.
    Reply refuse;
    refuse.rc = 0x22;
    fw->inject(refuse);
    fw->clearFrames();
    std::uint16_t w = 600;
    EXPECT_EQ(UpdateIFD(0, 0, &w, data.data()), 0x22u);
    EXPECT_EQ(frames().size(), 1u);
}

// A reply length L larger than the output must never be written past it.
TEST_F(Exports, RepliesLongerThanTheOutputAreCut) {
    open();
    Reply longReply;
    longReply.data = seq(255);
    const struct {
        const char* name;
        std::size_t size;  // bytes the export may write
        std::function<std::uint32_t(std::uint8_t*)> call;
    } cases[] = {
        {"GetCardId", 8, [](std::uint8_t* p) { return GetCardId(0, p); }},
        {"GetErrCode", 3, [](std::uint8_t* p) { return GetErrCode(0, p); }},
        {"ReadReaderDateTime", 6, [](std::uint8_t* p) { return ReadReaderDateTime(0, p); }},
        {"GetCardVer HC", 2, [](std::uint8_t* p) { return GetCardVer(0, 3, p); }},
        {"GetRandom", 8, [](std::uint8_t* p) { return GetRandom(0, 3, p); }},
        {"ReadRecord length 4", 4,
         [](std::uint8_t* p) {
             std::uint16_t w = 4;
             return ReadRecord(0, 3, 0, 1, 0, &w, 0, p);
         }},
        {"WriteRecord length 2", 2,
         [](std::uint8_t* p) {
             std::uint16_t w = 2;
             return WriteRecord(0, 3, 0, 1, 0, &w, 0, p);
         }},
        {"Select length 3", 3,
         [](std::uint8_t* p) {
             std::uint8_t b = 3;
             return Select(0, 3, 0, p, &b);
         }},
        {"ExtAuth length 1", 1,
         [](std::uint8_t* p) {
             std::uint8_t b = 1;
             return ExtAuth(0, 3, 0, 0, &b, p);
         }},
        {"putHCKey length 5", 5,
         [](std::uint8_t* p) {
             std::uint16_t w = 5;
             return putHCKey(0, 0, 0, &w, p);
         }},
        {"AuthSAM mode 2", 32,
         [](std::uint8_t* p) {
             std::uint16_t w;
             return AuthSAM(0, 2, &w, p);
         }},
        {"AuthSAM mode 1", 128,
         [](std::uint8_t* p) {
             std::uint16_t w;
             return AuthSAM(0, 1, &w, p);
         }},
        {"AuthHPC", 32,
         [](std::uint8_t* p) {
             std::uint16_t w;
             return AuthHPC(0, 0, &w, p);
         }},
        {"SignSAM", 128,
         [](std::uint8_t* p) {
             std::uint16_t w = 0;
             return SignSAM(0, &w, p);
         }},
        {"LoadApplet length 6", 6,
         [](std::uint8_t* p) {
             std::uint16_t w = 6;
             return LoadApplet(0, 2, 0, &w, p, 0);
         }},
    };
    Reply present;
    present.data = {0x00};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name).rfind("putHCKey", 0) == 0) fw->inject(present);  // presence check
        fw->inject(longReply);
        Bytes out(300, 0xEE);
        EXPECT_EQ(c.call(out.data()), 0u);
        EXPECT_EQ(std::count(out.begin() + static_cast<std::ptrdiff_t>(c.size), out.end(), 0xEE),
                  static_cast<std::ptrdiff_t>(300 - c.size))
            << "written past the output";
        EXPECT_NE(out[0], 0xEE);
    }
    // Renewal happened with the long date-time reply above: still in step.
    std::uint8_t id[8];
    EXPECT_EQ(GetCardId(0, id), 0u);
}

TEST_F(Exports, LengthOutputs) {
    open();
    Reply r;
    r.data = {0x61, 0x62};
    Bytes buf = seq(8);
    std::uint16_t w = 8;
    fw->inject(r);
    EXPECT_EQ(WriteRecord(0, 3, 0, 1, 0, &w, 0, buf.data()), 0u);
    EXPECT_EQ(w, 2) << "WriteRecord stores L";
    EXPECT_EQ(buf[0], 0x61);
    w = 8;
    fw->inject(r);
    EXPECT_EQ(WriteElement(0, 3, 0, 1, 0, &w, 0, buf.data()), 0u);
    EXPECT_EQ(w, 8) << "WriteElement leaves the length";
    Reply failed = r;
    failed.rc = 5;
    fw->inject(failed);
    w = 8;
    EXPECT_EQ(ReadRecord(0, 3, 0, 1, 0, &w, 0, buf.data()), 5u);
    EXPECT_EQ(w, 8) << "ReadRecord stores L only on success";
}

TEST_F(Exports, RecordsRoundTripThroughTheCard) {
    open();
    Bytes text = {'H', 'e', 'l', 'l', 'o', ',', ' ', 'c', 'a', 'r', 'd'};
    std::uint16_t w = static_cast<std::uint16_t>(text.size());
    ASSERT_EQ(WriteRecord(0, 3, 0, 0x05, 0x0102, &w, 0, text.data()), 0u);
    Bytes back(11, 0);
    w = 11;
    ASSERT_EQ(ReadRecord(0, 3, 0, 0x05, 0x0102, &w, 0, back.data()), 0u);
    EXPECT_EQ(w, 11);
    EXPECT_EQ(back, (Bytes{'H', 'e', 'l', 'l', 'o', ',', ' ', 'c', 'a', 'r', 'd'}));
}

}  // namespace
}  // namespace readertest
