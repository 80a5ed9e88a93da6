// The look's decisions over a system that records what it is asked: which scheme the settings
// give, that a change is followed while the program runs, and that the title bar and the
// undocumented uxtheme functions are called only as far as the system has them.
#include "toolkit/appearance.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vexmora {
namespace {

class RecordingAppearanceSystem final : public AppearanceSystem {
  public:
    // The system's state, set by each test.
    std::optional<std::uint32_t> appsUseLightTheme;  // missing
    bool highContrast = false;
    std::uint32_t build = 22631;
    bool ordinalsResolve = true;
    bool darkButtonTheme = true;
    std::set<std::uint32_t> attributesTaken = {20, 19};

    std::vector<std::string> calls;

    std::optional<std::uint32_t> AppsUseLightTheme() override { return appsUseLightTheme; }
    bool HighContrast() override { return highContrast; }
    std::uint32_t SystemBuild() override { return build; }
    bool SetWindowAttribute(Window window, std::uint32_t attribute, bool on) override {
        calls.push_back(Name(window) + " attribute " + std::to_string(attribute) +
                        (on ? " on" : " off"));
        return attributesTaken.count(attribute) != 0;
    }
    bool ResolveDarkModeOrdinals() override {
        calls.push_back("resolve ordinals");
        resolved_ = ordinalsResolve;
        return ordinalsResolve;
    }
    void SetPreferredAppMode(int mode) override { Ordinal("app mode " + std::to_string(mode)); }
    void AllowDarkModeForWindow(Window window, bool allow) override {
        Ordinal(Name(window) + (allow ? " dark allowed" : " dark not allowed"));
    }
    void FlushMenuThemes() override { Ordinal("flush menus"); }
    bool HasDarkButtonTheme() override { return darkButtonTheme; }
    void SetControlTheme(Window control, ControlTheme theme) override {
        static constexpr const char* kNames[] = {"default", "dark", "classic"};
        calls.push_back(Name(control) + " theme " + kNames[static_cast<int>(theme)]);
    }

    std::vector<std::string> Take() { return std::exchange(calls, {}); }

  private:
    static std::string Name(Window window) { return static_cast<const char*>(window); }
    // An ordinal called without its checks would be a call into an unknown function.
    void Ordinal(std::string call) { calls.push_back(resolved_ ? call : "UNCHECKED " + call); }
    bool resolved_ = false;
};

// Windows are named by their handles, which the system gets as they are.
char kWindow[] = "window";
char kButton[] = "button";
char kGroup[] = "group";

TEST(AppearanceTest, SchemeFollowsTheAppsModeAndHighContrastWins) {
    const struct {
        std::optional<std::uint32_t> light;
        bool highContrast;
        ColourScheme scheme;
    } kCases[] = {
        {std::nullopt, false, ColourScheme::Light},  // before the setting existed
        {1, false, ColourScheme::Light},
        {0, false, ColourScheme::Dark},
        {2, false, ColourScheme::Light},  // any other value is not dark
        {0, true, ColourScheme::HighContrast},
        {1, true, ColourScheme::HighContrast},
        {std::nullopt, true, ColourScheme::HighContrast},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message()
                     << "light " << c.light.value_or(99) << ", high contrast " << c.highContrast);
        RecordingAppearanceSystem system;
        system.appsUseLightTheme = c.light;
        system.highContrast = c.highContrast;
        const Appearance appearance(system);
        EXPECT_EQ(appearance.Scheme(), c.scheme);
        // Only dark paints colours of its own; high contrast keeps the user's.
        EXPECT_EQ(appearance.Colours() != nullptr, c.scheme == ColourScheme::Dark);
    }
}

TEST(AppearanceTest, ChangesAreFollowedWhileTheProgramRuns) {
    RecordingAppearanceSystem system;
    system.appsUseLightTheme = 1;
    Appearance appearance(system);
    appearance.StyleWindow(kWindow);
    appearance.StyleControl(kGroup, ControlKind::GroupBox);
    EXPECT_EQ(system.Take(),
              (std::vector<std::string>{"resolve ordinals", "app mode 1", "window dark not allowed",
                                        "window attribute 20 off", "group dark not allowed",
                                        "group theme default"}));

    // Which broadcasts may change the scheme: the apps' mode and high contrast, nothing else.
    EXPECT_TRUE(Appearance::AnnouncesSchemeChange(0, u"ImmersiveColorSet"));
    EXPECT_TRUE(Appearance::AnnouncesSchemeChange(0x43, u""));  // SPI_SETHIGHCONTRAST
    EXPECT_FALSE(Appearance::AnnouncesSchemeChange(0, u"Policy"));
    EXPECT_FALSE(Appearance::AnnouncesSchemeChange(0x2F, u""));  // SPI_SETWORKAREA

    const struct {
        std::optional<std::uint32_t> light;
        bool highContrast;
        bool changed;
        ColourScheme scheme;
        const char* titleBar;
        const char* groupTheme;
    } kSteps[] = {
        {1, false, false, ColourScheme::Light, "window attribute 20 off", "group theme default"},
        {0, false, true, ColourScheme::Dark, "window attribute 20 on", "group theme classic"},
        {0, false, false, ColourScheme::Dark, "window attribute 20 on", "group theme classic"},
        {0, true, true, ColourScheme::HighContrast, "window attribute 20 off",
         "group theme default"},
        {0, false, true, ColourScheme::Dark, "window attribute 20 on", "group theme classic"},
        {std::nullopt, false, true, ColourScheme::Light, "window attribute 20 off",
         "group theme default"},
    };
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.titleBar);
        system.appsUseLightTheme = step.light;
        system.highContrast = step.highContrast;
        EXPECT_EQ(appearance.Refresh(), step.changed);
        EXPECT_EQ(appearance.Scheme(), step.scheme);
        // Menus are told only when something changed.
        const std::vector<std::string> refreshed = system.Take();
        EXPECT_EQ(refreshed, step.changed ? std::vector<std::string>{"flush menus"}
                                          : std::vector<std::string>{});
        appearance.StyleWindow(kWindow);
        appearance.StyleControl(kGroup, ControlKind::GroupBox);
        const std::vector<std::string> styled = system.Take();
        ASSERT_EQ(styled.size(), 4u);
        EXPECT_EQ(styled[1], step.titleBar);
        EXPECT_EQ(styled[3], step.groupTheme);
    }
}

TEST(AppearanceTest, DarkTitleBarFallsBackToTheOlderAttribute) {
    const struct {
        std::set<std::uint32_t> taken;
        std::vector<std::string> calls;
    } kCases[] = {
        {{20, 19}, {"window attribute 20 on"}},
        {{19}, {"window attribute 20 on", "window attribute 19 on"}},  // Windows 10 before 20H1
        {{}, {"window attribute 20 on", "window attribute 19 on"}},    // no DWM: nothing more
    };
    for (const auto& c : kCases) {
        RecordingAppearanceSystem system;
        system.appsUseLightTheme = 0;
        system.ordinalsResolve = false;
        system.attributesTaken = c.taken;
        Appearance appearance(system);
        system.Take();
        appearance.StyleWindow(kWindow);
        EXPECT_EQ(system.Take(), c.calls);
    }
}

TEST(AppearanceTest, UndocumentedOrdinalsAreCalledOnlyBehindBothChecks) {
    const struct {
        std::uint32_t build;
        bool resolve;
        std::vector<std::string> calls;  // from the start to a change after styling
    } kCases[] = {
        // Older builds: not even looked up (the numbers may name other functions there).
        {18363, true, {"window attribute 20 on"}},
        {0, true, {"window attribute 20 on"}},
        // One of them missing (Wine's uxtheme stops at ordinal 109): none is called.
        {19041, false, {"resolve ordinals", "window attribute 20 on"}},
        {19041,
         true,
         {"resolve ordinals", "app mode 1", "window dark allowed", "window attribute 20 on",
          "flush menus"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.build);
        RecordingAppearanceSystem system;
        system.appsUseLightTheme = 0;
        system.build = c.build;
        system.ordinalsResolve = c.resolve;
        Appearance appearance(system);
        appearance.StyleWindow(kWindow);
        system.appsUseLightTheme = 1;
        appearance.Refresh();
        EXPECT_EQ(system.calls, c.calls);
    }
}

TEST(AppearanceTest, ButtonsTakeTheDarkThemeOrAreDrawnByTheProgram) {
    for (const bool darkButtonTheme : {true, false}) {
        SCOPED_TRACE(darkButtonTheme);
        RecordingAppearanceSystem system;
        system.appsUseLightTheme = 0;
        system.darkButtonTheme = darkButtonTheme;
        system.ordinalsResolve = false;
        Appearance appearance(system);
        EXPECT_EQ(appearance.ProgramDrawsButtons(), !darkButtonTheme);
        appearance.StyleControl(kButton, ControlKind::PushButton);
        EXPECT_EQ(system.Take().back(),
                  darkButtonTheme ? "button theme dark" : "button theme default");
        // Back in light the system draws them again, in its own theme.
        system.appsUseLightTheme = 1;
        ASSERT_TRUE(appearance.Refresh());
        EXPECT_FALSE(appearance.ProgramDrawsButtons());
        appearance.StyleControl(kButton, ControlKind::PushButton);
        EXPECT_EQ(system.Take().back(), "button theme default");
    }
}

}  // namespace
}  // namespace vexmora
