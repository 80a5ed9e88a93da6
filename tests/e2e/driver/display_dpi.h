// The DPI that the program sees, and the program's rule for scaling its layout.
#pragma once

#include <windows.h>

#include <optional>

namespace vexmora::e2e {

// Wine takes a new process's DPI from HKCU\Control Panel\Desktop\LogPixels when the process
// starts, so processes started while this object lives see `dpi`. The previous value (or its
// absence) is restored by the destructor.
class ScopedLogPixels {
  public:
    explicit ScopedLogPixels(DWORD dpi);
    ScopedLogPixels(const ScopedLogPixels&) = delete;
    ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;
    ~ScopedLogPixels();

  private:
    std::optional<DWORD> previous_;
};

// The current LogPixels value, if set.
std::optional<DWORD> ReadLogPixels();
void WriteLogPixels(std::optional<DWORD> dpi);

// value * dpi / 96 rounded to the nearest integer, exact halves to the even neighbour.
int Scaled(int value, int dpi);

}  // namespace vexmora::e2e
