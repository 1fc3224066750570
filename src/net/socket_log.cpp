#include "net/socket_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace NPmcSocketLog {

namespace {
std::atomic<Sink> g_sink{nullptr};
}

void write(pmc_long level, const char* format, ...) {
    Sink sink = g_sink.load();
    if (sink == nullptr) return;
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    sink(level, line);
}

void set_sink(Sink sink) { g_sink.store(sink); }

}  // namespace NPmcSocketLog
