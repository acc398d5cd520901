#pragma once
// DES block cipher (FIPS 46-3), used block by block in electronic-codebook mode.

#include <array>
#include <cstdint>

namespace reader {

using DesBlock = std::array<std::uint8_t, 8>;

class DesKeySchedule {
  public:
    // Computes the 16 round keys of an 8-byte key; the parity bits are ignored.
    void setKey(const std::uint8_t key[8]);
    void clear() { roundKeys_.fill(0); }
    void encrypt(const std::uint8_t in[8], std::uint8_t out[8]) const;
    void decrypt(const std::uint8_t in[8], std::uint8_t out[8]) const;

  private:
    void crypt(const std::uint8_t in[8], std::uint8_t out[8], bool decrypting) const;
    std::array<std::uint64_t, 16> roundKeys_{};  // 48 bits each
};

}  // namespace reader
