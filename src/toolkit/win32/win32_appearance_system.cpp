#include "toolkit/win32/win32_appearance_system.h"

// After windows.h:
#include <uxtheme.h>

namespace vexmora {
namespace {

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::optional<std::uint32_t> Win32AppearanceSystem::AppsUseLightTheme() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(
            HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
            L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool Win32AppearanceSystem::HighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != FALSE &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

std::uint32_t Win32AppearanceSystem::SystemBuild() {
    // GetVersionEx answers what the manifest allows it to; ntdll tells the truth.
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion =
        Lookup<GetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (getVersion == nullptr || getVersion(&version) != 0 || version.dwMajorVersion < 10) {
        return 0;
    }
    return version.dwBuildNumber;
}

bool Win32AppearanceSystem::SetWindowAttribute(Window window, std::uint32_t attribute, bool on) {
    if (!dwmTried_) {
        dwmTried_ = true;
        dwm_.Reset(LoadLibraryW(L"dwmapi.dll"));
        setWindowAttribute_ =
            Lookup<SetWindowAttributeFunction>(dwm_.Get(), "DwmSetWindowAttribute");
    }
    if (setWindowAttribute_ == nullptr) {
        return false;
    }
    const BOOL value = on ? TRUE : FALSE;
    return SUCCEEDED(
        setWindowAttribute_(static_cast<HWND>(window), attribute, &value, sizeof(value)));
}

bool Win32AppearanceSystem::ResolveDarkModeOrdinals() {
    uxtheme_.Reset(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const HMODULE module = uxtheme_.Get();
    const auto byOrdinal = [module](WORD ordinal) {
        return module == nullptr ? nullptr : GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    };
    setPreferredAppMode_ =
        reinterpret_cast<SetPreferredAppModeFunction>(reinterpret_cast<void*>(byOrdinal(135)));
    allowDarkModeForWindow_ =
        reinterpret_cast<AllowDarkModeForWindowFunction>(reinterpret_cast<void*>(byOrdinal(133)));
    flushMenuThemes_ =
        reinterpret_cast<FlushMenuThemesFunction>(reinterpret_cast<void*>(byOrdinal(136)));
    if (setPreferredAppMode_ == nullptr || allowDarkModeForWindow_ == nullptr ||
        flushMenuThemes_ == nullptr) {
        setPreferredAppMode_ = nullptr;
        allowDarkModeForWindow_ = nullptr;
        flushMenuThemes_ = nullptr;
        uxtheme_.Reset();
        return false;
    }
    return true;
}

void Win32AppearanceSystem::SetPreferredAppMode(int mode) {
    if (setPreferredAppMode_ != nullptr) {
        setPreferredAppMode_(mode);
    }
}

void Win32AppearanceSystem::AllowDarkModeForWindow(Window window, bool allow) {
    if (allowDarkModeForWindow_ != nullptr) {
        allowDarkModeForWindow_(static_cast<HWND>(window), allow);
    }
}

void Win32AppearanceSystem::FlushMenuThemes() {
    if (flushMenuThemes_ != nullptr) {
        flushMenuThemes_();
    }
}

bool Win32AppearanceSystem::HasDarkButtonTheme() {
    // Without visual styles (the classic theme, Wine without a theme) there is no theme at all.
    if (!IsThemeActive()) {
        return false;
    }
    HTHEME theme = OpenThemeData(nullptr, L"DarkMode_Explorer::Button");
    if (theme == nullptr) {
        return false;
    }
    CloseThemeData(theme);
    return true;
}

void Win32AppearanceSystem::SetControlTheme(Window control, ControlTheme theme) {
    const auto hwnd = static_cast<HWND>(control);
    switch (theme) {
        case ControlTheme::Default:
            SetWindowTheme(hwnd, nullptr, nullptr);
            break;
        case ControlTheme::DarkExplorer:
            SetWindowTheme(hwnd, L"DarkMode_Explorer", nullptr);
            break;
        case ControlTheme::Classic:
            SetWindowTheme(hwnd, L"", L"");
            break;
    }
}

}  // namespace vexmora
