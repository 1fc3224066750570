// The user-based (SNMPv3) session as the dispatcher sees it; a build
// without Net-SNMP has none and says so with -5.
#ifndef PMSNMP_SESSION_USER_SESSION_H
#define PMSNMP_SESSION_USER_SESSION_H

#include "session/session.h"

// A new session, released by the caller; null with *status -3 when memory
// ran out, or -5 where this build has no user-based session.
IPmsSession* create_user_session(pmc_long* status);

#endif
