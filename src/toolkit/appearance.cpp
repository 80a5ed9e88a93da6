#include "toolkit/appearance.h"

namespace vexmora {

const Palette& DarkPalette() {
    // Close to the colours of Windows' own dark windows (Explorer, Settings).
    static constexpr Palette kDark{
        .window = Rgb(32, 32, 32),
        .text = Rgb(255, 255, 255),
        .disabledText = Rgb(120, 120, 120),
        .field = Rgb(25, 25, 25),
        .fieldText = Rgb(255, 255, 255),
        .button = Rgb(51, 51, 51),
        .buttonHot = Rgb(69, 69, 69),
        .buttonPressed = Rgb(40, 40, 40),
        .buttonBorder = Rgb(100, 100, 100),
        .accent = Rgb(76, 194, 255),
    };
    return kDark;
}

Appearance::Appearance(AppearanceSystem& system) : system_(system) {
    // Only from this build on do the ordinals name the functions we mean (and Wine's uxtheme
    // exports other functions, or none, under those numbers): no call without both checks.
    if (system_.SystemBuild() >= kFirstBuildWithDarkModeOrdinals) {
        ordinals_ = system_.ResolveDarkModeOrdinals();
    }
    if (ordinals_) {
        // Menus (the system menu of the title bar) then follow the apps' mode by themselves.
        system_.SetPreferredAppMode(kAllowDarkAppMode);
    }
    scheme_ = ReadScheme();
}

ColourScheme Appearance::ReadScheme() {
    if (system_.HighContrast()) {
        return ColourScheme::HighContrast;
    }
    const std::optional<std::uint32_t> light = system_.AppsUseLightTheme();
    // Missing means light, as on a Windows that predates the setting.
    if (!light.has_value() || *light != 0) {
        return ColourScheme::Light;
    }
    // Asked only once dark is wanted: the theme file is opened for the question.
    darkButtons_ = system_.HasDarkButtonTheme();
    return ColourScheme::Dark;
}

const Palette* Appearance::Colours() const {
    return scheme_ == ColourScheme::Dark ? &DarkPalette() : nullptr;
}

bool Appearance::AnnouncesSchemeChange(std::uint32_t parameter, std::u16string_view area) {
    constexpr std::uint32_t kHighContrastChanged = 0x43;  // SPI_SETHIGHCONTRAST
    return area == u"ImmersiveColorSet" || parameter == kHighContrastChanged;
}

bool Appearance::Refresh() {
    const ColourScheme before = scheme_;
    scheme_ = ReadScheme();
    if (scheme_ == before) {
        return false;
    }
    if (ordinals_) {
        system_.FlushMenuThemes();
    }
    return true;
}

void Appearance::StyleWindow(AppearanceSystem::Window window) {
    const bool dark = scheme_ == ColourScheme::Dark;
    if (ordinals_) {
        system_.AllowDarkModeForWindow(window, dark);
    }
    if (!system_.SetWindowAttribute(window, kDarkTitleBarAttribute, dark)) {
        system_.SetWindowAttribute(window, kDarkTitleBarAttributeBefore20H1, dark);
    }
}

ControlTheme Appearance::ThemeOf(ControlKind kind) const {
    if (scheme_ != ColourScheme::Dark) {
        return ControlTheme::Default;
    }
    switch (kind) {
        case ControlKind::GroupBox:
            // The themed group box draws its caption in the theme's dark text, whatever colour
            // the program hands it.
            return ControlTheme::Classic;

        case ControlKind::PushButton:
        case ControlKind::RichEdit:  // its scroll bars
            return darkButtons_ ? ControlTheme::DarkExplorer : ControlTheme::Default;
        case ControlKind::Label:
        case ControlKind::CentredLabel:
        case ControlKind::FieldLabel:
        case ControlKind::ProgressBar:  // painted by the program
        case ControlKind::PasswordField:
        case ControlKind::ReadOnlyField:
            return ControlTheme::Default;  // they take the colours the program hands them
    }
    return ControlTheme::Default;
}

void Appearance::StyleControl(AppearanceSystem::Window control, ControlKind kind) {
    if (ordinals_) {
        system_.AllowDarkModeForWindow(control, scheme_ == ColourScheme::Dark);
    }
    system_.SetControlTheme(control, ThemeOf(kind));
}

bool Appearance::ProgramDrawsButtons() const {
    return scheme_ == ColourScheme::Dark && !darkButtons_;
}

}  // namespace vexmora
