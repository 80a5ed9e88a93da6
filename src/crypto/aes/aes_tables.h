// The tables of a table-driven AES (FIPS-197), computed at compile time from the field arithmetic
// rather than typed in, so a wrong entry cannot hide in a page of hex.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace vexmora::aes {

constexpr std::uint8_t Xtime(std::uint8_t x) {
    return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
    std::uint8_t product = 0;
    while (b != 0) {
        if (b & 1) {
            product ^= a;
        }
        a = Xtime(a);
        b >>= 1;
    }
    return product;
}

constexpr std::array<std::uint8_t, 256> MakeSbox() {
    std::array<std::uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        // The multiplicative inverse is x^254; 0 maps to 0.
        std::uint8_t inverse = 1;
        for (int i = 0; i < 254; ++i) {
            inverse = Multiply(inverse, static_cast<std::uint8_t>(x));
        }
        if (x == 0) {
            inverse = 0;
        }
        std::uint8_t b = inverse;
        std::uint8_t s = b ^ std::rotl(b, 1) ^ std::rotl(b, 2) ^ std::rotl(b, 3) ^ std::rotl(b, 4);
        box[x] = static_cast<std::uint8_t>(s ^ 0x63);
    }
    return box;
}

constexpr std::array<std::uint8_t, 256> kSbox = MakeSbox();

constexpr std::array<std::uint8_t, 256> MakeInverseSbox() {
    std::array<std::uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        box[kSbox[x]] = static_cast<std::uint8_t>(x);
    }
    return box;
}

constexpr std::array<std::uint8_t, 256> kInverseSbox = MakeInverseSbox();

constexpr std::uint32_t Word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return (std::uint32_t{b0} << 24) | (std::uint32_t{b1} << 16) | (std::uint32_t{b2} << 8) |
           std::uint32_t{b3};
}

// Round table `index` is table 0 rotated right by 8 * index bits.
template <int Index>
constexpr std::array<std::uint32_t, 256> MakeEncryptionTable() {
    std::array<std::uint32_t, 256> table{};
    for (int x = 0; x < 256; ++x) {
        std::uint8_t s = kSbox[x];
        std::uint32_t column = Word(Multiply(s, 2), s, s, Multiply(s, 3));
        table[x] = std::rotr(column, 8 * Index);
    }
    return table;
}

template <int Index>
constexpr std::array<std::uint32_t, 256> MakeDecryptionTable() {
    std::array<std::uint32_t, 256> table{};
    for (int x = 0; x < 256; ++x) {
        std::uint8_t s = kInverseSbox[x];
        std::uint32_t column =
            Word(Multiply(s, 14), Multiply(s, 9), Multiply(s, 13), Multiply(s, 11));
        table[x] = std::rotr(column, 8 * Index);
    }
    return table;
}

constexpr std::array<std::array<std::uint32_t, 256>, 4> kEncryptionTables = {
    MakeEncryptionTable<0>(), MakeEncryptionTable<1>(), MakeEncryptionTable<2>(),
    MakeEncryptionTable<3>()};

constexpr std::array<std::array<std::uint32_t, 256>, 4> kDecryptionTables = {
    MakeDecryptionTable<0>(), MakeDecryptionTable<1>(), MakeDecryptionTable<2>(),
    MakeDecryptionTable<3>()};

constexpr std::array<std::uint32_t, 10> kRoundConstants = {
    0x01000000, 0x02000000, 0x04000000, 0x08000000, 0x10000000,
    0x20000000, 0x40000000, 0x80000000, 0x1B000000, 0x36000000};

}  // namespace vexmora::aes
