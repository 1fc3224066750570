// Lines of the socket layer, written to the "socket" log session.
#ifndef PMSNMP_SOCKET_LOG_H
#define PMSNMP_SOCKET_LOG_H

#include <pmsnmp/types.h>

namespace NPmcSocketLog {

constexpr pmc_long kError = 1;
constexpr pmc_long kWarn = 2;
constexpr pmc_long kInfo = 4;
constexpr pmc_long kDebug = 8;
constexpr pmc_long kTrace = 16;

void write(pmc_long level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Test hook: receives every formatted line; null detaches.
using Sink = void (*)(pmc_long level, const char* line);
void set_sink(Sink sink);

}  // namespace NPmcSocketLog

#endif
