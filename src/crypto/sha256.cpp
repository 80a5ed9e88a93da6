#include "crypto/sha256.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "crypto/wipe.h"

namespace vexmora {
namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<std::uint32_t, 8> kInitialHash = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

std::uint8_t* BlockBytes(Sha256Context& context) {
    return reinterpret_cast<std::uint8_t*>(context.schedule.data());
}

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

}  // namespace

Sha256Context::~Sha256Context() {
    Wipe(this, sizeof(*this));
}

void Sha256Start(Sha256Context& context) {
    context.totalLength = 0;
    context.pending = 0;
    context.state = kInitialHash;
    context.schedule.fill(0);
}

void Sha256Compress(Sha256Context& context) {
    auto& w = context.schedule;
    const std::uint8_t* bytes = BlockBytes(context);
    for (int t = 0; t < 16; ++t) {
        w[t] = LoadBigEndian(bytes + 4 * t);
    }
    for (int t = 16; t < 64; ++t) {
        std::uint32_t s0 = std::rotr(w[t - 15], 7) ^ std::rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
        std::uint32_t s1 = std::rotr(w[t - 2], 17) ^ std::rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = context.state;
    for (int t = 0; t < 64; ++t) {
        std::uint32_t sum1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        std::uint32_t choose = (e & f) ^ (~e & g);
        std::uint32_t t1 = h + sum1 + choose + kRoundConstants[t] + w[t];
        std::uint32_t sum0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        std::uint32_t t2 = sum0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    auto& s = context.state;
    s[0] += a;
    s[1] += b;
    s[2] += c;
    s[3] += d;
    s[4] += e;
    s[5] += f;
    s[6] += g;
    s[7] += h;
}

void Sha256Add(Sha256Context& context, std::span<const std::uint8_t> data) {
    context.totalLength += static_cast<std::int64_t>(data.size());
    std::uint8_t* block = BlockBytes(context);
    if (context.pending > 0) {
        auto take =
            std::min<std::size_t>(64 - static_cast<std::size_t>(context.pending), data.size());
        std::copy_n(data.begin(), take, block + context.pending);
        data = data.subspan(take);
        context.pending += static_cast<std::int64_t>(take);
        if (context.pending < 64) {
            return;
        }
        Sha256Compress(context);
        context.pending = 0;
    }
    while (data.size() >= 64) {
        std::copy_n(data.begin(), 64, block);
        Sha256Compress(context);
        data = data.subspan(64);
    }
    if (!data.empty()) {
        std::copy(data.begin(), data.end(), block);
        context.pending = static_cast<std::int64_t>(data.size());
    }
}

Sha256Digest Sha256Finish(Sha256Context& context) {
    std::uint8_t* block = BlockBytes(context);
    auto pending = static_cast<std::size_t>(context.pending);
    std::memset(block + pending, 0, 64 - pending);
    block[pending] = 0x80;
    if (pending >= 56) {
        Sha256Compress(context);
        std::memset(block, 0, 64);
    }
    auto bits = static_cast<std::uint64_t>(context.totalLength) * 8;
    for (int i = 0; i < 8; ++i) {
        block[63 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    Sha256Compress(context);

    Sha256Digest digest;
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 4; ++k) {
            digest[4 * i + k] = static_cast<std::uint8_t>(context.state[i] >> (24 - 8 * k));
        }
    }
    Wipe(&context, sizeof(context));
    return digest;
}

Sha256Digest Sha256(std::span<const std::uint8_t> data, std::int64_t length) {
    if (length >= 0 && static_cast<std::uint64_t>(length) < data.size()) {
        data = data.first(static_cast<std::size_t>(length));
    } else if (length < -1) {
        data = {};
    }
    Sha256Context context;
    Sha256Start(context);
    Sha256Add(context, data);
    return Sha256Finish(context);
}

}  // namespace vexmora
