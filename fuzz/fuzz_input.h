// Reading structured values off a fuzzer's input, front to back; once the bytes run out every
// read gives zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace vexmora::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    std::uint8_t Byte() {
        if (bytes_.empty()) {
            return 0;
        }
        std::uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    std::uint32_t Word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            w = (w << 8) | Byte();
        }
        return w;
    }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        n = std::min(n, bytes_.size());
        std::vector<std::uint8_t> out(bytes_.begin(),
                                      bytes_.begin() + static_cast<std::ptrdiff_t>(n));
        bytes_ = bytes_.subspan(n);
        return out;
    }
    std::vector<std::uint8_t> Rest() { return Bytes(bytes_.size()); }
    bool Empty() const { return bytes_.empty(); }

    // Cut points that split `size` bytes into pieces (empty pieces allowed), read from the input.
    std::vector<std::size_t> Split(std::size_t size) {
        std::vector<std::size_t> pieces;
        std::size_t left = size;
        while (left > 0 && !bytes_.empty()) {
            std::size_t piece =
                std::min<std::size_t>(left, Byte() % 64 == 63 ? Word() % 70000 : Byte());
            pieces.push_back(piece);
            left -= piece;
        }
        if (left > 0) {
            pieces.push_back(left);
        }
        return pieces;
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Stops the run with a message that names the broken property.
[[noreturn]] inline void Violated(const char* property) {
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
}

inline void Check(bool holds, const char* property) {
    if (!holds) {
        Violated(property);
    }
}

}  // namespace vexmora::fuzz
