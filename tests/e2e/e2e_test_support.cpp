#include "e2e_test_support.h"

#include <sstream>

#include "driver/system_dialogs.h"
#include "driver/user_input.h"
#include "ui/failure_text.h"

namespace vexmora::e2e {

namespace {

std::string Describe(const RunResult& result) {
    std::ostringstream out;
    out << "exit code ";
    if (result.exitCode) {
        out << *result.exitCode;
    } else {
        out << "none (killed after the time limit)";
    }
    out << "; windows seen:";
    for (const auto& title : result.windowTitles) {
        out << " \"" << Narrow(title) << "\"";
    }
    out << "; message boxes:";
    for (const auto& box : result.messageBoxes) {
        out << " [\"" << Narrow(box.caption) << "\": \"" << Narrow(box.text) << "\"]";
    }
    return out.str();
}

}  // namespace

::testing::AssertionResult JobSucceeded(const RunResult& result) {
    bool onlyProgressWindow = true;
    for (const auto& title : result.windowTitles) {
        onlyProgressWindow = onlyProgressWindow && title == kTitle;
    }
    if (result.exitCode == 0u && result.messageBoxes.empty() && onlyProgressWindow) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected a successful job; " << Describe(result);
}

std::wstring FailureBoxText(JobFailure reason) {
    const std::u16string text = FailureText(reason);
    return std::wstring(text.begin(), text.end());
}

::testing::AssertionResult JobFailedWithErrorBox(const RunResult& result,
                                                 std::optional<JobFailure> reason) {
    const std::wstring firstLine = std::wstring(kErrorText) + L"\n";
    if (result.exitCode == 1u && result.messageBoxes.size() == 1 &&
        result.messageBoxes[0].caption == kErrorCaption &&
        (reason ? result.messageBoxes[0].text == FailureBoxText(*reason)
                : result.messageBoxes[0].text.starts_with(firstLine) &&
                      result.messageBoxes[0].text.size() > firstLine.size()) &&
        result.messageBoxes[0].buttons == std::vector<std::wstring>{L"OK"}) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected one \"Encode/Decode Error!\" box and exit code 1; " << Describe(result);
}

::testing::AssertionResult NothingDone(const RunResult& result) {
    if (result.exitCode == 2u && result.messageBoxes.empty() && result.windowTitles.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected exit code 2 without any window; " << Describe(result);
}

HWND WaitForRepeatDialog(DWORD processId, HWND main, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId)) {
                // Ready once its controls are made and the repeat field has the focus: the
                // window shows before its controls, and keys typed then would be lost.
                if (window != main && !IsMessageBox(window) && WindowText(window) == kTitle &&
                    GetWindow(window, GW_OWNER) == main) {
                    HWND focus = FocusedWindow(window);
                    if (focus != nullptr && GetParent(focus) == window &&
                        SameClass(ClassName(focus), L"Edit")) {
                        found = window;
                        return true;
                    }
                }
            }
            return false;
        },
        timeout);
    return found;
}

::testing::AssertionResult ConfirmPassword(DWORD processId, HWND main,
                                           const PasswordConfirmation& answers, bool* asked) {
    HWND dialog = WaitForRepeatDialog(processId, main, 30s);
    if (dialog == nullptr) {
        return ::testing::AssertionFailure() << "no dialog asked for the password again";
    }
    // The repeat field has the focus when the dialog opens.
    if (!TypeKeys(dialog, answers.repeat) || !PressKey(dialog, VK_RETURN)) {
        return ::testing::AssertionFailure() << "could not type into the repeat dialog";
    }
    if (!WaitUntil([&] { return !IsWindow(dialog); }, 15s)) {
        return ::testing::AssertionFailure() << "Enter did not close the repeat dialog";
    }
    // The question comes before anything starts: a job that has started means none came.
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = WaitForBox(processId, 0ms);
            return box != nullptr || !ChildProcessIds(processId).empty();
        },
        answers.questionWait);
    const bool question = box != nullptr && WindowText(box) == L"Warning";
    if (asked != nullptr) {
        *asked = question;
    }
    if (question && !AnswerBox(box, answers.weakAnswer)) {
        return ::testing::AssertionFailure() << "the weak-password question took no answer";
    }
    return ::testing::AssertionSuccess();
}

Bytes KnownPlaintext() {
    const std::string_view text = "Vexmora end-to-end check\n";
    return Bytes(text.begin(), text.end());
}

const Bytes kSpacePasswordContainer = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x1e, 0x5d, 0xff, 0x46, 0xf5, 0x1f, 0x91, 0x81, 0x22, 0xb3, 0x8a, 0xeb, 0xc2, 0x57, 0x08, 0x49,
    0x8d, 0xfd, 0x7c, 0xe8, 0x91, 0xe3, 0xca, 0xdd, 0x26, 0xe3, 0xd4, 0x66, 0x88, 0xd4, 0x4b, 0x0b,
};

const wchar_t kNonAsciiPassword[] = L"p\u00e4ssw\u00f6rd \u043a\u043b\u044e\u0447 \u5bc6\u7801";

const Bytes kNonAsciiPasswordContainer = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x5a, 0x21, 0x16, 0xe4, 0xf2, 0x6a, 0xfe, 0x77, 0x77, 0x13, 0x78, 0x12, 0x50, 0xbf, 0x12, 0xcf,
    0x3b, 0x2d, 0x8a, 0xc4, 0xdf, 0xd3, 0x67, 0x9f, 0xae, 0xc5, 0xa4, 0x3c, 0x78, 0x9d, 0x59, 0xdf,
};

Bytes DamagedContainer() {
    Bytes damaged = kSpacePasswordContainer;
    damaged.back() = 0x5a;
    return damaged;
}

// The whole suite runs at 96 dpi unless a test asks for another value, and the driver reads
// coordinates unscaled.
class DisplayEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        SetProcessDPIAware();
        dpi_ = std::make_unique<ScopedLogPixels>(96);
    }
    void TearDown() override { dpi_.reset(); }

  private:
    std::unique_ptr<ScopedLogPixels> dpi_;
};

[[maybe_unused]] const auto* const kDisplayEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

}  // namespace vexmora::e2e
