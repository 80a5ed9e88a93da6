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

// Walks the multiplicative group with the generator 3: p runs through all non-zero elements while
// q = p^-1 runs backwards, so each step gives one inverse for the affine map.
constexpr std::array<std::uint8_t, 256> MakeSbox() {
    std::array<std::uint8_t, 256> box{};
    std::uint8_t p = 1, q = 1;
    do {
        p = static_cast<std::uint8_t>(p ^ Xtime(p));  // p * 3
        q = static_cast<std::uint8_t>(q ^ (q << 1));  // q / 3
        q = static_cast<std::uint8_t>(q ^ (q << 2));
        q = static_cast<std::uint8_t>(q ^ (q << 4));
        if (q & 0x80) {
            q ^= 0x09;
        }
        const std::uint8_t affine =
            q ^ std::rotl(q, 1) ^ std::rotl(q, 2) ^ std::rotl(q, 3) ^ std::rotl(q, 4);
        box[p] = static_cast<std::uint8_t>(affine ^ 0x63);
    } while (p != 1);
    box[0] = 0x63;  // 0 has no inverse; the affine map of 0
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
