#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "crypto/key_derivation.h"
#include "faulty_file_system.h"
#include "jobs/file_job.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

using Call = ScriptedToolkit::Call;

struct Expected {
    ControlKind kind;
    Rect rect;
    std::u16string_view text;
    bool shown = true;
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
        EXPECT_EQ(control.shown, expected[i].shown) << i;
        EXPECT_EQ(control.font, u"Segoe UI");
        EXPECT_EQ(control.fontPoints, 9);
    }
    const Identity id = window->window();
    window.reset();
    EXPECT_FALSE(toolkit.windows().at(id).open);
}

// A batch's two lines wait hidden; the file's name stands right before the bar, which a screen
// reader names after it.
TEST(ProgressWindow, LayoutAt96Dpi) {
    ExpectLayout(96, 300, 150,
                 {{ControlKind::CentredLabel, {100, 15, 100, 25}, texts::kPleaseWait},
                  {ControlKind::CentredLabel, {10, 27, 280, 18}, u"", false},
                  {ControlKind::CentredLabel, {10, 8, 280, 18}, texts::kPleaseWait, false},
                  {ControlKind::ProgressBar, {10, 50, 280, 25}, u""},
                  {ControlKind::PushButton, {100, 110, 100, 25}, texts::kCancelButton}});
}

TEST(ProgressWindow, LayoutAt120DpiRoundsHalvesToEven) {
    ExpectLayout(120, 375, 188,
                 {{ControlKind::CentredLabel, {125, 19, 125, 31}, texts::kPleaseWait},
                  {ControlKind::CentredLabel, {12, 34, 350, 22}, u"", false},
                  {ControlKind::CentredLabel, {12, 10, 350, 22}, texts::kPleaseWait, false},
                  {ControlKind::ProgressBar, {12, 62, 350, 31}, u""},
                  {ControlKind::PushButton, {125, 138, 125, 31}, texts::kCancelButton}});
}

// A screen reader names the bar after the label right before it, or after the name it was given.
TEST(ProgressWindow, TheBarIsNamedAfterTheFileInWork) {
    const auto expectNamed = [](const ScriptedToolkit& t, const ProgressWindow& w,
                                std::u16string_view name) {
        const std::vector<Identity>& controls = t.windows().at(w.window()).controls;
        const auto bar = std::find(controls.begin(), controls.end(), w.bar());
        ASSERT_NE(bar, controls.begin());
        EXPECT_EQ(t.controls().at(w.bar()).name, name);
        EXPECT_EQ(t.controls().at(*(bar - 1)).text, name);
    };
    const std::pair<std::u16string_view, std::u16string_view> rows[] = {
        {u"C:\\docs\\notes.txt", u"notes.txt"},
        {u"notes.txt", u"notes.txt"},
        // A job that names no input: the window's words.
        {u"", texts::kPleaseWait},
    };
    for (const auto& [input, name] : rows) {
        ScriptedToolkit t;
        InitDpiScaling(t);
        auto w = OpenProgressWindow(t, input);
        expectNamed(t, *w, name);
        w->ShowFile(u"b.txt", 1, 2);
        expectNamed(t, *w, u"b.txt");
        w->ShowFile(u"c.txt", 2, 2);
        expectNamed(t, *w, u"c.txt");
    }
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

// Esc while the job waits for a slow disk: in the middle of its only chunk, in the flush, in the
// move into place. The window keeps answering all the while; up to the move the old file stays,
// after it the job has succeeded and says so.
TEST(ProgressWindowOverAJob, EscWhileTheDiskIsSlowIsAnsweredAndKeepsTheOldFileUntilTheMove) {
    using Clock = std::chrono::steady_clock;
    enum class Stage { Write, Flush, Move };
    struct Row {
        const char* what;
        Stage stage;
        int result;
        bool oldFileKept;
    };
    const std::vector<Row> rows = {
        {"write of the last chunk", Stage::Write, 0, true},
        {"flush", Stage::Flush, 0, true},
        {"move into place", Stage::Move, 1, false},
    };
    const Key key = DeriveKey(u"pw");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedToolkit t;
        InitDpiScaling(t);
        auto w = OpenProgressWindow(t);
        test::TempDir dir;
        const auto input = test::TestData(3 * 1024 * 1024 + 5);  // one chunk, several pieces
        dir.Write("in", input);
        dir.Write("out", test::Bytes("old bytes"));

        // The first call of the stage's step takes a second and a half.
        std::atomic<bool> slow{false};
        std::atomic<int> calls{0};
        auto slowDisk = [&] {
            if (calls++ == 0) {
                slow = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                slow = false;
            }
        };
        test::FaultyFileSystem disk;
        switch (row.stage) {
            case Stage::Write:
                disk.duringWrite = slowDisk;
                break;
            case Stage::Flush:
                disk.duringFlush = slowDisk;
                break;
            case Stage::Move:
                disk.beforeReplace = [&](std::u16string_view) { slowDisk(); };
                break;
        }

        int pumps = 0;
        Clock::time_point last;
        Clock::duration longestGap{};
        t.onIdle = [&](ScriptedToolkit& toolkit) {
            if (!slow) {
                return;
            }
            const Clock::time_point now = Clock::now();
            if (pumps++ == 0) {
                toolkit.PressShortcut(w->window(), ShortcutKey::Escape);
            } else {
                longestGap = std::max(longestGap, now - last);
            }
            last = now;
        };
        const int result = RunFileJob(
            key.span(), kEncrypt, dir.U16("in"), dir.U16("out"),
            [&](std::int64_t done, std::int64_t total) {
                return ProgressCallback(*w, done, total);
            },
            0, std::nullopt, disk);

        EXPECT_EQ(result, row.result);
        // 1.5 s at one look per WaitingCallInterval, with room for a busy machine.
        EXPECT_GE(pumps, 10);
        EXPECT_LT(longestGap, std::chrono::milliseconds(200));
        // The fake disk has no Recycle Bin: a replaced file stays beside the new one, on every
        // system.
        EXPECT_EQ(test::WithoutKeptFiles(dir.List(), row.oldFileKept ? 0 : 1, true),
                  (std::vector<std::string>{"in", "out"}));
        EXPECT_EQ(dir.Read("out") == test::Bytes("old bytes"), row.oldFileKept);
        if (row.oldFileKept) {
            EXPECT_TRUE(t.messageBoxes().empty());
        } else {
            EXPECT_EQ(dir.Read("out").size(), input.size() + 16 + 11);  // IV and padding
            ASSERT_EQ(t.messageBoxes().size(), 1u);
            EXPECT_EQ(t.messageBoxes()[0].caption, texts::kInfoCaption);
            EXPECT_EQ(t.messageBoxes()[0].text, texts::kCancelTooLate);
        }
    }
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
