// Frame layout before encryption: header bits, little-endian length, 0xAA padding.

#include "frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> built(const reader::Command& c) {
    const int n = reader::BuildFrame(c);
    if (n < 0) return {};
    const int padded = (n + 7) / 8 * 8;
    return {reader::frameBuffer(), reader::frameBuffer() + padded};
}

TEST(Frame, HeaderLengthAndPadding) {
    const std::uint8_t data[4] = {1, 2, 3, 4};
    struct Case {
        reader::Command c;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        // N = 3 fills one block exactly; N = 4 needs seven padding bytes.
        {{false, 1, 9, 0x12, 0x20, data, 3}, {0x29, 0x12, 3, 0, 0x20, 1, 2, 3}},
        {{true, 3, 5, 1, 16, data, 4},
         {0xE5, 1, 4, 0, 16, 1, 2, 3, 4, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {{true, 0, 30, 7, 0, nullptr, 0}, {0x9E, 7, 0, 0, 0, 0xAA, 0xAA, 0xAA}},
        // The command code keeps to its 5 bits.
        {{false, 2, 0x3F, 0, 1, nullptr, 0}, {0x5F, 0, 0, 0, 1, 0xAA, 0xAA, 0xAA}},
    };
    for (const auto& k : cases) EXPECT_EQ(built(k.c), k.expected);
}

TEST(Frame, PaddingIsLaidAgainBeforeEveryFrame) {
    std::vector<std::uint8_t> big(200, 0x00);
    reader::Command c;
    c.data = big.data();
    c.n = big.size();
    ASSERT_EQ(reader::BuildFrame(c), 205);
    c.n = 4;
    ASSERT_EQ(reader::BuildFrame(c), 9);
    for (int i = 9; i < 16; ++i) EXPECT_EQ(reader::frameBuffer()[i], 0xAA) << i;
}

TEST(Frame, LengthFieldIsLittleEndianAndFramesStopAt256Bytes) {
    std::vector<std::uint8_t> data(300, 0x11);
    reader::Command c;
    c.data = data.data();
    c.n = 251;
    ASSERT_EQ(reader::BuildFrame(c), 256);
    EXPECT_EQ(reader::frameBuffer()[2], 251);
    EXPECT_EQ(reader::frameBuffer()[3], 0);
    c.n = 252;
    EXPECT_EQ(reader::BuildFrame(c), -1);
    c.n = 0x0100 + 251;
    EXPECT_EQ(reader::BuildFrame(c), -1);
}

}  // namespace
