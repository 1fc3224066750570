// Stand-ins the manager hands out when it cannot make the real object, so
// that callers never meet a missing one. They live for the whole process.
#ifndef PMSNMP_NULL_LOG_OBJECTS_H
#define PMSNMP_NULL_LOG_OBJECTS_H

#include "log/log_session.h"

constexpr const char* PMC_LOG_NULL_SESSION = "null_session";
constexpr const char* PMC_LOG_NULL_STANDARD = "null_standard";
constexpr const char* PMC_LOG_NULL_FILE = "null_file";

// Lent; never destroyed.
IPmcLogSession* pmc_null_log_session();
IPmcLogWriter* pmc_null_standard_writer();
IPmcLogFileWriter* pmc_null_file_writer();

#endif
