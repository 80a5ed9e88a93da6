#include "jobs/temporary_path.h"

#include <cstdint>

#include "crypto/random.h"

namespace vexmora {

std::u16string TemporaryPathBeside(std::u16string_view path) {
    std::uint8_t random[4];
    if (!SystemRandomBytes(random)) {
        RandomBytes(random);
    }
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    const std::size_t separator = path.find_last_of(u"\\/");
    std::u16string name(separator != std::u16string_view::npos ? path.substr(0, separator + 1)
                        : path.size() >= 2 && path[1] == u':'  ? path.substr(0, 2)
                                                               : std::u16string_view());
    name += u"~vx";
    for (std::uint8_t b : random) {
        name += kDigits[b >> 4];
        name += kDigits[b & 15];
    }
    name += u".tmp";
    return name;
}

}  // namespace vexmora
