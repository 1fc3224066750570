// Time and identifiers for the line prefix: the one place that knows the
// operating system.
#include "log/log_line.h"

#include <chrono>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#endif

namespace {

#if defined(_WIN32)
long current_process_id() { return static_cast<long>(GetCurrentProcessId()); }
long current_thread_id() { return static_cast<long>(GetCurrentThreadId()); }
#else
// Both identifiers are system calls; each thread asks once and asks again
// after a fork, where the child's thread has new identifiers but keeps
// the parent's thread-local copies.
std::atomic<unsigned> g_fork_generation{0};

void count_fork() { g_fork_generation.fetch_add(1, std::memory_order_relaxed); }

struct Identifiers {
    unsigned generation = 0;
    long process_id = 0;
    long thread_id = 0;
};

const Identifiers& current_identifiers() {
    static const int watching = pthread_atfork(nullptr, nullptr, count_fork);
    (void)watching;
    thread_local Identifiers cached;
    thread_local bool known = false;
    const unsigned generation = g_fork_generation.load(std::memory_order_relaxed);
    if (!known || cached.generation != generation) {
        cached.generation = generation;
        cached.process_id = static_cast<long>(getpid());
        cached.thread_id = static_cast<long>(gettid());
        known = true;
    }
    return cached;
}

long current_process_id() { return current_identifiers().process_id; }
long current_thread_id() { return current_identifiers().thread_id; }
#endif

// Converting to local time is most of a line's cost; lines come in bursts
// within one second, so each thread keeps the last conversion.
const std::tm& local_time_of(std::time_t seconds) {
    thread_local std::time_t cached_seconds = -1;
    thread_local std::tm cached{};
    if (seconds != cached_seconds) {
#if defined(_WIN32)
        localtime_s(&cached, &seconds);
#else
        localtime_r(&seconds, &cached);
#endif
        cached_seconds = seconds;
    }
    return cached;
}

}  // namespace

PmcLogStamp pmc_log_stamp_now() {
    using std::chrono::system_clock;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto since_epoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const std::tm& local = local_time_of(seconds);
    PmcLogStamp stamp;
    stamp.year = local.tm_year + 1900;
    stamp.month = local.tm_mon + 1;
    stamp.day = local.tm_mday;
    stamp.hour = local.tm_hour;
    stamp.minute = local.tm_min;
    stamp.second = local.tm_sec;
    stamp.millisecond = static_cast<int>(since_epoch.count() % 1000);
    stamp.process_id = current_process_id();
    stamp.thread_id = current_thread_id();
    return stamp;
}
