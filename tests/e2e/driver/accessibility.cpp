#include "driver/accessibility.h"

// After windows.h:
#include <oleacc.h>

#include "platform/win32/unique_resources.h"

namespace vexmora::e2e {
namespace {

// The strings and variants that the object hands out are the caller's to free.
struct OwnedString {
    BSTR text = nullptr;
    ~OwnedString() { SysFreeString(text); }
};
struct OwnedVariant {
    VARIANT value;
    OwnedVariant() { VariantInit(&value); }
    ~OwnedVariant() { VariantClear(&value); }
    long Number() const { return value.vt == VT_I4 ? value.lVal : 0; }
};

}  // namespace

std::optional<AccessibleControl> Accessible(HWND control) {
    const ComInitialization com;
    ComPtr<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(object.Receive()))) ||
        !object) {
        return std::nullopt;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    AccessibleControl seen;
    OwnedString name;
    if (object->get_accName(self, &name.text) == S_OK && name.text != nullptr) {
        seen.name.assign(name.text, SysStringLen(name.text));
    }
    OwnedVariant role;
    if (SUCCEEDED(object->get_accRole(self, &role.value))) {
        seen.role = role.Number();
    }
    OwnedVariant state;
    if (SUCCEEDED(object->get_accState(self, &state.value))) {
        seen.state = state.Number();
    }
    return seen;
}

}  // namespace vexmora::e2e
