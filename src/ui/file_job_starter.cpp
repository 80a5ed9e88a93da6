#include "ui/file_job_starter.h"

#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/paths.h"
#include "ui/texts.h"

namespace vexmora {

ProcessStarter SystemProcessStarter() {
    return [](std::u16string_view program, std::u16string_view parameters,
              std::u16string_view folder, std::span<const std::uint8_t> secret) {
        return StartProcess(program, parameters, folder, secret);
    };
}

FileJobStarter::FileJobStarter(Toolkit& toolkit, ProcessStarter startProcess,
                               std::u16string programPath, FileSystem& fileSystem)
    : toolkit_(toolkit),
      startProcess_(std::move(startProcess)),
      programPath_(std::move(programPath)),
      fileSystem_(fileSystem) {}

void FileJobStarter::StartWaiting() {
    while (std::optional<WaitingFileJob> job = jobs_.Next()) {
        Start(job->direction, job->input, job->password.view());
    }
}

bool FileJobStarter::Start(Direction direction, std::u16string_view input,
                           std::u16string_view password) {
    const bool encrypt = direction == kEncrypt;
    const std::u16string output = OutputFileFor(toolkit_, direction, input);
    // The child replaces without asking (as on the command line): the window asks first, naming
    // the file, since a dropped file's question may come long after its drop.
    if (output.empty() || !MayReplace(toolkit_, output, fileSystem_, true)) {
        return false;
    }
    // The password's code units go to the child as they are in the field: the child derives the
    // key from them as a script's job does from its command line.
    const std::u16string parameters = ChildCommandLine(encrypt ? u"E" : u"D", input, output);
    const std::span<const std::uint8_t> secret{
        reinterpret_cast<const std::uint8_t*>(password.data()), password.size() * sizeof(char16_t)};
    std::unique_ptr<ChildProcess> child =
        startProcess_(programPath_, parameters, FolderOf(programPath_), secret);
    if (child == nullptr) {
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kStartFailed, kMessageBoxOk);
        return false;
    }
    jobs_.Started(std::move(child));
    return true;
}

std::u16string OutputFileFor(Toolkit& toolkit, Direction direction, std::u16string_view input) {
    if (direction == kEncrypt) {
        return std::u16string(input) + u".vx";
    }
    if (IsContainerName(input)) {
        return std::u16string(input.substr(0, input.size() - 3));
    }
    // No name to derive the output from: the user names it, starting beside the input.
    FileDialogArgs args;
    args.pattern = texts::kAllFilesPattern;
    args.forSaving = true;
    std::u16string folder = FolderOf(input);
    if (folder.size() > 1 && folder[folder.size() - 2] != u':') {
        folder.pop_back();  // "C:\docs", as the dialogs take a folder; "C:\" stays whole
    }
    args.initialFolder = std::move(folder);
    return toolkit.ShowFileDialog(args);
}

}  // namespace vexmora
