// While a system dialog or message box is open, the program's other visible windows on this
// thread are disabled (except the foreground window, the dialog's owner, which the system's modal
// loop takes care of) and topmost ones leave the topmost band. The destructor undoes exactly what
// the constructor changed.
#pragma once

#include <windows.h>

#include <vector>

namespace vexmora {

class ModalGuard {
  public:
    ModalGuard();
    ~ModalGuard();
    ModalGuard(const ModalGuard&) = delete;
    ModalGuard& operator=(const ModalGuard&) = delete;

  private:
    struct Record {
        HWND window;
        bool topmost;
        bool disabled;
    };
    static BOOL CALLBACK Visit(HWND window, LPARAM self);

    std::vector<Record> records_;
};

// The foreground window when it belongs to this process (a dialog's owner), otherwise none.
HWND ForegroundWindowOfThisProcess();

}  // namespace vexmora
