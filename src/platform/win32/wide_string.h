// The one conversion between the program's UTF-16 strings and Win32's wchar_t strings. Both are
// UTF-16 code units on Windows, so the conversion copies units unchanged: unpaired surrogates
// and embedded nulls pass through as they are.
#pragma once

#include <string>
#include <string_view>

namespace vexmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 strings are UTF-16");

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// The program's text as a null-terminated Win32 string, valid as long as text is.
inline const wchar_t* WideCStr(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace vexmora
