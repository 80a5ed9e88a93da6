#include <windows.h>

#include "platform/monitor.h"

namespace vexmora {

struct Monitor::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}
Monitor::~Monitor() = default;

void Monitor::lock() {
    AcquireSRWLockExclusive(&state_->lock);
}
void Monitor::unlock() {
    ReleaseSRWLockExclusive(&state_->lock);
}

void Monitor::Wait() {
    SleepConditionVariableSRW(&state_->changed, &state_->lock, INFINITE, 0);
}

void Monitor::WaitFor(int milliseconds) {
    SleepConditionVariableSRW(&state_->changed, &state_->lock, static_cast<DWORD>(milliseconds), 0);
}

void Monitor::NotifyAll() {
    WakeAllConditionVariable(&state_->changed);
}

}  // namespace vexmora
