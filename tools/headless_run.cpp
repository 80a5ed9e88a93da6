// Runs vexmora.exe (the one beside this program) where nobody sees its windows, for scripts/run
// without a display: the rest of this program's command line goes to it unchanged, every message
// box it shows is reported on standard error with its caption, text and buttons and answered with
// OK, and this program ends with the program's exit code.
#include <windows.h>

#include <string>
#include <string_view>

#include "driver/program_process.h"
#include "driver/scratch_files.h"

namespace {

// The command line after its first `skip` tokens, split as the C runtime splits it (spaces and
// tabs outside double quotes); the rest is kept exactly as written.
std::wstring_view After(std::wstring_view line, int skip) {
    std::size_t at = 0;
    for (int token = 0; token < skip; ++token) {
        at = line.find_first_not_of(L" \t", at);
        bool quoted = false;
        for (; at < line.size() && (quoted || (line[at] != L' ' && line[at] != L'\t')); ++at) {
            quoted = line[at] == L'"' ? !quoted : quoted;
        }
    }
    at = line.find_first_not_of(L" \t", at);
    return at == std::wstring_view::npos ? std::wstring_view() : line.substr(at);
}

void Report(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

}  // namespace

int main() {
    using vexmora::e2e::Narrow;
    const std::wstring parameters(After(GetCommandLineW(), 1));
    // No time limit: a file job takes as long as its file needs.
    const vexmora::e2e::RunResult result = vexmora::e2e::RunProgram(
        parameters, {}, std::chrono::hours(24 * 366), [](const vexmora::e2e::MessageBoxSeen& box) {
            std::string buttons;
            for (const std::wstring& button : box.buttons) {
                buttons += " [" + Narrow(button) + "]";
            }
            Report("vexmora: message box \"" + Narrow(box.caption) + "\": " + Narrow(box.text) +
                   buttons + " -> OK\n");
        });
    return result.exitCode ? static_cast<int>(*result.exitCode) : 1;
}
