#include <algorithm>

#include "app/program.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "toolkit/path_gathering.h"
#include "ui/file_selection.h"
#include "ui/prompt_window.h"

namespace vexmora {
namespace {

// Explorer starts the processes of a selection one after the other: the prompt shows once none
// has come for this long. Later ones still join it while it is open.
constexpr std::uint32_t kQuietMs = 500;

}  // namespace

int RunPromptMode(Toolkit& toolkit, std::vector<std::u16string> paths) {
    PathGathering gathering = JoinPathGathering(paths);
    if (gathering.handedOver) {
        return kExitSuccess;
    }
    if (gathering.inbox != nullptr) {
        std::uint32_t quietSince = TickCountMs();
        gathering.inbox->Receive([&](std::vector<std::u16string> more) {
            paths.insert(paths.end(), more.begin(), more.end());
            quietSince = TickCountMs();
            return true;
        });
        while (TickCountMs() - quietSince < kQuietMs) {
            toolkit.WaitEvent(50);
        }
        // Until the prompt receives them, hand-ins go on alone rather than into a list already
        // read.
        gathering.inbox->Receive(nullptr);
    }
    // A path handed in that is gone by now is left out rather than costing the others their
    // prompt.
    std::erase_if(paths, [](const std::u16string& path) {
        return !AllFilesOrFolders(RealFileSystem(), std::span(&path, 1));
    });
    std::optional<FileSelection> selection = SelectFiles(RealFileSystem(), paths);
    if (!selection) {
        return kExitJobFailed;
    }
    FileJobStarter starter(toolkit, SystemProcessStarter(), ProgramPath(), RealFileSystem());
    return RunPrompt(toolkit, std::move(*selection), starter, gathering.inbox.get())
               ? kExitSuccess
               : kExitJobFailed;
}

}  // namespace vexmora
