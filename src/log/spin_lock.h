// A lock that is constant-initialised on every platform, for statics used
// from other statics' constructors and destructors (MinGW's std::mutex is
// not). Held only for a first look-up, so spinning costs nothing.
#ifndef PMSNMP_SPIN_LOCK_H
#define PMSNMP_SPIN_LOCK_H

#include <atomic>
#include <thread>

class PmcSpinLock {
public:
    constexpr PmcSpinLock() noexcept = default;
    PmcSpinLock(const PmcSpinLock&) = delete;
    PmcSpinLock& operator=(const PmcSpinLock&) = delete;

    void lock() noexcept {
        while (held_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() noexcept { held_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> held_{false};
};

#endif
