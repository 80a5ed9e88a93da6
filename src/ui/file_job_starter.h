// Starting file-job children: the one way the main window and the password prompt start a job,
// and the queue that keeps at most FileJobQueue::kMaxRunning of them running.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "crypto/direction.h"
#include "platform/process.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_queue.h"

namespace vexmora {

// Starts a process: program path, parameter text, working folder; the process, or null when none
// started.
using ProcessStarter = std::function<std::unique_ptr<ChildProcess>(
    std::u16string_view program, std::u16string_view parameters, std::u16string_view folder)>;

class FileJobStarter {
  public:
    FileJobStarter(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath);

    // Starts a file-job child that encrypts (kEncrypt: output = input + ".vx") or decrypts
    // (kDecrypt: output = input without its last three characters) input with the password. A
    // password with a double quote is refused with a box, and an existing output is replaced
    // only after the overwrite question was answered Yes. True when a child was started.
    bool Start(Direction direction, std::u16string_view input, std::u16string_view password);
    // False (after an error box) when the password holds a double quote.
    bool PasswordFitsCommandLine(std::u16string_view password);

    // Jobs that wait for their turn, and starting those whose turn has come.
    void Wait(WaitingFileJob job) { jobs_.Wait(std::move(job)); }
    void StartWaiting();
    const FileJobQueue& jobs() const { return jobs_; }

  private:
    Toolkit& toolkit_;
    ProcessStarter startProcess_;
    std::u16string programPath_;
    FileJobQueue jobs_;
};

}  // namespace vexmora
