// The system's own process and thread identifiers, what log lines carry.
#ifndef PMSNMP_TESTS_LOG_SYSTEM_IDS_H
#define PMSNMP_TESTS_LOG_SYSTEM_IDS_H

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <string>

namespace log_test {

#ifdef _WIN32
inline long process_id() { return static_cast<long>(GetCurrentProcessId()); }
inline long thread_id() { return static_cast<long>(GetCurrentThreadId()); }
inline void set_variable(const char* name, const char* value) {
    _putenv((std::string(name) + "=" + value).c_str());
}
inline void clear_variable(const char* name) { _putenv((std::string(name) + "=").c_str()); }
#else
inline long process_id() { return static_cast<long>(getpid()); }
inline long thread_id() { return static_cast<long>(gettid()); }
inline void set_variable(const char* name, const char* value) { setenv(name, value, 1); }
inline void clear_variable(const char* name) { unsetenv(name); }
#endif

}  // namespace log_test

#endif
