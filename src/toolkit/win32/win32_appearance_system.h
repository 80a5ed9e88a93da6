// The system calls behind the program's look (toolkit/appearance.h) on Windows: the registry, the
// high contrast setting, DWM's title bar and uxtheme, each looked up at run time where older
// systems (or Wine) lack it.
#pragma once

#include <windows.h>

#include "platform/win32/unique_resources.h"
#include "toolkit/appearance.h"

namespace vexmora {

class Win32AppearanceSystem final : public AppearanceSystem {
  public:
    std::optional<std::uint32_t> AppsUseLightTheme() override;
    bool HighContrast() override;
    std::uint32_t SystemBuild() override;
    bool SetWindowAttribute(Window window, std::uint32_t attribute, bool on) override;
    bool ResolveDarkModeOrdinals() override;
    void SetPreferredAppMode(int mode) override;
    void AllowDarkModeForWindow(Window window, bool allow) override;
    void FlushMenuThemes() override;
    bool HasDarkButtonTheme() override;
    void SetControlTheme(Window control, ControlTheme theme) override;

  private:
    using SetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    using SetPreferredAppModeFunction = int(WINAPI*)(int);
    using AllowDarkModeForWindowFunction = bool(WINAPI*)(HWND, bool);
    using FlushMenuThemesFunction = void(WINAPI*)();

    UniqueModule dwm_;
    bool dwmTried_ = false;
    SetWindowAttributeFunction setWindowAttribute_ = nullptr;
    UniqueModule uxtheme_;
    SetPreferredAppModeFunction setPreferredAppMode_ = nullptr;
    AllowDarkModeForWindowFunction allowDarkModeForWindow_ = nullptr;
    FlushMenuThemesFunction flushMenuThemes_ = nullptr;
};

}  // namespace vexmora
