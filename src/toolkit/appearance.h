// How the program's windows look: as light as the system's own windows, dark when the user has
// chosen the dark app mode, and in the system's colours only while high contrast is on. The look
// follows the settings while the program runs.
//
// The decisions live here; the system calls they need are behind AppearanceSystem, so that tests
// can put a recording fake in place of the system.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "toolkit/toolkit.h"

namespace vexmora {

// A colour as 0x00BBGGRR (the layout of a Win32 COLORREF).
using Colour = std::uint32_t;
constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{red} | Colour{green} << 8 | Colour{blue} << 16;
}

enum class ColourScheme {
    Light,         // the system draws every control in its usual colours
    Dark,          // the program paints from DarkPalette()
    HighContrast,  // the system's colours only, as the user chose them; wins over Dark
};

// The colours of the dark scheme: one palette for every window and control.
struct Palette {
    Colour window;        // background of windows, labels and group boxes
    Colour text;          // labels, group-box captions, button texts
    Colour disabledText;  // a disabled label or button
    Colour field;         // background of the password field, the editor and progress bars
    Colour fieldText;
    Colour button;         // a button at rest
    Colour buttonHot;      // under the mouse
    Colour buttonPressed;  // held down
    Colour buttonBorder;
    Colour accent;  // the frame of the button Enter clicks, and a progress bar's fill
};
const Palette& DarkPalette();

// What a control is given in a scheme.
enum class ControlTheme {
    Default,       // the system's theme for the control, as it has it without the program
    DarkExplorer,  // the system's dark theme for the control (Windows 10 1809 and later)
    Classic,       // no theme: drawn the classic way, in the colours the program hands it
};

// The system calls behind the look. Windows are the system's handles, passed on as they are.
class AppearanceSystem {
  public:
    using Window = void*;
    virtual ~AppearanceSystem() = default;

    // The apps' mode that the user chose: the DWORD AppsUseLightTheme under HKCU's
    // Themes\Personalize key (1 light, 0 dark); nullopt where the value is missing or no DWORD.
    virtual std::optional<std::uint32_t> AppsUseLightTheme() = 0;
    // Whether high contrast is on (SPI_GETHIGHCONTRAST).
    virtual bool HighContrast() = 0;
    // The build number of Windows; 0 when unknown.
    virtual std::uint32_t SystemBuild() = 0;

    // DwmSetWindowAttribute with a BOOL; false where the system refused or has no such call.
    virtual bool SetWindowAttribute(Window window, std::uint32_t attribute, bool on) = 0;

    // The undocumented functions of uxtheme.dll that let menus and themed controls go dark,
    // looked up by ordinal: true only when each of the three resolved. The three below may be
    // called only after it returned true; before, they do nothing.
    virtual bool ResolveDarkModeOrdinals() = 0;
    virtual void SetPreferredAppMode(int mode) = 0;                      // ordinal 135
    virtual void AllowDarkModeForWindow(Window window, bool allow) = 0;  // ordinal 133
    virtual void FlushMenuThemes() = 0;                                  // ordinal 136

    // Whether the system has a dark theme for push buttons (DarkMode_Explorer's Button class).
    virtual bool HasDarkButtonTheme() = 0;
    // SetWindowTheme on a control.
    virtual void SetControlTheme(Window control, ControlTheme theme) = 0;
};

class Appearance {
  public:
    // The immersive dark title bar: 20 since Windows 10 20H1, 19 on the builds before it.
    static constexpr std::uint32_t kDarkTitleBarAttribute = 20;
    static constexpr std::uint32_t kDarkTitleBarAttributeBefore20H1 = 19;
    // Below this build the ordinals name other functions, or none.
    static constexpr std::uint32_t kFirstBuildWithDarkModeOrdinals = 19041;
    // SetPreferredAppMode's "allow dark": menus follow the apps' mode.
    static constexpr int kAllowDarkAppMode = 1;

    // Reads the settings. The system must outlive this object.
    explicit Appearance(AppearanceSystem& system);
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

    ColourScheme Scheme() const { return scheme_; }
    // The colours the program paints with; nullptr while the system's colours hold.
    const Palette* Colours() const;

    // Whether a WM_SETTINGCHANGE (its wParam and the area its lParam names, empty where none)
    // may have changed the scheme: the apps' mode ("ImmersiveColorSet") or high contrast.
    static bool AnnouncesSchemeChange(std::uint32_t parameter, std::u16string_view area);
    // Reads the settings again; true when the scheme changed, and every window and control must
    // then be styled again and redrawn.
    bool Refresh();

    // Styles a top-level window (its title bar) and a control for the current scheme. Both may
    // be called again after a change: each undoes what the other scheme set.
    void StyleWindow(AppearanceSystem::Window window);
    void StyleControl(AppearanceSystem::Window control, ControlKind kind);

    // The theme a control of this kind gets in the current scheme.
    ControlTheme ThemeOf(ControlKind kind) const;
    // Whether the program draws push buttons itself: in the dark scheme, where the system has no
    // dark theme for them.
    bool ProgramDrawsButtons() const;

  private:
    ColourScheme ReadScheme();

    AppearanceSystem& system_;
    ColourScheme scheme_ = ColourScheme::Light;
    bool ordinals_ = false;  // the dark mode ordinals resolved and may be called
    bool darkButtons_ = false;
};

}  // namespace vexmora
