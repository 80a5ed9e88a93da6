// Times a selection of 300 small files in the real vexmora.exe three ways: the way the window
// used to run them (one `E file password` process per file, at most two at a time), one batch
// from a verb's command line, and two batches at once (one per half of the files, so that two
// files are in work at a time, as before). Every round makes fresh files and runs each way once,
// in an order that rotates from round to round, so that a busy minute of the machine hits all of
// them alike. A way that leaves anything but 300 whole containers, shows a box or does not end
// ends the benchmark with a failure: its time would not be the work's.
// Usage: vexmora_batch_bench [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/program_process.h"
#include "driver/scratch_files.h"
#include "driver/unique_handle.h"
#include "driver/user_input.h"
#include "driver/window_probe.h"

namespace vexmora::e2e {
namespace {

constexpr int kFiles = 300;
constexpr std::uint64_t kFileSize = 4096;
// IV and the padded ciphertext: a shorter file is a job cut off, a longer one is not ours.
constexpr std::uint64_t kContainerSize = 16 + 16 * (kFileSize / 16 + 1);
// Strong enough that no question about a weak password comes between Enter and the work.
const std::wstring kPassword = L"gravy unmixed reprint hastily cubical shank";
constexpr wchar_t kTitle[] = L"Vexmora";
// Far above any round seen; a job that waits on a box never ends by itself.
constexpr auto kLimit = std::chrono::minutes(15);

class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// `count` fresh files of kFileSize bytes named f<i>.bin in `folder`, different in every round.
void MakeFiles(const std::wstring& folder, int count, std::uint64_t seed) {
    for (int i = 0; i < count; ++i) {
        WritePatternFile(folder + L"f" + std::to_wstring(i) + L".bin", kFileSize, seed + i);
    }
}

// Each of the folders' f<i>.bin has a whole container beside it and nothing else came.
void CheckContainers(const std::vector<std::pair<std::wstring, int>>& folders, const char* way) {
    int whole = 0;
    for (const auto& [folder, count] : folders) {
        const FolderListing listing = ListFolder(folder);
        for (int i = 0; i < count; ++i) {
            const auto found = listing.find(L"f" + std::to_wstring(i) + L".bin.vx");
            if (found != listing.end() && found->second.size == kContainerSize) {
                ++whole;
            }
        }
        if (listing.size() != 2 * static_cast<std::size_t>(count)) {
            throw Failure(std::string(way) + ": " + Narrow(folder) + " holds " +
                          std::to_string(listing.size()) + " entries, not " +
                          std::to_string(2 * count));
        }
    }
    if (whole != kFiles) {
        throw Failure(std::string(way) + ": " + std::to_string(whole) + " whole containers of " +
                      std::to_string(kContainerSize) + " bytes, not " + std::to_string(kFiles));
    }
}

// A message box of the process means the job stopped to ask or to report a failure: the time
// would not be the work's, so the round fails with what the box says.
void FailOnMessageBox(DWORD process, const char* way) {
    for (HWND window : TopLevelWindows(process)) {
        if (IsMessageBox(window)) {
            throw Failure(std::string(way) + ": a box \"" + Narrow(WindowText(window)) +
                          "\" says \"" + Narrow(MessageBoxText(window)) + "\"");
        }
    }
}

void ExpectDone(std::optional<DWORD> code, const char* way) {
    if (!code) {
        throw Failure(std::string(way) + ": did not end within the limit");
    }
    if (*code != 0) {
        throw Failure(std::string(way) + ": exit code " + std::to_string(*code));
    }
}

// Wine now and then fails to create a process on a busy machine (ERROR_INTERNAL_ERROR): such a
// start is tried again, and counted, so that the report says how often it happened. Its time
// stays in the figure of the way it happened in.
int failedStarts = 0;
ProgramProcess StartProgram(const std::wstring& parameters) {
    for (int attempt = 1;; ++attempt) {
        try {
            return ProgramProcess::Start(ProgramPath(), parameters);
        } catch (const std::runtime_error& failure) {
            if (attempt == 3) {
                throw Failure(std::string("vexmora.exe did not start three times: ") +
                              failure.what());
            }
            ++failedStarts;
            std::fprintf(stderr, "a start of vexmora.exe failed (%s); tried again\n",
                         failure.what());
            Sleep(100);
        }
    }
}

// (a) One script job per file, a new one started as soon as one of the two running has ended.
double RunProcessPerFile(const std::wstring& folder) {
    const char* way = "one process per file";
    struct Running {
        ProgramProcess process;
        UniqueHandle waitable;
    };
    std::vector<Running> running;
    int next = 0;
    const auto start = Clock::now();
    while (next < kFiles || !running.empty()) {
        while (next < kFiles && running.size() < 2) {
            const std::wstring file = folder + L"f" + std::to_wstring(next++) + L".bin";
            ProgramProcess process = StartProgram(QuotedParameters({L"E", file, kPassword}));
            UniqueHandle waitable(OpenProcess(SYNCHRONIZE, FALSE, process.Id()));
            if (!waitable.Valid()) {
                throw Failure(std::string(way) + ": cannot wait for a job");
            }
            running.push_back({std::move(process), std::move(waitable)});
        }
        std::vector<HANDLE> handles;
        for (const Running& job : running) {
            handles.push_back(job.waitable.Get());
        }
        // Woken at once by an end; the timeout only looks for a job stuck on a box.
        const DWORD woke =
            WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, 1000);
        if (woke == WAIT_TIMEOUT) {
            for (const Running& job : running) {
                FailOnMessageBox(job.process.Id(), way);
            }
            if (Clock::now() - start > kLimit) {
                ExpectDone(std::nullopt, way);
            }
            continue;
        }
        const std::size_t ended = woke - WAIT_OBJECT_0;
        if (ended >= running.size()) {
            throw Failure(std::string(way) + ": waiting for the jobs failed");
        }
        ExpectDone(running[ended].process.PollExit(), way);
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(ended));
    }
    return SecondsSince(start);
}

ProgramProcess StartBatch(const std::wstring& switchText, const std::wstring& folder) {
    // A verb's line names the folder without its trailing backslash, as Explorer does.
    const std::wstring path = folder.substr(0, folder.size() - 1);
    const std::wstring parameters =
        (switchText.empty() ? L"" : switchText + L" ") + L"\"" + path + L"\"";
    return StartProgram(parameters);
}

struct Prompt {
    HWND window = nullptr;
    HWND ok = nullptr;
};

// A button's words without the "&" of an access key.
std::wstring Words(std::wstring text) {
    std::erase(text, L'&');
    return text;
}

// The process's prompt once it says what it will do: "... (`files` files)".
Prompt FindPrompt(ProgramProcess& process, int files, const char* way) {
    const std::wstring expected = L"(" + std::to_wstring(files) + L" files)";
    Prompt prompt;
    std::string labels;
    const bool found = WaitUntil(
        [&] {
            prompt = {WaitForWindow(process.Id(), kTitle, std::chrono::milliseconds(0)), nullptr};
            if (prompt.window == nullptr) {
                return false;
            }
            bool says = false;
            labels.clear();
            for (const ChildControl& control : ChildControls(prompt.window)) {
                if (SameClass(control.className, L"Static") && !control.text.empty()) {
                    says = says || control.text.find(expected) != std::wstring::npos;
                    labels += " \"" + Narrow(control.text) + "\"";
                } else if (SameClass(control.className, L"Button") &&
                           Words(control.text) == L"OK") {
                    prompt.ok = control.window;
                }
            }
            return says && prompt.ok != nullptr;
        },
        std::chrono::seconds(60));
    if (!found) {
        throw Failure(std::string(way) + ": no prompt for " + std::to_string(files) +
                      " files (labels seen:" + labels + ")");
    }
    return prompt;
}

// Types the password twice, as a user does, and waits for OK to be enabled, which it is once both
// fields match: then Enter starts the work at once.
void Fill(const Prompt& prompt, const char* way) {
    HWND password = nullptr;  // the first field
    for (const ChildControl& control : ChildControls(prompt.window)) {
        if (password == nullptr && SameClass(control.className, L"Edit")) {
            password = control.window;
        }
    }
    if (password == nullptr || !BringToForeground(prompt.window)) {
        throw Failure(std::string(way) + ": the prompt has no password field in front");
    }
    // Keys typed before the password field has the focus would go elsewhere. A prompt that lost
    // the front to another one comes back with the focus on itself, not on a field: a user then
    // presses Tab, which goes to the first field, or clicks into it.
    const auto focused = [&] { return FocusedWindow(prompt.window) == password; };
    if (!WaitUntil(focused, std::chrono::seconds(2))) {
        const bool tabbed =
            PressKey(prompt.window, VK_TAB) && WaitUntil(focused, std::chrono::seconds(2));
        if (!tabbed && !ClickInto(password)) {
            HWND seen = FocusedWindow(prompt.window);
            throw Failure(std::string(way) + ": the password field does not take the focus (" +
                          (seen ? "a " + Narrow(ClassName(seen)) : std::string("nothing")) +
                          " has it)");
        }
        std::fprintf(stderr, "%s: a prompt came to the front with no field focused; %s\n", way,
                     tabbed ? "Tab went to the password field" : "clicked into it");
    }
    if (!TypeKeys(prompt.window, kPassword) || !PressKey(prompt.window, VK_TAB) ||
        !TypeKeys(prompt.window, kPassword) ||
        !WaitUntil([&] { return IsWindowEnabled(prompt.ok) != FALSE; }, std::chrono::seconds(30))) {
        throw Failure(std::string(way) + ": the prompt did not take the password");
    }
}

// Watches the processes to their ends; their exit codes, and no box on the way.
void WaitForBatches(std::vector<ProgramProcess*> processes, Clock::time_point start,
                    const char* way) {
    while (!processes.empty()) {
        // Ends are seen at once; the boxes are looked for only now and then, so that looking
        // takes little from the work.
        const std::optional<DWORD> code =
            processes.front()->PollExit(std::chrono::milliseconds(250));
        if (code) {
            ExpectDone(code, way);
            processes.erase(processes.begin());
            continue;
        }
        for (ProgramProcess* process : processes) {
            FailOnMessageBox(process->Id(), way);
        }
        if (Clock::now() - start > kLimit) {
            ExpectDone(std::nullopt, way);
        }
    }
}

// Returns once the prompt has closed. Keys go to whichever window is in front when they are
// read, so the next prompt is brought to the front only after this one has taken its Enter.
void PressEnter(HWND prompt, const char* way) {
    if (!PressKey(prompt, VK_RETURN)) {
        throw Failure(std::string(way) + ": the prompt could not be brought to the front");
    }
    if (!WaitUntil([&] { return !IsWindow(prompt) || !IsWindowVisible(prompt); },
                   std::chrono::seconds(30))) {
        throw Failure(std::string(way) + ": the prompt stayed open after Enter");
    }
}

// (b) One process for the whole folder, from the Enter in its prompt to its end.
double RunOneBatch(const std::wstring& folder) {
    const char* way = "one batch";
    ProgramProcess process = StartBatch(L"/direction:encrypt", folder);
    const Prompt prompt = FindPrompt(process, kFiles, way);
    Fill(prompt, way);
    const auto start = Clock::now();
    PressEnter(prompt.window, way);
    WaitForBatches({&process}, start, way);
    return SecondsSince(start);
}

// (c) Two processes, one per half: one with the verb's switch and one without, which do not
// gather into one. Both prompts are filled in before either Enter, so that typing is not timed
// and both batches start together.
double RunTwoBatches(const std::wstring& first, const std::wstring& second) {
    const char* way = "two batches";
    ProgramProcess one = StartBatch(L"/direction:encrypt", first);
    ProgramProcess two = StartBatch(L"", second);
    // Both prompts are there before typing begins: one that opens later takes the front.
    const Prompt promptOne = FindPrompt(one, kFiles / 2, way);
    const Prompt promptTwo = FindPrompt(two, kFiles / 2, way);
    Fill(promptOne, way);
    Fill(promptTwo, way);
    const auto start = Clock::now();
    PressEnter(promptOne.window, way);
    PressEnter(promptTwo.window, way);
    WaitForBatches({&one, &two}, start, way);
    return SecondsSince(start);
}

struct Spread {
    double median, least, most;
};
Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

int Run(int rounds) {
    const char* const names[] = {
        "(a) one `E file password` process per file, two at a time",
        "(b) one batch: `/direction:encrypt folder`",
        "(c) two batches of 150 at once (one with the switch, one without)",
    };
    std::vector<double> seconds[3];
    for (int round = 0; round < rounds; ++round) {
        for (int step = 0; step < 3; ++step) {
            const int way = (round + step) % 3;
            const std::uint64_t seed = 1000003ull * static_cast<std::uint64_t>(round * 3 + way);
            ScratchFolder scratch;
            double took = 0;
            if (way == 2) {
                const std::wstring first = scratch / L"first\\";
                const std::wstring second = scratch / L"second\\";
                MakeFolder(first);
                MakeFolder(second);
                MakeFiles(first, kFiles / 2, seed);
                MakeFiles(second, kFiles / 2, seed + kFiles);
                took = RunTwoBatches(first, second);
                CheckContainers({{first, kFiles / 2}, {second, kFiles / 2}}, names[way]);
            } else {
                const std::wstring folder = scratch / L"selection\\";
                MakeFolder(folder);
                MakeFiles(folder, kFiles, seed);
                took = way == 0 ? RunProcessPerFile(folder) : RunOneBatch(folder);
                CheckContainers({{folder, kFiles}}, names[way]);
            }
            seconds[way].push_back(took);
            std::fprintf(stderr, "round %d: %s: %.2f s\n", round + 1, names[way], took);
        }
    }
    // Ratios are taken within a round, where the machine was as busy for both.
    std::printf(
        "| %d files of 4 KiB, %d rounds | median s | min–max s | time / (a): median "
        "(min–max) of the rounds |\n|---|---|---|---|\n",
        kFiles, rounds);
    for (int way = 0; way < 3; ++way) {
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round) {
            ratios.push_back(seconds[way][round] / seconds[0][round]);
        }
        const Spread time = SpreadOf(seconds[way]);
        const Spread ratio = SpreadOf(ratios);
        std::printf("| %s | %.2f | %.2f–%.2f | %.2f (%.2f–%.2f) |\n", names[way], time.median,
                    time.least, time.most, ratio.median, ratio.least, ratio.most);
    }
    if (failedStarts > 0) {
        std::printf("\n%d start(s) of vexmora.exe failed under Wine and were tried again.\n",
                    failedStarts);
    }
    return 0;
}

}  // namespace
}  // namespace vexmora::e2e

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    try {
        return vexmora::e2e::Run(rounds);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "batch bench FAILED: %s\n", failure.what());
        return 1;
    }
}
