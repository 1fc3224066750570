// The sentences a person reads for the client layer's statuses: a library
// status in the context of its target, an agent's error status, a walk's
// end.
#ifndef PMSNMP_API_CLIENT_REASON_H
#define PMSNMP_API_CLIENT_REASON_H

#include <string>

#include "api/client_oid.h"
#include "api/client_target.h"

namespace NPmcClient {

// "127.0.0.1:161", "[::1]:161"
std::string host_text(const TargetOptions& options);

// The SNMP error-status name ("noSuchName", "readOnly", ...).
std::string error_status_name(pmc_long error_status);

// "the agent answered readOnly for .1.3.6.1.2.1.1.7.0"; oid may be empty.
std::string error_status_reason(pmc_long error_status, const Oid& oid);

// One line for a library status reached over options' target; refusal is
// what an SNMPv3 agent refused (-214) or why its answers were dropped
// (-250), when known.
std::string status_reason(pmc_long status, const TargetOptions& options, const std::string& refusal = {});

}  // namespace NPmcClient

#endif
