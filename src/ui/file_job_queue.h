// The file jobs that the main window has started and those that wait for their turn: dropping
// many files must not start a process per file at once.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crypto/direction.h"
#include "crypto/wipe.h"
#include "platform/process.h"

namespace vexmora {

// A file job that waits: what it will be started with.
struct WaitingFileJob {
    Direction direction = kEncrypt;
    std::u16string input;
    SecretText password;  // wiped when the job leaves the queue, and when the queue goes
};

class FileJobQueue {
  public:
    // At most this many started jobs run at a time before a waiting one is started.
    static constexpr std::size_t kMaxRunning = 2;

    // A job that has been started; it counts until its process ends.
    void Started(std::unique_ptr<ChildProcess> job);
    // A job that is to be started when its turn comes, after those already waiting.
    void Wait(WaitingFileJob job);

    // Forgets the jobs whose process has ended; then the oldest waiting job if fewer than
    // kMaxRunning run, which leaves the queue (the caller starts it and reports it with
    // Started). Empty when nothing may start now.
    std::optional<WaitingFileJob> Next();

    std::size_t Running() const { return running_.size(); }
    std::size_t Waiting() const { return waiting_.size(); }

  private:
    std::vector<std::unique_ptr<ChildProcess>> running_;
    std::deque<WaitingFileJob> waiting_;
};

}  // namespace vexmora
