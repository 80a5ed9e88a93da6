// A lock and a condition to wait on together, for threads that hand work to each other.
//
// On Windows these are the system's slim reader/writer lock and condition variable: under Wine
// they wait on the kernel's futexes, where the standard library's (over winpthreads' events and
// semaphores) make a round trip to the Wine server for every wait and wake-up.
#pragma once

#include <memory>

namespace vexmora {

class Monitor {
  public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Lockable, for std::unique_lock and std::lock_guard.
    void lock();
    void unlock();
    // With the lock held: releases it, sleeps until NotifyAll (or spuriously), takes it again.
    void Wait();
    // The same, but also wakes after `milliseconds`, for a waiter that has to look up now and then.
    void WaitFor(int milliseconds);
    // Wakes every waiter; with or without the lock held.
    void NotifyAll();

    template <typename Predicate>
    void WaitUntil(Predicate done) {
        while (!done()) {
            Wait();
        }
    }

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vexmora
