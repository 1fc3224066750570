// Trace levels: each is one bit of a session's level mask.
#ifndef PMSNMP_LOG_LEVELS_H
#define PMSNMP_LOG_LEVELS_H

#include <pmsnmp/types.h>

constexpr pmc_long PMC_LOG_ERROR = 1;
constexpr pmc_long PMC_LOG_WARN = 2;
constexpr pmc_long PMC_LOG_INFO = 4;
constexpr pmc_long PMC_LOG_DEBUG = 8;
constexpr pmc_long PMC_LOG_TRACE = 16;
constexpr pmc_long PMC_LOG_ALL = 31;

// Line flags: which identifiers start a line.
constexpr pmc_ulong PMC_LOG_FLAG_TIME = 1;
constexpr pmc_ulong PMC_LOG_FLAG_PROCESS = 2;
constexpr pmc_ulong PMC_LOG_FLAG_THREAD = 4;
constexpr pmc_ulong PMC_LOG_FLAGS_DEFAULT = 7;

constexpr pmc_ulong PMC_LOG_RADIX_DECIMAL = 10;
constexpr pmc_ulong PMC_LOG_RADIX_HEX = 16;

#endif
