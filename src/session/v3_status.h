// How Net-SNMP's outcomes become our statuses, and the one log line a
// failing library call leaves.
#ifndef PMSNMP_SESSION_V3_STATUS_H
#define PMSNMP_SESSION_V3_STATUS_H

#include <pmsnmp/types.h>

#include "session/user_session.h"

// A library error code (SNMPERR_*) as a status.
pmc_long pms_v3_status_of_library_error(int library_error);

// What a library error code says was refused; kNone for other errors.
PmsSecurityRefusal pms_v3_refusal_of_library_error(int library_error);

// An agent's error status as the PDU keeps it: 0 to 18 stay, others 100.
pmc_long pms_v3_error_status(long error_status);

// Writes the Error line for a failed library call, with the session's error
// numbers when it has them. session_handle is a single-session handle, or
// null when the call failed before one existed (then the library's
// process-wide error is reported).
void pms_v3_report_failure(const char* call, void* session_handle);

// The same for a call that failed while only a plain session existed.
struct snmp_session;
void pms_v3_report_session_failure(const char* call, snmp_session* session);

#endif
