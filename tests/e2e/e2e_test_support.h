// Shared pieces of the end-to-end tests: a fixture with a scratch folder, expectations for the
// ways a run of the program can end, and fixed containers made with an independent tool.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "driver/display_dpi.h"
#include "driver/program_process.h"
#include "driver/scratch_files.h"
#include "driver/window_probe.h"
#include "jobs/job_failure.h"

namespace vexmora::e2e {

inline constexpr std::uint64_t kChunk = 16ull * 1024 * 1024;
inline constexpr wchar_t kTitle[] = L"Vexmora";
inline constexpr wchar_t kErrorCaption[] = L"Error";
inline constexpr wchar_t kErrorText[] = L"Encode/Decode Error!";

// Size of the container for an input of `size` bytes: IV plus the padded ciphertext.
inline std::uint64_t ContainerSize(std::uint64_t size) {
    return 16 + 16 * (size / 16 + 1);
}

class ProgramTest : public ::testing::Test {
  protected:
    std::wstring At(const std::wstring& name) const { return folder_ / name; }
    const std::wstring& Folder() const { return folder_.Path(); }
    RunResult Run(const std::wstring& parameters, std::chrono::milliseconds timeout = 60s) const {
        return RunProgram(parameters, folder_.Path(), timeout);
    }

  private:
    ScratchFolder folder_;
};

// A job that ended well: exit code 0, no message box, no window but the progress window.
::testing::AssertionResult JobSucceeded(const RunResult& result);
// A job that failed: one message box under "Error" with only an OK button, whose first line is
// "Encode/Decode Error!" and whose second says why (that of `reason`, when given), then exit
// code 1.
::testing::AssertionResult JobFailedWithErrorBox(const RunResult& result,
                                                 std::optional<JobFailure> reason = std::nullopt);
// The text of the box of a job that failed for `reason`, as the program shows it.
std::wstring FailureBoxText(JobFailure reason);
// A command line that fits no file-job row: exit code 2, no window, no message box.
::testing::AssertionResult NothingDone(const RunResult& result);

// The dialog that the main window `main` of the process opens before a password encrypts (a
// window it owns, titled "Vexmora"), once its repeat field has the focus; null when none is
// open before `timeout`.
HWND WaitForRepeatDialog(DWORD processId, HWND main, std::chrono::milliseconds timeout);

// How a user answers what the main window asks before a password encrypts.
struct PasswordConfirmation {
    std::wstring repeat;     // typed into the repeat dialog as key presses, then Enter
    int weakAnswer = IDYES;  // to the question about a weak password, when it comes
    std::chrono::milliseconds questionWait = 3s;  // how long the question may take to come
};
// Answers the repeat dialog, which must come within 30 s, and then the question about a weak
// password if one comes within `questionWait`; `asked` says whether it came.
::testing::AssertionResult ConfirmPassword(DWORD processId, HWND main,
                                           const PasswordConfirmation& answers,
                                           bool* asked = nullptr);

// Fixed containers made with the openssl command (raw key = SHA-256 of the password's UTF-8 bytes,
// IV 00 01 .. 0f in front), so the program's decryption is checked against an independent
// implementation. The plaintext of both is KnownPlaintext().
Bytes KnownPlaintext();
// Password "correct horse". Decrypting it with "wrong horse" ends in invalid padding.
extern const Bytes kSpacePasswordContainer;
// Password "pässwörd ключ 密码" (UTF-8 for the key).
extern const wchar_t kNonAsciiPassword[];
extern const Bytes kNonAsciiPasswordContainer;
// kSpacePasswordContainer with its last byte changed: the padding no longer checks out.
Bytes DamagedContainer();

}  // namespace vexmora::e2e
