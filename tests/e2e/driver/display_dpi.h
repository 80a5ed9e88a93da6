// The DPI that the program sees, and the program's rule for scaling its layout.
#pragma once

#include <windows.h>

#include "driver/user_settings.h"

namespace vexmora::e2e {

// Wine takes a new process's DPI from HKCU\Control Panel\Desktop\LogPixels when the process
// starts, so processes started while this object lives see `dpi`.
class ScopedLogPixels : public ScopedUserDword {
  public:
    explicit ScopedLogPixels(DWORD dpi)
        : ScopedUserDword(L"Control Panel\\Desktop", L"LogPixels", dpi) {}
};

// value * dpi / 96 rounded to the nearest integer, exact halves to the even neighbour.
int Scaled(int value, int dpi);

}  // namespace vexmora::e2e
