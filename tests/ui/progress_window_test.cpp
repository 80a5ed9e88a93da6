#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"

namespace vexmora {
namespace {

using Call = ScriptedToolkit::Call;

struct Expected {
    ControlKind kind;
    Rect rect;
    std::u16string text;
};

void ExpectLayout(int dpi, int clientWidth, int clientHeight,
                  const std::vector<Expected>& expected) {
    ScriptedToolkit toolkit(dpi);
    InitDpiScaling(toolkit);
    auto window = OpenProgressWindow(toolkit);
    const auto& w = toolkit.windows().at(window->window());
    EXPECT_EQ(w.args.title, u"Vexmora");
    EXPECT_EQ(w.args.clientWidth, clientWidth);
    EXPECT_EQ(w.args.clientHeight, clientHeight);
    EXPECT_FALSE(w.args.minimizeBox);
    EXPECT_EQ(w.args.placement, WindowPlacement::TopLeft);
    ASSERT_EQ(w.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& control = toolkit.controls().at(w.controls[i]);
        EXPECT_EQ(control.args.kind, expected[i].kind) << i;
        EXPECT_EQ(control.args.rect, expected[i].rect) << i;
        EXPECT_EQ(control.args.text, expected[i].text) << i;
        EXPECT_EQ(control.font, u"Segoe UI");
        EXPECT_EQ(control.fontPoints, 9);
    }
    const Identity id = window->window();
    window.reset();
    EXPECT_FALSE(toolkit.windows().at(id).open);
}

TEST(ProgressWindow, LayoutAt96Dpi) {
    ExpectLayout(96, 300, 150,
                 {{ControlKind::ProgressBar, {10, 50, 280, 25}, u""},
                  {ControlKind::PushButton, {100, 110, 100, 25}, u"Cancel"},
                  {ControlKind::CentredLabel, {100, 15, 100, 25}, u"Please wait ..."}});
}

TEST(ProgressWindow, LayoutAt120DpiRoundsHalvesToEven) {
    ExpectLayout(120, 375, 188,
                 {{ControlKind::ProgressBar, {12, 62, 350, 31}, u""},
                  {ControlKind::PushButton, {125, 138, 125, 31}, u"Cancel"},
                  {ControlKind::CentredLabel, {125, 19, 125, 31}, u"Please wait ..."}});
}

class ProgressCallbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitDpiScaling(toolkit);
        window = OpenProgressWindow(toolkit);
    }
    ScriptedToolkit toolkit;
    std::unique_ptr<ProgressWindow> window;
};

TEST_F(ProgressCallbackTest, MovesTheBarThroughAJob) {
    EXPECT_EQ(ProgressCallback(*window, 0, 5000), 0);
    EXPECT_EQ(ProgressCallback(*window, 2000, 5000), 0);
    EXPECT_EQ(ProgressCallback(*window, 5000, 5000), 0);
    const auto& bar = toolkit.controls().at(window->bar());
    EXPECT_EQ(bar.progressMaximum, 5000);
    EXPECT_EQ(bar.progressPosition, 5000);
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(ProgressCallbackTest, FailureEmptiesTheBarAndShowsTheErrorBox) {
    EXPECT_EQ(ProgressCallback(*window, -1, -1), 0);
    EXPECT_EQ(toolkit.controls().at(window->bar()).progressPosition, -1);
    ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes()[0].caption, u"Error");
    EXPECT_EQ(toolkit.messageBoxes()[0].text, u"Encode/Decode Error!");
    EXPECT_EQ(toolkit.messageBoxes()[0].type, kMessageBoxOk);
}

TEST_F(ProgressCallbackTest, CancelAndCloseReturnOneBeforeTouchingTheBar) {
    toolkit.QueueEvent(ControlEvent, window->cancelButton());
    EXPECT_EQ(ProgressCallback(*window, 0, 100), 1);
    toolkit.QueueEvent(CloseWindowEvent, kNoIdentity, window->window());
    EXPECT_EQ(ProgressCallback(*window, -1, -1), 1);
    EXPECT_TRUE(toolkit.calls().empty());  // no bar change, no error box
}

TEST_F(ProgressCallbackTest, OtherEventsArePassedOverAndLaterOnesWait) {
    toolkit.QueueEvent(0x0200);                       // a platform message
    toolkit.QueueEvent(ControlEvent, window->bar());  // some other control
    toolkit.QueueEvent(MenuEvent);
    toolkit.QueueEvent(ControlEvent, window->cancelButton());  // the cancel
    toolkit.QueueEvent(CloseWindowEvent, kNoIdentity, window->window());
    EXPECT_EQ(ProgressCallback(*window, 0, 100), 1);
    EXPECT_EQ(toolkit.pendingEvents(), 1u);
    EXPECT_EQ(ProgressCallback(*window, 50, 100), 1);
    EXPECT_EQ(ProgressCallback(*window, 50, 100), 0);
}

TEST_F(ProgressCallbackTest, TotalsBeyond32BitsKeepTheirFraction) {
    const std::int64_t total = 6LL << 30;  // 6 GiB
    ProgressCallback(*window, 0, total);
    ProgressCallback(*window, 3LL << 30, total);
    const auto& bar = toolkit.controls().at(window->bar());
    EXPECT_GT(bar.progressMaximum, 0);
    EXPECT_EQ(static_cast<std::int64_t>(bar.progressPosition) * 2, bar.progressMaximum);
    ProgressCallback(*window, total, total);
    EXPECT_EQ(bar.progressPosition, bar.progressMaximum);
    // A later small job starts from a fresh scale.
    ProgressCallback(*window, 0, 1000);
    ProgressCallback(*window, 500, 1000);
    EXPECT_EQ(bar.progressMaximum, 1000);
    EXPECT_EQ(bar.progressPosition, 500);
}

TEST_F(ProgressCallbackTest, EscCancelsLikeTheButton) {
    EXPECT_EQ(ProgressCallback(*window, 0, 100), 0);
    ASSERT_TRUE(toolkit.PressShortcut(window->window(), ShortcutKey::Escape));
    EXPECT_EQ(ProgressCallback(*window, 50, 100), 1);
    EXPECT_EQ(toolkit.controls().at(window->bar()).progressPosition, 0);
    EXPECT_FALSE(toolkit.PressShortcut(window->window(), ShortcutKey::CtrlO));
}

// The taskbar button follows the bar, shows a failure before its box, and is cleared when the
// window closes.
TEST_F(ProgressCallbackTest, TaskbarFollowsTheJob) {
    const std::int64_t total = 5LL << 30;  // beyond the bar's 32 bits, not the taskbar's
    ProgressCallback(*window, 0, total);
    ProgressCallback(*window, 3LL << 30, total);
    const auto& w = toolkit.windows().at(window->window());
    EXPECT_EQ(w.taskbarState, TaskbarState::Normal);
    EXPECT_EQ(w.taskbarDone, 3ull << 30);
    EXPECT_EQ(w.taskbarTotal, 5ull << 30);
    ProgressCallback(*window, -1, -1);
    std::vector<std::string> order;
    for (const auto& call : toolkit.calls()) {
        if (call.what != "maximum" && call.what != "position") {
            order.push_back(call.what);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"taskbar normal", "taskbar normal", "taskbar error",
                                               "message"}));
    const Identity id = window->window();
    window.reset();
    EXPECT_EQ(toolkit.calls().back().what, "taskbar none");
    EXPECT_EQ(toolkit.windows().at(id).taskbarState, TaskbarState::None);
}

TEST(Dpi, ScaledRoundsHalvesToEven) {
    struct Row {
        int dpi;
        std::vector<std::pair<int, int>> values;
    };
    const std::vector<Row> rows = {
        {96, {{10, 10}, {350, 350}, {63, 63}}},
        {120, {{10, 12}, {350, 438}, {530, 662}, {63, 79}, {41, 51}, {800, 1000}, {600, 750}}},
        {144, {{21, 32}, {25, 38}, {63, 94}, {115, 172}, {555, 832}, {759, 1138}, {800, 1200}}},
    };
    for (const Row& row : rows) {
        ScriptedToolkit toolkit(row.dpi);
        InitDpiScaling(toolkit);
        EXPECT_TRUE(toolkit.dpiAware());
        EXPECT_DOUBLE_EQ(DpiScale(), row.dpi / 96.0);
        for (auto [design, device] : row.values) {
            EXPECT_EQ(Scaled(design), device) << row.dpi << " dpi, " << design;
        }
    }
}

}  // namespace
}  // namespace vexmora
