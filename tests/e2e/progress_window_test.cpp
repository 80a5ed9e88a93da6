// The progress window of a running file job: its place, size and controls at two DPI settings,
// and cancelling a job from it.
#include <sstream>
#include <string>

#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

// Large enough that the job is still running while the driver looks at it and cancels it; the
// content does not change the job's speed, so a file of zeros made by extending it will do.
constexpr std::uint64_t kLongJob = 1024ull * 1024 * 1024;

struct ExpectedControl {
    const wchar_t* className;
    const wchar_t* text;  // null: not checked
    RECT rect;            // left, top, right, bottom at 96 dpi
};

RECT ScaledRect(int x, int y, int width, int height, int dpi) {
    const int left = Scaled(x, dpi);
    const int top = Scaled(y, dpi);
    return {left, top, left + Scaled(width, dpi), top + Scaled(height, dpi)};
}

std::string Describe(const RECT& r) {
    std::ostringstream out;
    out << "(" << r.left << ", " << r.top << ") size " << (r.right - r.left) << " x "
        << (r.bottom - r.top);
    return out.str();
}

// The child inherits the driver's environment: the table-driven AES keeps a 1 GiB job running for
// seconds also where the processor has AES instructions, so the driver has time to look and
// cancel.
std::wstring SlowAesFor(const std::wstring& parameters) {
    SetEnvironmentVariableW(L"VEXMORA_AES", L"table");
    return parameters;
}

// Starts a long encryption and waits for its progress window with all its controls.
class RunningJob {
  public:
    RunningJob(const std::wstring& parameters, const std::wstring& folder)
        : process_(ProgramProcess::Start(ProgramPath(), SlowAesFor(parameters), folder)) {
        SetEnvironmentVariableW(L"VEXMORA_AES", nullptr);
        window_ = WaitForWindow(process_.Id(), kTitle, 30s);
        if (window_ != nullptr) {
            // "Cancel" comes last.
            WaitUntil([&] { return Control(L"Button") != nullptr; }, 10s);
        }
    }

    ProgramProcess& Process() { return process_; }
    HWND Window() const { return window_; }
    HWND Control(const wchar_t* className) const {
        for (const ChildControl& control : ChildControls(window_)) {
            if (SameClass(control.className, className)) {
                return control.window;
            }
        }
        return nullptr;
    }

  private:
    ProgramProcess process_;
    HWND window_ = nullptr;
};

class ProgressWindowLayoutTest : public ProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgressWindowLayoutTest, PlacesItsControlsAtTheScaledRectangles) {
    const int dpi = GetParam();
    WriteZeroFile(At(L"big.bin"), kLongJob);
    const FolderListing before = ListFolder(Folder());

    std::optional<RunningJob> job;
    {
        // The program reads the DPI when it starts; the value is restored right after.
        ScopedLogPixels logPixels(static_cast<DWORD>(dpi));
        job.emplace(QuotedParameters({L"E", At(L"big.bin"), L"pw"}), Folder());
        ASSERT_NE(job->Window(), nullptr) << "no window titled \"Vexmora\"";
    }
    HWND window = job->Window();

    const LONG style = WindowStyle(window);
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(style & frame, WS_CAPTION | WS_SYSMENU) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & WS_CHILD, 0);

    const SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, Scaled(300, dpi));
    EXPECT_EQ(client.cy, Scaled(150, dpi));
    const POINT corner = OuterTopLeft(window);
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 0);

    const ExpectedControl expected[] = {
        {L"msctls_progress32", nullptr, ScaledRect(10, 50, 280, 25, dpi)},
        {L"Button", L"Cancel", ScaledRect(100, 110, 100, 25, dpi)},
        {L"Static", L"Please wait ...", ScaledRect(100, 15, 100, 25, dpi)},
    };
    // What shows: a batch's lines wait hidden.
    std::vector<ChildControl> controls = ChildControls(window);
    std::erase_if(controls, [](const ChildControl& c) { return (c.style & WS_VISIBLE) == 0; });
    EXPECT_EQ(controls.size(), 3u);
    for (const ExpectedControl& want : expected) {
        SCOPED_TRACE(Narrow(want.className));
        int matches = 0;
        for (const ChildControl& control : controls) {
            if (!SameClass(control.className, want.className)) {
                continue;
            }
            ++matches;
            if (want.text != nullptr) {
                EXPECT_EQ(control.text, want.text);
            }
            EXPECT_EQ(Describe(control.rect), Describe(want.rect));
        }
        EXPECT_EQ(matches, 1);
    }

    // Closing the window cancels the job.
    ASSERT_TRUE(job->Process().Running()) << "the job ended before the driver closed its window";
    ASSERT_TRUE(PostCloseRequest(window));
    EXPECT_EQ(job->Process().WaitForExit(60s), 1u);
    EXPECT_EQ(ListFolder(Folder()), before);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ProgressWindowLayoutTest, ::testing::Values(96, 120),
                         [](const auto& tested) { return "Dpi" + std::to_string(tested.param); });

TEST(ScaledTest, RoundsHalvesToEven) {
    EXPECT_EQ(Scaled(150, 120), 188);  // 187.5
    EXPECT_EQ(Scaled(10, 120), 12);    // 12.5
    EXPECT_EQ(Scaled(50, 120), 62);    // 62.5
    EXPECT_EQ(Scaled(110, 120), 138);  // 137.5
    EXPECT_EQ(Scaled(15, 120), 19);    // 18.75
    EXPECT_EQ(Scaled(25, 120), 31);    // 31.25
    EXPECT_EQ(Scaled(3, 144), 4);      // 4.5
    EXPECT_EQ(Scaled(5, 144), 8);      // 7.5
    EXPECT_EQ(Scaled(300, 96), 300);
}

enum class CancelBy { kButton, kCloseRequest, kSystemMenuClose };

struct CancelCase {
    CancelBy by;
    const wchar_t* direction;
    bool destinationExists;
};

std::string CaseName(const CancelCase& c) {
    std::string name = c.by == CancelBy::kButton         ? "Button"
                       : c.by == CancelBy::kCloseRequest ? "CloseRequest"
                                                         : "SystemMenuClose";
    name += c.direction[0] == L'E' ? "Encrypt" : "Decrypt";
    name += c.destinationExists ? "OverExistingFile" : "NewFile";
    return name;
}

class CancelTest : public ProgramTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, LeavesNoOutputAndKeepsAnExistingDestination) {
    const CancelCase c = GetParam();
    WriteZeroFile(At(L"big.bin"), kLongJob);
    const Bytes kept = PatternBytes(777, 4);
    if (c.destinationExists) {
        WriteBytes(At(L"dest.bin"), kept);
    }
    const FolderListing before = ListFolder(Folder());

    RunningJob job(QuotedParameters({c.direction, At(L"big.bin"), At(L"dest.bin"), L"pw"}),
                   Folder());
    ASSERT_NE(job.Window(), nullptr) << "no window titled \"Vexmora\"";
    HWND button = job.Control(L"Button");
    ASSERT_NE(button, nullptr) << "no Cancel button";

    // Let at least one chunk pass, so the cancel lands in the middle of the job: a new file in the
    // folder that has grown past one chunk shows that.
    const bool midJob = WaitUntil(
        [&] {
            for (const auto& [name, entry] : ListFolder(Folder())) {
                if (!before.contains(name) && entry.size >= kChunk) {
                    return true;
                }
            }
            return false;
        },
        30s);
    if (!midJob) {
        std::cout
            << "[ note ] no partial output seen in the destination folder; cancelling anyway\n";
    }

    ASSERT_TRUE(job.Process().Running()) << "the job ended before the driver cancelled it";
    switch (c.by) {
        case CancelBy::kButton:
            ASSERT_TRUE(PostClick(button));
            break;
        case CancelBy::kCloseRequest:
            ASSERT_TRUE(PostCloseRequest(job.Window()));
            break;
        case CancelBy::kSystemMenuClose:
            ASSERT_TRUE(PostSystemClose(job.Window()));
            break;
    }
    // A cancel is not reported: no message box may appear before the process ends.
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = WaitForMessageBox(job.Process().Id(), 0ms);
            return box != nullptr || !job.Process().Running();
        },
        60s);
    if (box != nullptr) {
        ADD_FAILURE() << "a message box appeared after the cancel: " << Narrow(MessageBoxText(box));
        PressMessageBoxOk(box);
    }
    EXPECT_EQ(job.Process().WaitForExit(60s), 1u);

    EXPECT_EQ(ListFolder(Folder()), before) << "the cancelled job changed the folder";
    if (c.destinationExists) {
        EXPECT_EQ(ReadBytes(At(L"dest.bin")), kept);
    }
    EXPECT_EQ(FileSize(At(L"big.bin")), kLongJob);
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelTest,
                         ::testing::Values(CancelCase{CancelBy::kButton, L"E", false},
                                           CancelCase{CancelBy::kButton, L"E", true},
                                           CancelCase{CancelBy::kCloseRequest, L"E", false},
                                           CancelCase{CancelBy::kCloseRequest, L"E", true},
                                           CancelCase{CancelBy::kSystemMenuClose, L"E", false},
                                           CancelCase{CancelBy::kButton, L"D", false},
                                           CancelCase{CancelBy::kCloseRequest, L"D", true}),
                         [](const auto& tested) { return CaseName(tested.param); });

}  // namespace
}  // namespace vexmora::e2e
