// Times the main window's text Encode and Decode from the click to the new text in the editor
// and the window answering again, on texts of the given sizes, in the real vexmora.exe. The text
// is put into the editor beforehand (WM_SETTEXT: setting up, not timed); each action is a real
// click on its button. Prints one line per size: the median, fastest and slowest of the runs.
// Usage: vexmora_text_window_bench [--runs N] [--limit SECONDS] SIZE_KIB...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver/program_process.h"
#include "driver/scratch_files.h"
#include "driver/user_input.h"
#include "driver/window_probe.h"

namespace vexmora::e2e {
namespace {

// Words and line breaks, like a letter: about 70 characters per line, some of them non-ASCII.
std::wstring LetterText(std::size_t size) {
    static const wchar_t* const kWords[] = {
        L"Gr\u00fc\u00dfe", L"aus", L"K\u00f6ln", L"und",      L"eine", L"Rechnung",
        L"\u00fcber",       L"42",  L"\u20ac",    L"f\u00fcr", L"das",  L"Jahr"};
    std::wstring text;
    std::uint64_t state = 1;
    std::size_t line = 0;
    while (text.size() < size) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const std::wstring word = kWords[(state >> 33) % std::size(kWords)];
        text += word;
        line += word.size() + 1;
        if (line > 70) {
            text += L"\r\n";
            line = 0;
        } else {
            text += L' ';
        }
    }
    text.resize(size);
    if (!text.empty() && text.back() == L'\r') {
        text.back() = L'.';
    }
    return text;
}

std::size_t Utf8Size(const std::wstring& text) {
    return static_cast<std::size_t>(WideCharToMultiByte(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr));
}

std::optional<LRESULT> TextLength(HWND control, std::chrono::milliseconds timeout) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(timeout.count()), &length)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(length);
}

// Clicks the button and returns the seconds until the editor holds a text of `length` units and
// the window answers; empty when that takes longer than `limit`.
std::optional<double> TimeAction(HWND window, HWND button, HWND editor, std::size_t length,
                                 std::chrono::seconds limit) {
    const auto start = Clock::now();
    PostClick(button);
    // A sent message waits until the action has returned to the message loop.
    while (Clock::now() - start < limit) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit - (Clock::now() - start));
        const std::optional<LRESULT> now = TextLength(editor, left);
        if (now && static_cast<std::size_t>(*now) == length && Synchronize(window, left)) {
            return std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    return std::nullopt;
}

struct Spread {
    double median, fastest, slowest;
};
Spread SpreadOf(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return {seconds[seconds.size() / 2], seconds.front(), seconds.back()};
}

HWND ControlOf(HWND window, const wchar_t* className, const wchar_t* text = nullptr) {
    for (const ChildControl& control : ChildControls(window)) {
        if (SameClass(control.className, className) && (text == nullptr || control.text == text)) {
            return control.window;
        }
    }
    return nullptr;
}

int Run(int runs, std::chrono::seconds limit, const std::vector<std::size_t>& sizesKib) {
    std::printf("| text | Encode | Decode | Encode + Decode |\n|---|---|---|---|\n");
    int failures = 0;
    for (const std::size_t kib : sizesKib) {
        ScratchFolder folder;
        ProgramProcess program = ProgramProcess::Start(ProgramPath(), L"", folder.Path());
        HWND window = WaitForWindow(program.Id(), L"Vexmora", 30s);
        WaitUntil([&] { return window != nullptr && ChildControls(window).size() >= 12; }, 10s);
        HWND editor = ControlOf(window, L"RichEdit20W");
        HWND encode = ControlOf(window, L"Button", L"Encode");
        HWND decode = ControlOf(window, L"Button", L"Decode");
        if (editor == nullptr || encode == nullptr || decode == nullptr) {
            std::printf("the main window did not appear\n");
            return 1;
        }
        const std::wstring text = LetterText(kib * 1024);
        const std::size_t container = 16 + 16 * (Utf8Size(text) / 16 + 1);
        const std::size_t encodedLength = 4 * ((container + 2) / 3);
        SetControlText(ControlOf(window, L"Edit"), L"benchmark password");
        std::vector<double> encodes, decodes, totals;
        std::string note;
        for (int run = 0; run < runs && note.empty(); ++run) {
            SetControlText(editor, text, 600s);
            const std::optional<double> e =
                TimeAction(window, encode, editor, encodedLength, limit);
            const std::optional<double> d =
                e ? TimeAction(window, decode, editor, text.size(), limit) : std::nullopt;
            if (!e || !d) {
                note = !e ? "Encode" : "Decode";
                break;
            }
            encodes.push_back(*e);
            decodes.push_back(*d);
            totals.push_back(*e + *d);
        }
        if (note.empty() && ControlText(editor, 600s) != text) {
            note = "decoded text differs";
        }
        const char* label = kib >= 1024 ? "MiB" : "KiB";
        const std::size_t amount = kib >= 1024 ? kib / 1024 : kib;
        if (!note.empty()) {
            std::printf("| %zu %s | %s did not settle within %lld s | | |\n", amount, label,
                        note.c_str(), static_cast<long long>(limit.count()));
            ++failures;
        } else {
            std::printf("| %zu %s |", amount, label);
            for (const auto& seconds : {encodes, decodes, totals}) {
                const Spread s = SpreadOf(seconds);
                std::printf(" %.2f s (%.2f to %.2f) |", s.median, s.fastest, s.slowest);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
        program.Kill();
    }
    return failures == 0 ? 0 : 2;
}

}  // namespace
}  // namespace vexmora::e2e

int main(int argc, char** argv) {
    int runs = 5;
    long long limit = 120;
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--limit" && i + 1 < argc) {
            limit = std::max(1ll, std::atoll(argv[++i]));
        } else {
            sizes.push_back(static_cast<std::size_t>(std::strtoull(arg.c_str(), nullptr, 10)));
        }
    }
    if (sizes.empty()) {
        sizes = {100, 1024, 5120};
    }
    return vexmora::e2e::Run(runs, std::chrono::seconds(limit), sizes);
}
