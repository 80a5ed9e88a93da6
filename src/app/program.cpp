#include "app/program.h"

#include "app/mode.h"
#include "app/parameters.h"
#include "crypto/cipher_stream.h"
#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "crypto/wipe.h"
#include "jobs/file_job.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "ui/dpi.h"
#include "ui/file_selection.h"
#include "ui/progress_window.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

// The key of a job that the window started, from the password its parent handed down through the
// channel: UTF-16 code units in the machine's order. Nothing when the channel is lost, short, or
// not a frame of whole code units; the job then fails, it never runs with another password.
std::optional<Key> ReceiveKey(std::u16string_view channel) {
    std::vector<char16_t, WipingAllocator<char16_t>> password(kMaxSecretBytes / sizeof(char16_t));
    const std::optional<std::size_t> size = ReadInheritedSecret(
        channel,
        {reinterpret_cast<std::uint8_t*>(password.data()), password.size() * sizeof(char16_t)});
    if (!size || *size % sizeof(char16_t) != 0) {
        return std::nullopt;
    }
    // The received copy goes (wiped by its allocator) as soon as the key is made.
    return DeriveKey({password.data(), *size / sizeof(char16_t)}, TextFormat::Utf8);
}

int RunJobWithKey(Toolkit& toolkit, const std::optional<Key>& key, int direction,
                  std::u16string_view inputPath, std::u16string_view outputPath, bool fromWindow) {
    std::unique_ptr<ProgressWindow> window = OpenProgressWindow(toolkit, inputPath);
    // A failure is shown once the job has said why (below); the rest as the window shows it.
    const auto report = [&](std::int64_t done, std::int64_t total) {
        return done == -1 && total == -1 ? 0 : ProgressCallback(*window, done, total);
    };
    if (!key) {
        window->ShowFailure(JobFailure::Other);  // the channel gave no password
        return kExitJobFailed;
    }
    // A cancel reports (0, 0) and shows nothing; one that came too late, while the output was put
    // in place, is a success, and the window says so.
    const FileJobOutcome outcome =
        RunFileJobWithOutcome(key->span(), direction, inputPath, outputPath, report);
    if (outcome.result != 1 && outcome.failure != JobFailure::None) {
        window->ShowFailure(outcome.failure);
    }
    if (fromWindow && !outcome.keptOldFile.empty()) {
        toolkit.ShowMessageBox(texts::kInfoCaption,
                               std::u16string(texts::kKeptOldFile) + outcome.keptOldFile,
                               kMessageBoxOk);
    }
    return outcome.result == 1 ? kExitSuccess : kExitJobFailed;
}

}  // namespace

int RunProgram(Toolkit& toolkit, std::u16string_view commandLine) {
    // The DPI scale must be known before the first window, the key size and the system random
    // source before the first cipher stream. A source that does not open is not an error yet:
    // every encryption then fails on its own (CreateCipherStream), and decryption needs none.
    InitDpiScaling(toolkit);
    static_cast<void>(OpenSystemRandom());
    SetKeyBits(256);

    const Mode mode = ChooseMode(commandLine);
    switch (mode.kind) {
        case ModeKind::FileJob:
            if (mode.job.fromWindow) {
                return RunJobWithKey(toolkit, ReceiveKey(mode.job.passwordChannel),
                                     mode.job.direction, mode.job.input, mode.job.output, true);
            }
            return RunCommandLineJob(toolkit, mode.job.password, mode.job.direction, mode.job.input,
                                     mode.job.output);
        case ModeKind::Nothing:
            return kExitNotUnderstood;
        case ModeKind::Explorer: {
            // A verb's line is ours whatever became of its paths (a file moved since the menu
            // opened): the prompt leaves out the missing ones and says so, where the main window
            // would only puzzle the user.
            std::vector<std::u16string> paths;
            for (const std::u16string& path : mode.explorer.paths) {
                paths.push_back(AbsolutePath(path));
            }
            return RunPromptMode(toolkit, std::move(paths), mode.explorer.direction);
        }
        case ModeKind::Window:
            break;
    }
    // Paths from Explorer (its verbs, Send To, a double-click): all of them must exist, or the
    // line is not ours to read and the main window opens as for any other line.
    std::vector<std::u16string> paths;
    for (int i = 0; i < ParameterCount(commandLine); ++i) {
        paths.push_back(AbsolutePath(ParameterAt(commandLine, i)));
    }
    if (AllFilesOrFolders(RealFileSystem(), paths)) {
        return RunPromptMode(toolkit, std::move(paths));
    }
    return RunWindowMode(toolkit);
}

int RunCommandLineJob(Toolkit& toolkit, std::u16string_view password, int direction,
                      std::u16string_view inputPath, std::u16string_view outputPath,
                      bool fromWindow) {
    return RunJobWithKey(toolkit, DeriveKey(password, TextFormat::Utf8), direction, inputPath,
                         outputPath, fromWindow);
}

}  // namespace vexmora
