#include "ui/paths.h"

namespace vexmora {

std::u16string ExtensionOf(std::u16string_view path) {
    for (std::size_t i = path.size(); i-- > 1;) {
        const char16_t c = path[i];
        if (c == u'/' || c == u'\\' || c == u' ') {
            return {};
        }
        if (c == u'.') {
            const char16_t before = path[i - 1];
            if (before == u'/' || before == u'\\') {
                return {};
            }
            const std::u16string_view rest = path.substr(i + 1);
            return std::u16string(rest.substr(0, rest.find(u'"')));
        }
    }
    return {};
}

bool IsContainerName(std::u16string_view path) {
    constexpr std::u16string_view kSuffix = u".vx";
    if (path.size() <= kSuffix.size()) {
        return false;
    }
    const std::u16string_view tail = path.substr(path.size() - kSuffix.size());
    const char16_t before = path[path.size() - kSuffix.size() - 1];
    if (before == u'\\' || before == u'/') {
        return false;  // ".vx" alone is a name without an extension
    }
    return tail[0] == u'.' && (tail[1] | 0x20) == u'v' && (tail[2] | 0x20) == u'x';
}

std::u16string FolderOf(std::u16string_view path) {
    if (!path.empty() && path.front() == u'"') {
        path.remove_prefix(1);
    }
    path = path.substr(0, path.find(u'|'));
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? std::u16string()
                                                  : std::u16string(path.substr(0, separator + 1));
}

bool IsValidFileName(std::u16string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char16_t c : name) {
        if (c < 32 || std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace vexmora
