#include "app/program.h"

#include "app/mode.h"
#include "crypto/cipher_stream.h"
#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "jobs/file_job.h"
#include "ui/dpi.h"
#include "ui/progress_window.h"
#include "ui/texts.h"

namespace vexmora {

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
            return RunCommandLineJob(toolkit, mode.job.password, mode.job.direction, mode.job.input,
                                     mode.job.output, mode.job.fromWindow);
        case ModeKind::Nothing:
            return kExitNotUnderstood;
        case ModeKind::Window:
            break;
    }
    return RunWindowMode(toolkit);
}

int RunCommandLineJob(Toolkit& toolkit, std::u16string_view password, int direction,
                      std::u16string_view inputPath, std::u16string_view outputPath,
                      bool fromWindow) {
    std::unique_ptr<ProgressWindow> window = OpenProgressWindow(toolkit);
    const Key key = DeriveKey(password, TextFormat::Utf8);
    // The outcome reaches the user through the callback, not the result: a failed job reports
    // (-1, -1) before it returns, and ProgressCallback answers that with the error box
    // (ProgressWindow::Callback). A cancel reports (0, 0) and shows nothing; one that came too
    // late, while the output was put in place, is a success, and the window says so.
    const FileJobOutcome outcome = RunFileJobWithOutcome(
        key.span(), direction, inputPath, outputPath, [&](std::int64_t done, std::int64_t total) {
            return ProgressCallback(*window, done, total);
        });
    if (fromWindow && !outcome.keptOldFile.empty()) {
        toolkit.ShowMessageBox(texts::kInfoCaption,
                               std::u16string(texts::kKeptOldFile) + outcome.keptOldFile,
                               kMessageBoxOk);
    }
    return outcome.result == 1 ? kExitSuccess : kExitJobFailed;
}

}  // namespace vexmora
