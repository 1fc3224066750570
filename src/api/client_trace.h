// The trace log as a client program turns it on, without the log's own
// masks and flags.
#ifndef PMSNMP_API_CLIENT_TRACE_H
#define PMSNMP_API_CLIENT_TRACE_H

#include <string>

#include <pmsnmp/types.h>

namespace NPmcClient {

// Each detail includes the more severe ones.
enum class TraceDetail { kError, kWarn, kInfo, kDebug, kAll };

// Appends the library's trace lines up to detail, with time, process and
// thread, to the file at path. The log's status: 0, or why it cannot.
pmc_long trace_to_file(TraceDetail detail, const std::string& path);

}  // namespace NPmcClient

#endif
