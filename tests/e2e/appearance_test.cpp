// The main window in the apps' dark and light mode as the screen shows it: the user's setting is
// read at the start, and a change is followed while the window stays open, announced as Windows
// announces it (WM_SETTINGCHANGE "ImmersiveColorSet" to every top-level window).
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "driver/user_settings.h"
#include "main_window_session.h"

namespace vexmora::e2e {
namespace {

constexpr wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

void AnnounceAppsModeChange() {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"ImmersiveColorSet"), SMTO_ABORTIFHUNG, 5000,
                        &answer);
}

// A strip of the window's client area that no control covers: the window's own background.
RECT BackgroundStrip(HWND window) {
    const SIZE client = ClientSize(window);
    const std::vector<ChildControl> controls = ChildControls(window);
    for (int y = 1; y + 4 < client.cy; ++y) {
        const RECT strip{4, y, client.cx - 4, y + 4};
        const bool covered = std::any_of(controls.begin(), controls.end(), [&](const auto& c) {
            RECT overlap{};
            return IsWindowVisible(c.window) && IntersectRect(&overlap, &strip, &c.rect);
        });
        if (!covered) {
            return strip;
        }
    }
    return {};
}

struct Look {
    int background = -1;  // the brightness of the window's background, -1 when unread
    int editor = -1;      // of the editor's own background
    int editorText = -1;  // of the editor pixel farthest from its background: the text
};

Look Sample(MainWindowSession& app) {
    Look look;
    const std::vector<COLORREF> background =
        ScreenPixels(app.Window(), BackgroundStrip(app.Window()));
    if (!background.empty()) {
        look.background = Brightness(background[background.size() / 2]);
    }
    // The editor's first line, where the typed text stands, and the empty part after it.
    RECT editor{};
    GetClientRect(app.Editor(), &editor);
    editor.bottom = std::min<LONG>(editor.bottom, 24);
    std::vector<COLORREF> pixels = ScreenPixels(app.Editor(), editor);
    if (!pixels.empty()) {
        look.editor = Brightness(pixels.back());
        int farthest = 0;
        for (const COLORREF pixel : pixels) {
            farthest = std::max(farthest, std::abs(Brightness(pixel) - look.editor));
        }
        const int towards = look.editor < 128 ? 1 : -1;
        look.editorText = look.editor + towards * farthest;
    }
    return look;
}

bool IsDark(const Look& look) {
    return look.background >= 0 && look.background < 64 && look.editor < 64 &&
           look.editorText > 160;
}
bool IsLight(const Look& look) {
    return look.background > 160 && look.editor > 160 && look.editorText >= 0 &&
           look.editorText < 96;
}

::testing::AssertionResult LooksDark(MainWindowSession& app, bool dark) {
    Look look;
    if (WaitUntil(
            [&] {
                look = Sample(app);
                return dark ? IsDark(look) : IsLight(look);
            },
            10s)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << (dark ? "dark" : "light") << ", brightness of the background "
           << look.background << ", of the editor " << look.editor << ", of its text "
           << look.editorText;
}

using AppearanceTest = ProgramTest;

TEST_F(AppearanceTest, MainWindowFollowsTheAppsModeWithoutARestart) {
    ScopedUserDword appsUseLightTheme(kPersonalizeKey, L"AppsUseLightTheme", 0);
    MainWindowSession app(Folder());
    ASSERT_TRUE(app.Ready());
    ASSERT_TRUE(app.TypeText(L"WWWW MMMM"));
    EXPECT_TRUE(LooksDark(app, true)) << "started with the dark setting";

    appsUseLightTheme.Set(1);
    AnnounceAppsModeChange();
    EXPECT_TRUE(LooksDark(app, false)) << "after the change to light";

    appsUseLightTheme.Set(0);
    AnnounceAppsModeChange();
    EXPECT_TRUE(LooksDark(app, true)) << "after the change back to dark";
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
}  // namespace vexmora::e2e
