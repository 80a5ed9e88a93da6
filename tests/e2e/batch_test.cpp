// Explorer's selections in the real program: the command line a verb or a double-click gives, the
// prompt answered with key presses, and the one process that then works through the files.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "driver/system_dialogs.h"
#include "driver/user_input.h"
#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

const std::wstring kPassword = L"gravy unmixed reprint hastily cubical shank";

// What the program showed from the prompt's Enter to its end.
struct BatchSeen {
    std::optional<DWORD> exitCode;
    std::vector<MessageBoxSeen> boxes;
    std::size_t mostWindows = 0;   // top-level windows titled "Vexmora" at once
    std::size_t mostChildren = 0;  // processes it started at once
    std::chrono::milliseconds took{0};
};

class BatchTest : public ProgramTest {
  protected:
    // Starts the program with `paths` as Explorer does (after `switchText`, a verb's direction,
    // when given).
    ProgramProcess Start(const std::vector<std::wstring>& paths,
                         const std::wstring& switchText = {}) {
        std::wstring parameters = switchText;
        for (const std::wstring& path : paths) {
            parameters += (parameters.empty() ? L"\"" : L" \"") + path + L"\"";
        }
        return ProgramProcess::Start(ProgramPath(), parameters, Folder());
    }
    // The prompt of the process, once its sentence shows; null when none came.
    static HWND WaitForPrompt(DWORD process, std::wstring* sentence = nullptr) {
        HWND prompt = nullptr;
        WaitUntil(
            [&] {
                prompt = WaitForWindow(process, kTitle, 0ms);
                return prompt != nullptr && !Sentence(prompt).empty();
            },
            30s);
        if (prompt != nullptr && sentence != nullptr) {
            *sentence = Sentence(prompt);
        }
        return prompt;
    }
    static std::wstring Sentence(HWND prompt) {
        for (const ChildControl& control : ChildControls(prompt)) {
            if (SameClass(control.className, L"Static") && !control.text.empty()) {
                return control.text;
            }
        }
        return {};
    }
    // Types the password (twice when encrypting), presses Enter and watches the process to its
    // end, dismissing every box with OK.
    static BatchSeen Answer(ProgramProcess& process, HWND prompt, bool encrypt,
                            std::chrono::milliseconds timeout = 120s) {
        BatchSeen seen;
        EXPECT_TRUE(TypeKeys(prompt, kPassword));
        if (encrypt) {
            EXPECT_TRUE(PressKey(prompt, VK_TAB));
            EXPECT_TRUE(TypeKeys(prompt, kPassword));
        }
        const auto start = Clock::now();
        EXPECT_TRUE(PressKey(prompt, VK_RETURN));
        seen.exitCode = Watch(process, seen, timeout);
        seen.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        return seen;
    }
    static std::optional<DWORD> Watch(ProgramProcess& process, BatchSeen& seen,
                                      std::chrono::milliseconds timeout) {
        const auto giveUp = Clock::now() + timeout;
        while (Clock::now() < giveUp) {
            if (const auto code = process.PollExit(20ms)) {
                return code;
            }
            std::size_t windows = 0;
            for (HWND window : TopLevelWindows(process.Id())) {
                if (IsMessageBox(window)) {
                    seen.boxes.push_back({WindowText(window), MessageBoxText(window), {}});
                    PressMessageBoxOk(window);
                } else if (WindowText(window) == kTitle) {
                    ++windows;
                }
            }
            seen.mostWindows = std::max(seen.mostWindows, windows);
            seen.mostChildren = std::max(seen.mostChildren, ChildProcessIds(process.Id()).size());
        }
        return process.WaitForExit(0ms);
    }
    // A container of `bytes` beside it, made by the script form.
    void MakeContainer(const std::wstring& plain, const Bytes& bytes) {
        WriteBytes(plain, bytes);
        ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", plain, kPassword}))));
        DeleteFileW(plain.c_str());
    }
    static void MakeHiddenSystem(const std::wstring& path, const Bytes& bytes) {
        WriteBytes(path, bytes);
        ASSERT_TRUE(
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        const DWORD attributes = GetFileAttributesW(path.c_str());
        ASSERT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            << "this volume keeps no DOS attributes under Wine";
    }
};

TEST_F(BatchTest, AFolderOfContainersIsDecryptedAndItsDesktopIniLeftAlone) {
    const std::wstring photos = At(L"Photos");
    MakeFolder(photos);
    for (int i = 0; i < 3; ++i) {
        MakeContainer(photos + L"\\p" + std::to_wstring(i) + L".jpg", PatternBytes(5000 + i, i));
    }
    const Bytes ini = {'[', '.', 'S', 'h', 'e', 'l', 'l', ']'};
    MakeHiddenSystem(photos + L"\\desktop.ini", ini);
    MakeHiddenSystem(photos + L"\\Thumbs.db", PatternBytes(300, 9));

    ProgramProcess process = Start({photos});
    std::wstring sentence;
    const HWND prompt = WaitForPrompt(process.Id(), &sentence);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(sentence, L"Decrypt the folder Photos (3 files)");
    const BatchSeen seen = Answer(process, prompt, false);
    EXPECT_EQ(seen.exitCode, std::optional<DWORD>(0));
    EXPECT_TRUE(seen.boxes.empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadBytes(photos + L"\\p" + std::to_wstring(i) + L".jpg"),
                  PatternBytes(5000 + i, i));
    }
    EXPECT_EQ(ReadBytes(photos + L"\\desktop.ini"), ini);
    EXPECT_FALSE(FileExists(photos + L"\\desktop.ini.vx"));
    EXPECT_FALSE(FileExists(photos + L"\\Thumbs.db.vx"));
}

TEST_F(BatchTest, AFolderWithNothingToDoSaysSoWithoutAPrompt) {
    const std::wstring empty = At(L"Empty");
    MakeFolder(empty);
    MakeHiddenSystem(empty + L"\\desktop.ini", PatternBytes(10, 1));
    for (const std::wstring& switchText : {std::wstring(), std::wstring(L"/direction:encrypt")}) {
        SCOPED_TRACE(Narrow(switchText));
        const RunResult run = RunProgram(
            (switchText.empty() ? L"" : switchText + L" ") + L"\"" + empty + L"\"", Folder());
        EXPECT_EQ(run.exitCode, std::optional<DWORD>(1));
        EXPECT_TRUE(run.windowTitles.empty()) << "a prompt appeared";
        ASSERT_EQ(run.messageBoxes.size(), 1u);
        EXPECT_EQ(run.messageBoxes[0].caption, L"Info");
        EXPECT_EQ(run.messageBoxes[0].text, L"Nothing to encrypt in Empty");
    }
}

TEST_F(BatchTest, ThreeHundredSmallFilesRunInOneProgressWindow) {
    const std::wstring many = At(L"many");
    MakeFolder(many);
    for (int i = 0; i < 300; ++i) {
        WritePatternFile(many + L"\\f" + std::to_wstring(i) + L".bin", 4096, i);
    }
    ProgramProcess process = Start({many}, L"/direction:encrypt");
    std::wstring sentence;
    const HWND prompt = WaitForPrompt(process.Id(), &sentence);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(sentence, L"Encrypt the folder many (300 files)");
    const BatchSeen seen = Answer(process, prompt, true);
    EXPECT_EQ(seen.exitCode, std::optional<DWORD>(0));
    EXPECT_TRUE(seen.boxes.empty());
    EXPECT_EQ(seen.mostWindows, 1u);
    EXPECT_EQ(seen.mostChildren, 0u);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(FileSize(many + L"\\f" + std::to_wstring(i) + L".bin.vx"), ContainerSize(4096))
            << i;
    }
    RecordProperty("seconds_for_300_files", std::to_string(seen.took.count() / 1000.0));
    std::printf("300 files of 4 KiB: %.1f s from Enter to the end\n", seen.took.count() / 1000.0);
}

TEST_F(BatchTest, OneSummaryNamesTheBadContainers) {
    std::vector<std::wstring> containers;
    for (int i = 0; i < 5; ++i) {
        const std::wstring plain = At(L"c" + std::to_wstring(i) + L".txt");
        MakeContainer(plain, PatternBytes(100, i));
        containers.push_back(plain + L".vx");
    }
    // The second and the last are damaged: no longer whole blocks.
    for (const int bad : {1, 4}) {
        Bytes bytes = ReadBytes(containers[bad]);
        bytes.push_back(0);
        WriteBytes(containers[bad], bytes);
    }
    ProgramProcess process = Start(containers);
    const HWND prompt = WaitForPrompt(process.Id());
    ASSERT_NE(prompt, nullptr);
    const BatchSeen seen = Answer(process, prompt, false);
    EXPECT_EQ(seen.exitCode, std::optional<DWORD>(1));
    ASSERT_EQ(seen.boxes.size(), 1u);
    EXPECT_EQ(seen.boxes[0].caption, kErrorCaption);
    const std::wstring& text = seen.boxes[0].text;
    EXPECT_EQ(text.rfind(std::wstring(kErrorText) + L"\n2 von 5 Dateien sind fehlgeschlagen:", 0),
              0u)
        << Narrow(text);
    for (const int bad : {1, 4}) {
        EXPECT_NE(text.find(containers[bad] + L": "), std::wstring::npos) << bad;
        EXPECT_FALSE(FileExists(At(L"c" + std::to_wstring(bad) + L".txt")));
    }
    for (const int good : {0, 2, 3}) {
        EXPECT_EQ(ReadBytes(At(L"c" + std::to_wstring(good) + L".txt")), PatternBytes(100, good));
    }
}

TEST_F(BatchTest, CancelStopsABatchWithNothingHalfMade) {
    const std::wstring big = At(L"big");
    MakeFolder(big);
    constexpr int kFiles = 40;
    constexpr std::uint64_t kSize = 4 << 20;
    for (int i = 0; i < kFiles; ++i) {
        WritePatternFile(big + L"\\b" + std::to_wstring(10 + i) + L".bin", kSize, i);
    }
    ProgramProcess process = Start({big});
    const HWND prompt = WaitForPrompt(process.Id());
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(TypeKeys(prompt, kPassword));
    ASSERT_TRUE(PressKey(prompt, VK_TAB));
    ASSERT_TRUE(TypeKeys(prompt, kPassword));
    ASSERT_TRUE(PressKey(prompt, VK_RETURN));
    // Once the progress window says the batch is a few files in, Esc.
    HWND progress = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(process.Id())) {
                for (const ChildControl& control : ChildControls(window)) {
                    int number = 0;
                    if (std::swscanf(control.text.c_str(), L"file %d of 40", &number) == 1 &&
                        number >= 3) {
                        progress = window;
                        return true;
                    }
                }
            }
            return false;
        },
        60s))
        << "no progress window counting the files";
    ASSERT_TRUE(PressKey(progress, VK_ESCAPE));
    BatchSeen seen;
    EXPECT_EQ(Watch(process, seen, 60s), std::optional<DWORD>(1));
    EXPECT_TRUE(seen.boxes.empty());
    // Every file is either done, whole, or not begun; nothing of the program is left.
    int done = 0;
    for (const auto& [name, entry] : ListFolder(big)) {
        const std::uint64_t size = entry.size;
        if (name.ends_with(L".vx")) {
            EXPECT_EQ(size, ContainerSize(kSize)) << Narrow(name);
            ++done;
        } else {
            EXPECT_TRUE(name.ends_with(L".bin")) << Narrow(name);
            EXPECT_EQ(size, kSize) << Narrow(name);
        }
    }
    EXPECT_GE(done, 2);
    EXPECT_LT(done, kFiles);
}

TEST_F(BatchTest, ADoubleClickLaterGetsItsOwnPrompt) {
    MakeContainer(At(L"a.txt"), PatternBytes(10, 1));
    MakeContainer(At(L"b.txt"), PatternBytes(10, 2));
    ProgramProcess first = Start({At(L"a.txt.vx")});
    std::wstring sentence;
    const HWND prompt = WaitForPrompt(first.Id(), &sentence);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(sentence, L"Decrypt a.txt.vx");
    std::this_thread::sleep_for(8s);
    ProgramProcess second = Start({At(L"b.txt.vx")});
    std::wstring secondSentence;
    const HWND secondPrompt = WaitForPrompt(second.Id(), &secondSentence);
    ASSERT_NE(secondPrompt, nullptr) << "the later double-click got no prompt of its own";
    EXPECT_EQ(secondSentence, L"Decrypt b.txt.vx");
    EXPECT_EQ(Sentence(prompt), L"Decrypt a.txt.vx");
    for (auto [process, window] : {std::pair{&first, prompt}, std::pair{&second, secondPrompt}}) {
        ASSERT_TRUE(PressKey(window, VK_ESCAPE));
        EXPECT_EQ(process->WaitForExit(30s), std::optional<DWORD>(1));
    }
}

}  // namespace
}  // namespace vexmora::e2e
