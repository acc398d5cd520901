// DES against published known-answer vectors, and against OpenSSL's DES.

#define OPENSSL_SUPPRESS_DEPRECATED
#include "des.h"

#include <gtest/gtest.h>
#include <openssl/des.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

std::array<std::uint8_t, 8> hex(const std::string& s) {
    std::array<std::uint8_t, 8> out{};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(std::stoul(s.substr(2 * i, 2), nullptr, 16));
    return out;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// From the standard's validation sets (variable plaintext, variable key,
// permutation and substitution tables) and the classic worked examples.
constexpr Vector kVectors[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
};

TEST(Des, KnownAnswersBothWays) {
    for (const auto& v : kVectors) {
        SCOPED_TRACE(v.key);
        reader::DesKeySchedule s;
        s.setKey(hex(v.key).data());
        const auto plain = hex(v.plain);
        const auto cipher = hex(v.cipher);
        std::array<std::uint8_t, 8> out;
        s.encrypt(plain.data(), out.data());
        EXPECT_EQ(out, cipher);
        s.decrypt(cipher.data(), out.data());
        EXPECT_EQ(out, plain);
    }
}

TEST(Des, ParityBitsDoNotMatter) {
    auto key = hex("133457799BBCDFF1");
    reader::DesKeySchedule a, b;
    a.setKey(key.data());
    for (auto& k : key) k ^= 1;
    b.setKey(key.data());
    const auto plain = hex("0123456789ABCDEF");
    std::uint8_t x[8], y[8];
    a.encrypt(plain.data(), x);
    b.encrypt(plain.data(), y);
    EXPECT_EQ(0, memcmp(x, y, 8));
}

TEST(Des, MatchesOpenSslOnRandomKeysAndBlocks) {
    std::mt19937 rng(20261210);
    for (int i = 0; i < 2000; ++i) {
        DES_cblock key, in, expected;
        for (auto& b : key) b = static_cast<unsigned char>(rng());
        for (auto& b : in) b = static_cast<unsigned char>(rng());
        DES_key_schedule ks;
        DES_set_key_unchecked(&key, &ks);
        DES_ecb_encrypt(&in, &expected, &ks, DES_ENCRYPT);

        reader::DesKeySchedule ours;
        ours.setKey(key);
        std::uint8_t out[8], back[8];
        ours.encrypt(in, out);
        ASSERT_EQ(0, memcmp(out, expected, 8)) << "block " << i;
        ours.decrypt(out, back);
        ASSERT_EQ(0, memcmp(back, in, 8)) << "block " << i;
    }
}

}  // namespace
