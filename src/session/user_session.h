// The user-based (SNMPv3) session as the dispatcher sees it; a build
// without Net-SNMP has none and says so with -5.
#ifndef PMSNMP_SESSION_USER_SESSION_H
#define PMSNMP_SESSION_USER_SESSION_H

#include "session/session.h"

// A new session, released by the caller; null with *status -3 when memory
// ran out, or -5 where this build has no user-based session.
IPmsSession* create_user_session(pmc_long* status);

// What the agent refused when the calling thread's last user-based request
// ended in a security failure (-214): the status alone cannot tell a person
// whether to fix the user name or a pass phrase.
enum class PmsSecurityRefusal { kNone, kUnknownUser, kAuthentication, kPrivacy, kSecurityLevel, kTimeWindow };
PmsSecurityRefusal last_security_refusal();

#endif
