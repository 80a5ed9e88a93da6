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
    std::u16string name(path);
    name += u".";
    for (std::uint8_t b : random) {
        name += kDigits[b >> 4];
        name += kDigits[b & 15];
    }
    name += u".tmp";
    return name;
}

}  // namespace vexmora
