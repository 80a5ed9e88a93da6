#include "driver/display_dpi.h"

#include <stdexcept>

#include "driver/unique_handle.h"

namespace vexmora::e2e {

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

}  // namespace

std::optional<DWORD> ReadLogPixels() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (RegQueryValueExW(key.Get(), kLogPixels, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

void WriteLogPixels(std::optional<DWORD> dpi) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open HKCU\\Control Panel\\Desktop");
    }
    if (dpi) {
        DWORD value = *dpi;
        if (RegSetValueExW(key.Get(), kLogPixels, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&value), sizeof(value)) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot set LogPixels");
        }
    } else {
        RegDeleteValueW(key.Get(), kLogPixels);
    }
}

ScopedLogPixels::ScopedLogPixels(DWORD dpi) : previous_(ReadLogPixels()) {
    WriteLogPixels(dpi);
}

ScopedLogPixels::~ScopedLogPixels() {
    try {
        WriteLogPixels(previous_);
    } catch (...) {
        // Nothing more can be done in a destructor; the next run sets its own value anyway.
    }
}

int Scaled(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    long long quotient = product / 96;
    const long long twiceRest = (product % 96) * 2;
    if (twiceRest > 96 || (twiceRest == 96 && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

}  // namespace vexmora::e2e
