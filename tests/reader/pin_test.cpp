// VerifyPIN's one plain answer byte and GetVerifyPINKey's decision table.

#include "reader_fixture.h"

namespace readertest {
namespace {

using readerfw::Bytes;
using Block = std::array<std::uint8_t, 8>;

class Pin : public ReaderOnPty {};

TEST_F(Pin, VerifyPinReturnsTheReadersByte) {
    open();
    for (std::uint8_t answer : {0x00, 0x03, 0x90, 0xFF}) {
        fw->setPinAnswer(answer);
        EXPECT_EQ(VerifyPIN(0, 3, 1), answer);
    }
    readerfw::Reply silent;
    silent.silent = true;
    fw->inject(silent);
    EXPECT_EQ(VerifyPIN(0, 3, 1), 255u);
}

TEST_F(Pin, VerifyPinKeyTable) {
    open();
    const struct {
        const char* name;
        std::vector<Block> blocks;  // what the reader sends, before encryption
        std::uint32_t result;
        Bytes record;  // the output record afterwards (0xEE: untouched)
        bool pauses;
    } cases[] = {
        {"nothing arrives", {}, 0x80, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
        {"0x80 with B1 0",
         {{0x80, 0, 9}},
         0x80,
         {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE},
         true},
        {"0x80 with B1 set",
         {{0x80, 1, 9}},
         0x80,
         {9, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE},
         true},
        {"key in two blocks",
         {{0, 8, 1, 2, 3, 4, 5, 6}, {7, 8, 0x77, 0x77}},
         0,
         {1, 2, 3, 4, 5, 6, 7, 8},
         false},
        {"second block missing",
         {{0, 8, 1, 2, 3, 4, 5, 6}},
         0x80,
         {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE},
         true},
        {"0 with B1 not 8", {{0, 7}}, 0, {0xFF, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, false},
        {"B0 3", {{3}}, 3, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
        {"B0 6", {{6}}, 3, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
        {"B0 4", {{4}}, 4, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
        {"B0 5", {{5}}, 5, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
        {"other B0", {{0x42}}, 0x80, {0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.blocks.empty()) fw->sendBlocks(c.blocks);
        usleep(20000);  // let the blocks reach the line
        Bytes record(8, 0xEE);
        const auto slept = clock.slept();
        EXPECT_EQ(GetVerifyPINKey(0, record.data()), c.result);
        EXPECT_EQ(record, c.record);
        EXPECT_EQ(clock.slept() - slept, c.pauses ? 1 : 0);
    }
}

}  // namespace
}  // namespace readertest
