// The layout of one trace line: time, identifiers, name, level tag,
// indentation, message, within a fixed bound.
#ifndef PMSNMP_LOG_LINE_H
#define PMSNMP_LOG_LINE_H

#include <cstdarg>
#include <cstddef>

#include "log/log_session.h"

// A line never exceeds this many characters, the terminating zero included.
constexpr std::size_t PMC_LOG_LINE_SIZE = 1024;

constexpr const char* PMC_LOG_NULL_MESSAGE = "(client was about to output null message...)";

// When and where a line was written.
struct PmcLogStamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    long process_id = 0;
    long thread_id = 0;
};

struct PmcLogLineLayout {
    const char* name = "";
    pmc_ulong flags = PMC_LOG_FLAGS_DEFAULT;
    pmc_ulong radix = PMC_LOG_RADIX_DECIMAL;
    const char* indentation = "";
};

// "Error, " ... "All  , " for the exact level values, null for any other.
const char* pmc_log_level_tag(pmc_long level);

// Formats a whole line into line[PMC_LOG_LINE_SIZE], cutting what does not
// fit; a null format prints PMC_LOG_NULL_MESSAGE. Returns the length.
std::size_t pmc_format_log_line(char* line, const PmcLogLineLayout& layout,
                                const PmcLogStamp& stamp, pmc_long level,
                                const char* format, va_list args) PMC_LOG_PRINTF(5, 0);

// The local time and this process's and thread's identifiers.
PmcLogStamp pmc_log_stamp_now();

#endif
