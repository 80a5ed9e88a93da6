#include "platform/device_names.h"

#include <array>

namespace vexmora {
namespace {

constexpr char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameLetters(std::u16string_view name, std::u16string_view reserved) {
    if (name.size() != reserved.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (Upper(name[i]) != reserved[i]) {
            return false;
        }
    }
    return true;
}

bool IsPortDigit(char16_t c) {
    return (c >= u'1' && c <= u'9') || c == u'\u00b9' || c == u'\u00b2' || c == u'\u00b3';
}

}  // namespace

bool IsDeviceName(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"\\/");
    std::u16string_view name =
        separator == std::u16string_view::npos ? path : path.substr(separator + 1);
    // "C:NUL" and "NUL:" name the device as well; a colon elsewhere makes no device name.
    if (name.size() >= 2 && name[1] == u':') {
        name.remove_prefix(2);
    }
    name = name.substr(0, name.find_first_of(u".:"));
    while (!name.empty() && name.back() == u' ') {
        name.remove_suffix(1);
    }
    static constexpr std::array<std::u16string_view, 6> kPlain = {u"CON", u"PRN",    u"AUX",
                                                                  u"NUL", u"CONIN$", u"CONOUT$"};
    for (std::u16string_view reserved : kPlain) {
        if (SameLetters(name, reserved)) {
            return true;
        }
    }
    return name.size() == 4 && IsPortDigit(name[3]) &&
           (SameLetters(name.substr(0, 3), u"COM") || SameLetters(name.substr(0, 3), u"LPT"));
}

}  // namespace vexmora
