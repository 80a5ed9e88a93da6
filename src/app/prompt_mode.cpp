#include <algorithm>

#include "app/program.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "toolkit/path_gathering.h"
#include "ui/file_selection.h"
#include "ui/prompt_window.h"

namespace vexmora {
namespace {

// Explorer starts the processes of a selection one after the other: the gathering stays open
// until none has come for this long.
constexpr std::uint32_t kQuietMs = 500;

}  // namespace

int RunPromptMode(Toolkit& toolkit, std::vector<std::u16string> paths) {
    PathGathering gathering = JoinPathGathering(paths);
    if (gathering.handedOver) {
        return kExitSuccess;
    }
    if (gathering.inbox != nullptr) {
        std::uint32_t quietSince = TickCountMs();
        while (TickCountMs() - quietSince < kQuietMs) {
            toolkit.WaitEvent(50);
            std::vector<std::u16string> more = gathering.inbox->Take();
            if (!more.empty()) {
                paths.insert(paths.end(), more.begin(), more.end());
                quietSince = TickCountMs();
            }
        }
        gathering.inbox->Close();
        std::vector<std::u16string> last = gathering.inbox->Take();
        paths.insert(paths.end(), last.begin(), last.end());
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
    return RunPrompt(toolkit, std::move(*selection), starter) ? kExitSuccess : kExitJobFailed;
}

}  // namespace vexmora
