#include "ui/file_job_queue.h"

#include <algorithm>

namespace vexmora {

void FileJobQueue::Started(std::unique_ptr<ChildProcess> job) {
    if (job != nullptr) {
        running_.push_back(std::move(job));
    }
}

void FileJobQueue::Wait(WaitingFileJob job) {
    waiting_.push_back(std::move(job));
}

std::optional<WaitingFileJob> FileJobQueue::Next() {
    std::erase_if(running_,
                  [](const std::unique_ptr<ChildProcess>& job) { return !job->Running(); });
    if (waiting_.empty() || running_.size() >= kMaxRunning) {
        return std::nullopt;
    }
    WaitingFileJob next = std::move(waiting_.front());
    waiting_.pop_front();
    return next;
}

}  // namespace vexmora
