// Drives the password prompt the way Explorer and a user reach it, inside a Wine prefix where the
// setup has registered the program (tests/e2e/setup_package.sh):
//   prompt_driver open PASSWORD FILE            the .vx open verb's command with %1 = FILE
//   prompt_driver encrypt PASSWORD PATH...      "Encrypt with Vexmora" once per path, all at once
//   prompt_driver encrypt-late PASSWORD PATH...  the same, the last path 3 s after the prompt
//                                                shows: a later action, which must get a prompt
//                                                of its own (printed as "late prompt: ...", then
//                                                cancelled with Esc, exit 1) while the first
//                                                prompt keeps its sentence
//   prompt_driver encrypt-weak-no PASSWORD PATH...  as encrypt, answering No when the password
//                                                is called weak; then the prompt must still be
//                                                open with nothing started, and Esc closes it
//   prompt_driver decrypt PASSWORD PATH...      "Decrypt with Vexmora" once per path (a folder's
//                                                or a .vx file's), all at once
// The commands come from the registry as the setup wrote them. Exactly one prompt must appear;
// the password is typed with real key presses (twice when encrypting) and confirmed with Enter.
// A question about a weak password is answered Yes (No for encrypt-weak-no) and printed.
// Prints the prompt's sentence; exits 0 when every process ended with the exit code expected
// (0, and 1 for a prompt cancelled).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/program_process.h"
#include "driver/system_dialogs.h"
#include "driver/user_input.h"
#include "driver/window_probe.h"

using namespace vexmora::e2e;

namespace {

std::wstring RegistryText(const std::wstring& key) {
    wchar_t value[2048];
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// The verb command for a path: its program, and its parameters with %1 replaced.
struct Command {
    std::wstring program;
    std::wstring parameters;
};
std::optional<Command> VerbCommand(const std::wstring& key, const std::wstring& path) {
    const std::wstring line = RegistryText(L"Software\\Classes\\" + key + L"\\command");
    const std::size_t end = line.find(L'"', 1);
    if (line.empty() || line[0] != L'"' || end == std::wstring::npos) {
        return std::nullopt;
    }
    std::wstring parameters = line.substr(end + 1);
    const std::size_t placeholder = parameters.find(L"%1");
    if (placeholder == std::wstring::npos) {
        return std::nullopt;
    }
    parameters.replace(placeholder, 2, path);
    while (!parameters.empty() && parameters.front() == L' ') {
        parameters.erase(0, 1);
    }
    return Command{line.substr(1, end - 1), parameters};
}

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        return Fail(
            "usage: prompt_driver open|encrypt|encrypt-late|encrypt-weak-no|decrypt PASSWORD "
            "PATH...");
    }
    const std::wstring mode = argv[1];
    const std::wstring password = argv[2];
    // Wine makes a session's desktop, and the parent of its message-only windows, on first use.
    // When the processes below race to do it, one of them may end up with a message-only window the
    // others cannot find, a fault Windows, where the desktop is there before any program, does
    // not have.
    GetDesktopWindow();
    FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool late = mode == L"encrypt-late";
    const bool weakNo = mode == L"encrypt-weak-no";
    const bool encrypt = mode == L"encrypt" || late || weakNo;
    const bool decrypt = mode == L"decrypt";
    std::vector<ProgramProcess> processes;
    const auto start = [&](const std::wstring& path) {
        const bool folder = (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::wstring key =
            decrypt    ? folder ? L"Directory\\shell\\Vexmora.Decrypt"
                                : L"SystemFileAssociations\\.vx\\shell\\Vexmora.Decrypt"
            : !encrypt ? L"Vexmora.EncryptedFile\\shell\\open"
            : folder   ? L"Directory\\shell\\Vexmora.Encrypt"
                       : L"*\\shell\\Vexmora.Encrypt";
        const std::optional<Command> command = VerbCommand(key, path);
        if (command) {
            processes.push_back(ProgramProcess::Start(command->program, command->parameters));
        }
        return command.has_value();
    };
    for (int i = 3; i < argc - (late ? 1 : 0); ++i) {
        if (!start(argv[i])) {
            return Fail("no verb command in the registry");
        }
    }

    // One prompt among all the processes; the others hand their paths over and end.
    HWND prompt = nullptr;
    std::size_t owner = 0;
    WaitUntil(
        [&] {
            for (std::size_t i = 0; i < processes.size(); ++i) {
                for (HWND window : TopLevelWindows(processes[i].Id())) {
                    if (!IsMessageBox(window) && WindowText(window) == L"Vexmora") {
                        prompt = window;
                        owner = i;
                        return true;
                    }
                }
            }
            return false;
        },
        30s);
    if (prompt == nullptr) {
        return Fail("no prompt appeared");
    }
    if (late) {
        Sleep(3000);
        if (!start(argv[argc - 1])) {
            return Fail("no verb command in the registry");
        }
        ProgramProcess& later = processes.back();
        HWND own = nullptr;
        WaitUntil(
            [&] {
                for (HWND window : TopLevelWindows(later.Id())) {
                    if (!IsMessageBox(window) && WindowText(window) == L"Vexmora") {
                        own = window;
                    }
                }
                return own != nullptr;
            },
            30s);
        if (own == nullptr) {
            return Fail("the later process got no prompt of its own");
        }
        std::wstring ownSentence;
        WaitUntil(
            [&] {
                for (const ChildControl& control : ChildControls(own)) {
                    if (SameClass(control.className, L"Static") && !control.text.empty()) {
                        ownSentence = control.text;
                        return true;
                    }
                }
                return false;
            },
            10s);
        std::printf("late prompt: %ls\n", ownSentence.c_str());
        if (!PressKey(own, VK_ESCAPE) || later.WaitForExit(30s) != std::optional<DWORD>(1)) {
            return Fail("the later prompt did not end with 1 after Esc");
        }
        processes.pop_back();
    }
    for (std::size_t i = 0; i < processes.size(); ++i) {
        if (i != owner) {
            auto code = processes[i].WaitForExit(10s);
            if (code != std::optional<DWORD>(0)) {
                std::printf("process %zu of %zu: %s\n", i + 1, processes.size(),
                            code ? "ended with an error" : "still running after 10 s");
                return Fail("a second process did not hand its path over");
            }
        }
    }
    // The window shows before its controls are made: the sentence is the first static text.
    std::wstring sentence;
    WaitUntil(
        [&] {
            for (const ChildControl& control : ChildControls(prompt)) {
                if (SameClass(control.className, L"Static") && !control.text.empty()) {
                    sentence = control.text;
                    return true;
                }
            }
            return false;
        },
        10s);
    std::printf("prompt: %ls\n", sentence.c_str());
    std::fflush(stdout);

    // The password field has the focus; Tab leads to the repeat field.
    if (!TypeKeys(prompt, password) ||
        (encrypt && (!PressKey(prompt, VK_TAB) || !TypeKeys(prompt, password))) ||
        !PressKey(prompt, VK_RETURN)) {
        return Fail("could not type");
    }
    const DWORD ownerId = processes[owner].Id();
    HWND question = nullptr;
    if (encrypt) {
        WaitUntil(
            [&] {
                question = WaitForBox(ownerId, 0ms);
                return question != nullptr || !processes[owner].Running();
            },
            15s);
    }
    if (question != nullptr) {
        std::printf("question: %ls: %ls\n", WindowText(question).c_str(),
                    MessageBoxText(question).c_str());
        std::fflush(stdout);
        if (!AnswerBox(question, weakNo ? IDNO : IDYES)) {
            return Fail("could not answer the question");
        }
    }
    if (weakNo) {
        if (question == nullptr) {
            return Fail("no question about the weak password");
        }
        // No keeps the prompt open for another password, and nothing has started.
        if (!Synchronize(prompt) || !IsWindow(prompt) || !processes[owner].Running() ||
            !ChildProcessIds(ownerId).empty()) {
            return Fail("answering No did not keep the prompt open with nothing started");
        }
        if (!PressKey(prompt, VK_ESCAPE) ||
            processes[owner].WaitForExit(60s) != std::optional<DWORD>(1)) {
            return Fail("the prompt's process did not end with 1 after Esc");
        }
        return 0;
    }
    if (processes[owner].WaitForExit(60s) != std::optional<DWORD>(0)) {
        return Fail("the prompt's process did not end with 0");
    }
    return 0;
}
