// Dynamic Annotation of a control's name: IAccPropServices::SetHwndPropStr with PROPID_ACC_NAME
// on the control's client object,
// https://learn.microsoft.com/en-us/windows/win32/api/oleacc/nf-oleacc-iaccpropservices-sethwndpropstr
// and, when the control goes, ClearHwndProps, which releases what the service holds for it:
// https://learn.microsoft.com/en-us/windows/win32/api/oleacc/nf-oleacc-iaccpropservices-clearprops
#include "toolkit/win32/win32_accessible_names.h"

#include "platform/win32/wide_string.h"

namespace vexmora {

IAccPropServices* AccessibleNames::Services() {
    // Made through COM, not imported (the identities come from libuuid): the program starts
    // also where oleacc.dll is missing.
    if (!tried_) {
        tried_ = true;
        CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                         reinterpret_cast<void**>(services_.Receive()));
    }
    return services_.Get();
}

void AccessibleNames::Name(HWND control, std::u16string_view name) {
    IAccPropServices* services = Services();
    if (services == nullptr || control == nullptr) {
        return;
    }
    if (name.empty()) {
        Forget(control);
        return;
    }
    const std::wstring text = ToWide(name);
    if (FAILED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        PROPID_ACC_NAME, text.c_str()))) {
        // A service that cannot annotate (Wine's) will not learn it later: the labels name the
        // controls from now on.
        services_.Reset();
    }
}

void AccessibleNames::Forget(HWND control) {
    if (services_ && control != nullptr) {
        MSAAPROPID property = PROPID_ACC_NAME;
        services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  &property, 1);
    }
}

}  // namespace vexmora
