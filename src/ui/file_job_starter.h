// Starting file-job children: the one way the main window and the password prompt start a job,
// and the queue that keeps at most FileJobQueue::kMaxRunning of them running.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "crypto/direction.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_queue.h"

namespace vexmora {

// Starts a process: program path, parameter text, working folder, and the secret that reaches the
// child through its own channel (see StartProcess); the process, or null when none started.
using ProcessStarter = std::function<std::unique_ptr<ChildProcess>(
    std::u16string_view program, std::u16string_view parameters, std::u16string_view folder,
    std::span<const std::uint8_t> secret)>;

// StartProcess with its secret: how the program starts its file-job children.
ProcessStarter SystemProcessStarter();

// The output of a file job on input: input + ".vx" when encrypting, a container's name without
// ".vx" when decrypting (see IsContainerName); for any other name the save dialog asks, opened in
// the input's folder. Empty when the user chose none.
std::u16string OutputFileFor(Toolkit& toolkit, Direction direction, std::u16string_view input);

class FileJobStarter {
  public:
    FileJobStarter(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath,
                   FileSystem& fileSystem);
    FileJobStarter(const FileJobStarter&) = delete;
    FileJobStarter& operator=(const FileJobStarter&) = delete;

    // Starts a file-job child that encrypts (kEncrypt: output = input + ".vx") or decrypts
    // (kDecrypt: output = input without its ".vx", see IsContainerName; for any other name the
    // save dialog asks for the output, opened in the input's folder) input with the password. The
    // password goes to the child as its secret, never on its command line, and an existing
    // output is replaced only after the overwrite question, which names it, was answered Yes
    // (see MayReplace). True when a child was started.
    bool Start(Direction direction, std::u16string_view input, std::u16string_view password);

    // Jobs that wait for their turn, and starting those whose turn has come.
    void Wait(WaitingFileJob job) { jobs_.Wait(std::move(job)); }
    void StartWaiting();
    const FileJobQueue& jobs() const { return jobs_; }
    FileSystem& fileSystem() const { return fileSystem_; }

  private:
    Toolkit& toolkit_;
    ProcessStarter startProcess_;
    std::u16string programPath_;
    FileSystem& fileSystem_;
    FileJobQueue jobs_;
};

}  // namespace vexmora
