// Erasing secrets (keys, key copies, key schedules, password bytes) before their memory is
// released, in a way the optimiser may not remove.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora {

// Overwrites the bytes with zeros; the stores are kept even when the memory is freed right after.
void Wipe(void* data, std::size_t size);

template <typename T, std::size_t N>
void Wipe(std::span<T, N> data) {
    Wipe(data.data(), data.size_bytes());
}

// An allocator that wipes every block it releases, so a vector of secret bytes leaves nothing
// behind, also when it grows and moves.
template <typename T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <typename U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, std::size_t n) {
        Wipe(p, n * sizeof(T));
        std::allocator<T>{}.deallocate(p, n);
    }
    friend bool operator==(const WipingAllocator&, const WipingAllocator&) { return true; }
};

using SecretBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

// A fixed-size secret that wipes itself when it goes away. Copies wipe themselves too.
template <std::size_t N>
class SecretArray {
  public:
    SecretArray() = default;
    SecretArray(const SecretArray&) = default;
    SecretArray& operator=(const SecretArray&) = default;
    ~SecretArray() { Wipe(bytes_.data(), bytes_.size()); }

    std::span<std::uint8_t, N> span() { return bytes_; }
    std::span<const std::uint8_t, N> span() const { return bytes_; }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return N; }
    std::uint8_t& operator[](std::size_t i) { return bytes_[i]; }
    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
    friend bool operator==(const SecretArray&, const SecretArray&) = default;

  private:
    std::array<std::uint8_t, N> bytes_{};
};

// A text (a password) that wipes its code units when it goes away. A std::u16string handed to it
// is wiped at once, also in its short-string buffer, which no allocator ever sees; moves and
// copies leave nothing behind either.
class SecretText {
  public:
    SecretText() = default;
    explicit SecretText(std::u16string&& text) : text_(text) { WipeString(text); }
    SecretText(const SecretText& other) : text_(other.text_) {}
    SecretText(SecretText&& other) noexcept : text_(other.text_) { WipeString(other.text_); }
    SecretText& operator=(const SecretText& other) {
        if (this != &other) {
            WipeString(text_);
            text_ = other.text_;
        }
        return *this;
    }
    SecretText& operator=(SecretText&& other) noexcept {
        if (this != &other) {
            WipeString(text_);
            text_ = other.text_;
            WipeString(other.text_);
        }
        return *this;
    }
    ~SecretText() { WipeString(text_); }

    std::u16string_view view() const { return text_; }
    // The code units as bytes, in the machine's order.
    std::span<const std::uint8_t> bytes() const {
        return {reinterpret_cast<const std::uint8_t*>(text_.data()),
                text_.size() * sizeof(char16_t)};
    }

  private:
    static void WipeString(std::u16string& text) {
        Wipe(text.data(), text.capacity() * sizeof(char16_t));
        text.clear();
    }

    std::u16string text_;
};

}  // namespace vexmora
