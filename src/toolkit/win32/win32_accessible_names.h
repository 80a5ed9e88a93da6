// The names that screen readers give the controls whose own text does not name them, attached
// through Dynamic Annotation: the system's accessibility proxy for the control then reports
// this name instead of the one it would derive.
//
// The proxy's own rule names a field, an editor or a bar after the static text created right
// before it, so every such control also gets a label there (see ControlKind::FieldLabel); the
// names here are the documented way on top of that, and where the system has no annotation
// service (Wine 8 answers E_NOTIMPL) the labels alone name the controls.
#pragma once

#include <windows.h>
// After windows.h:
#include <oleacc.h>

#include <string_view>

#include "platform/win32/unique_resources.h"

namespace vexmora {

class AccessibleNames {
  public:
    // Gives `control` the name `name` (replacing an earlier one); an empty name takes it back.
    // The service is made on first use (COM must be initialised on this thread); where it
    // cannot be made or refuses, this and every later call does nothing.
    void Name(HWND control, std::u16string_view name);
    // Takes back the name of a control that goes away, so that the service lets go of it.
    void Forget(HWND control);

  private:
    IAccPropServices* Services();

    ComPtr<IAccPropServices> services_;
    bool tried_ = false;
};

}  // namespace vexmora
