// What a screen reader learns about a control of another process through Microsoft Active
// Accessibility: the name, role and state of the control's client object, as
// AccessibleObjectFromWindow(OBJID_CLIENT) hands it out.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vexmora::e2e {

struct AccessibleControl {
    std::wstring name;  // empty when the object reports none
    long role = 0;      // ROLE_SYSTEM_..., 0 when it reports none
    long state = 0;     // STATE_SYSTEM_... bits
};

// The control's accessible object as seen now; empty when the system gives none.
std::optional<AccessibleControl> Accessible(HWND control);

}  // namespace vexmora::e2e
