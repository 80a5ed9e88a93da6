#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace vexmora {

// Whether two byte ranges share at least one byte.
inline bool Overlaps(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    std::less<const std::uint8_t*> before;
    return !a.empty() && !b.empty() && before(a.data(), b.data() + b.size()) &&
           before(b.data(), a.data() + a.size());
}

}  // namespace vexmora
