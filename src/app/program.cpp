#include "app/program.h"

#include "app/mode.h"
#include "app/parameters.h"
#include "crypto/cipher_stream.h"
#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "jobs/file_job.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "ui/dpi.h"
#include "ui/file_selection.h"
#include "ui/progress_window.h"

namespace vexmora {

int RunProgram(Toolkit& toolkit, std::u16string_view commandLine) {
    // The DPI scale must be known before the first window, the key size and the system random
    // source before the first cipher stream.
    InitDpiScaling(toolkit);
    OpenSystemRandom();
    SetKeyBits(256);

    const Mode mode = ChooseMode(commandLine);
    switch (mode.kind) {
        case ModeKind::FileJob:
            return RunCommandLineJob(toolkit, mode.job.password, mode.job.direction, mode.job.input,
                                     mode.job.output);
        case ModeKind::Nothing:
            return kExitNotUnderstood;
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
                      std::u16string_view inputPath, std::u16string_view outputPath) {
    std::unique_ptr<ProgressWindow> window = OpenProgressWindow(toolkit);
    const Key key = DeriveKey(password, TextFormat::Utf8);
    // The outcome reaches the user through the callback, not the result: a failed job reports
    // (-1, -1) before it returns, and ProgressCallback answers that with the error box
    // (ProgressWindow::Callback). A cancel reports (0, 0) and shows nothing.
    const int result = RunFileJob(key.span(), direction, inputPath, outputPath,
                                  [&](std::int64_t done, std::int64_t total) {
                                      return ProgressCallback(*window, done, total);
                                  });
    return result == 1 ? kExitSuccess : kExitJobFailed;
}

}  // namespace vexmora
