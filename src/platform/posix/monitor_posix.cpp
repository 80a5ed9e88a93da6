#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/monitor.h"

namespace vexmora {

struct Monitor::State {
    std::mutex mutex;
    std::condition_variable changed;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}
Monitor::~Monitor() = default;

void Monitor::lock() {
    state_->mutex.lock();
}
void Monitor::unlock() {
    state_->mutex.unlock();
}

void Monitor::Wait() {
    std::unique_lock lock(state_->mutex, std::adopt_lock);
    state_->changed.wait(lock);
    lock.release();  // still held, by the caller
}

void Monitor::WaitFor(int milliseconds) {
    std::unique_lock lock(state_->mutex, std::adopt_lock);
    state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds));
    lock.release();
}

void Monitor::NotifyAll() {
    state_->changed.notify_all();
}

}  // namespace vexmora
