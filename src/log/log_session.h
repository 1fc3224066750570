// A named log session: formats lines at the levels its mask enables and
// hands them to its writers.
#ifndef PMSNMP_LOG_SESSION_H
#define PMSNMP_LOG_SESSION_H

#include <cstdarg>

#include "log/log_levels.h"
#include "log/log_writer.h"

#if defined(__GNUC__)
#define PMC_LOG_PRINTF(fmt_index, first_arg) \
    __attribute__((format(printf, fmt_index, first_arg)))
#else
#define PMC_LOG_PRINTF(fmt_index, first_arg)
#endif

class IPmcLogSession : public IPmcLogObject {
public:
    virtual const char* get_name() = 0;  // lent
    // Adds a reference to writer and sends every later line to it too; a
    // writer the session has already is not added twice.
    virtual pmc_long add_writer(IPmcLogWriter* writer) = 0;
    virtual pmc_long set_level_mask(pmc_ulong mask) = 0;
    virtual pmc_ulong get_level_mask() = 0;
    // Indents each line by four spaces per level.
    virtual pmc_long set_indentation_depth(pmc_ulong depth) = 0;
    virtual pmc_ulong get_indentation_depth() = 0;
    // PMC_LOG_FLAG_* bits.
    virtual pmc_long set_line_flags(pmc_ulong flags) = 0;
    virtual pmc_ulong get_line_flags() = 0;
    // 10 or 16 for the identifiers; anything else is -2 and changes nothing.
    virtual pmc_long set_radix(pmc_ulong radix) = 0;
    virtual pmc_ulong get_radix() = 0;
    // Not supported by any session: always -6.
    virtual pmc_long reserved_operation() = 0;
    // Writes one printf-style line at level (one PMC_LOG_* bit) when the mask
    // enables it; 0, or the last failure of a writer. Callers ignore it.
    // Note the implicit this: format is argument 3.
    virtual pmc_long write_line(pmc_long level, const char* format, ...) PMC_LOG_PRINTF(3, 4) = 0;
    virtual pmc_long write_line_v(pmc_long level, const char* format, va_list args)
        PMC_LOG_PRINTF(3, 0) = 0;

protected:
    ~IPmcLogSession() = default;
};

// The root session "All": new sessions start as copies of its settings.
class IPmcLogSessionGroup : public IPmcLogSession {
public:
    // Copies mask, flags, radix and depth into session and adds every writer
    // of the root to it.
    virtual pmc_long add_session(IPmcLogSession* session) = 0;

protected:
    ~IPmcLogSessionGroup() = default;
};

#endif
