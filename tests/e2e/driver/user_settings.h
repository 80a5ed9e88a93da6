// The current user's settings that the program reads, set for a test and put back after it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vexmora::e2e {

// A DWORD under HKEY_CURRENT_USER, set while this object lives (nullopt: the value removed). The
// previous value, or its absence, is restored by the destructor.
class ScopedUserDword {
  public:
    ScopedUserDword(std::wstring key, std::wstring name, std::optional<DWORD> value);
    ScopedUserDword(const ScopedUserDword&) = delete;
    ScopedUserDword& operator=(const ScopedUserDword&) = delete;
    ~ScopedUserDword();

    // Sets another value (throws std::runtime_error when the registry refuses).
    void Set(std::optional<DWORD> value);

  private:
    std::wstring key_;
    std::wstring name_;
    std::optional<DWORD> previous_;
};

}  // namespace vexmora::e2e
