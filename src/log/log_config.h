// The one way for a host or tool to turn tracing on: the library itself
// reads no configuration, so it stays silent until this is called.
#ifndef PMSNMP_LOG_CONFIG_H
#define PMSNMP_LOG_CONFIG_H

#include <pmsnmp/types.h>

// Sets the root session's level mask (PMC_LOG_* bits, 0 = silent) and line
// flags (PMC_LOG_FLAG_* bits), and makes a file writer for file_path (null:
// standard output) its only writer; applies the same to every session that
// exists already, so it may be called at any time. 0, or -10 when the file
// cannot be opened (nothing is changed then), -3 without memory.
pmc_long pmc_log_configure(pmc_ulong level_mask, pmc_ulong line_flags, const char* file_path);

#endif
