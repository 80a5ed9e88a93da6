#include "app/program.h"
#include "crypto/key_derivation.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "toolkit/path_gathering.h"
#include "ui/batch_job.h"
#include "ui/progress_window.h"
#include "ui/prompt_window.h"

namespace vexmora {

int RunPromptMode(Toolkit& toolkit, std::vector<std::u16string> paths,
                  std::optional<Direction> chosen) {
    PathGathering gathering = JoinPathGathering(HandInKind(chosen), paths);
    if (gathering.handedOver) {
        return kExitSuccess;
    }
    std::optional<PromptAnswer> answer = RunPrompt(toolkit, RealFileSystem(), std::move(paths),
                                                   chosen, gathering.inbox.get(), TickCountMs);
    gathering.inbox.reset();
    if (!answer) {
        return kExitJobFailed;
    }
    // One key for the whole batch; the password goes as soon as it is made.
    const Key key = DeriveKey(answer->password.view(), TextFormat::Utf8);
    answer->password = SecretText();
    std::unique_ptr<ProgressWindow> window = OpenProgressWindow(toolkit);
    const BatchOutcome outcome =
        RunBatch(toolkit, RealFileSystem(), key.span(), answer->selection, *window);
    ShowBatchOutcome(toolkit, outcome);
    return outcome.failures.empty() && !outcome.cancelled ? kExitSuccess : kExitJobFailed;
}

}  // namespace vexmora
