// Erasing secrets (keys, key copies, key schedules, password bytes) before their memory is
// released, in a way the optimiser may not remove.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
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

}  // namespace vexmora
