#include "ui/file_job_starter.h"

#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/paths.h"
#include "ui/texts.h"

namespace vexmora {

FileJobStarter::FileJobStarter(Toolkit& toolkit, ProcessStarter startProcess,
                               std::u16string programPath)
    : toolkit_(toolkit),
      startProcess_(std::move(startProcess)),
      programPath_(std::move(programPath)) {}

void FileJobStarter::StartWaiting() {
    while (std::optional<WaitingFileJob> job = jobs_.Next()) {
        Start(job->direction, job->input, job->password);
    }
}

bool FileJobStarter::PasswordFitsCommandLine(std::u16string_view password) {
    // The child reads its command line without escapes: a quote would split the password.
    if (password.find(u'"') == std::u16string_view::npos) {
        return true;
    }
    toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kQuoteInPassword, kMessageBoxOk);
    return false;
}

bool FileJobStarter::Start(Direction direction, std::u16string_view input,
                           std::u16string_view password) {
    if (!PasswordFitsCommandLine(password)) {
        return false;
    }
    const bool encrypt = direction == kEncrypt;
    // Decoding drops the last three characters, whatever they are.
    const std::u16string output =
        encrypt ? std::u16string(input) + u".vx"
                : std::u16string(input.substr(0, input.size() >= 3 ? input.size() - 3 : 0));
    // The child replaces without asking (as on the command line): the window asks first.
    if (!MayReplace(toolkit_, output)) {
        return false;
    }
    const std::u16string parameters =
        ChildCommandLine(encrypt ? u"E" : u"D", input, output, password);
    std::unique_ptr<ChildProcess> child =
        startProcess_(programPath_, parameters, FolderOf(programPath_));
    if (child == nullptr) {
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kStartFailed, kMessageBoxOk);
        return false;
    }
    jobs_.Started(std::move(child));
    return true;
}

}  // namespace vexmora
