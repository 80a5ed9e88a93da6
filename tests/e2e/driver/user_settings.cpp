#include "driver/user_settings.h"

#include <stdexcept>

#include "driver/unique_handle.h"

namespace vexmora::e2e {
namespace {

std::optional<DWORD> Read(const std::wstring& keyName, const std::wstring& name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

void Write(const std::wstring& keyName, const std::wstring& name, std::optional<DWORD> value) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open a key under HKEY_CURRENT_USER");
    }
    if (value) {
        const DWORD data = *value;
        if (RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&data), sizeof(data)) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot set a value under HKEY_CURRENT_USER");
        }
    } else {
        RegDeleteValueW(key.Get(), name.c_str());
    }
}

}  // namespace

ScopedUserDword::ScopedUserDword(std::wstring key, std::wstring name, std::optional<DWORD> value)
    : key_(std::move(key)), name_(std::move(name)), previous_(Read(key_, name_)) {
    Write(key_, name_, value);
}

void ScopedUserDword::Set(std::optional<DWORD> value) {
    Write(key_, name_, value);
}

ScopedUserDword::~ScopedUserDword() {
    try {
        Write(key_, name_, previous_);
    } catch (...) {
        // Nothing more can be done in a destructor; the next run sets its own value anyway.
    }
}

}  // namespace vexmora::e2e
