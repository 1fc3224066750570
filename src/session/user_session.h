// The user-based (SNMPv3) session as the dispatcher sees it; a build
// without Net-SNMP has none and says so with -5.
#ifndef PMSNMP_SESSION_USER_SESSION_H
#define PMSNMP_SESSION_USER_SESSION_H

#include "session/session.h"

// Why a user-based request failed, where the status alone cannot tell a
// person: what the agent refused (-214: fix the user name or a pass
// phrase?), or why its answers were dropped (-250).
enum class PmsSecurityRefusal {
    kNone, kUnknownUser, kAuthentication, kPrivacy, kSecurityLevel, kTimeWindow, kUnknownEngine,
    kMessageVersion, kMessageSize
};

class IPmsUserSession : public IPmsSession {
public:
    // send_sync (pdu, target) that also tells why it failed; *refusal is
    // kNone when nothing was refused.
    virtual pmc_long send_sync_with_refusal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                            PmsSecurityRefusal* refusal) = 0;

protected:
    virtual ~IPmsUserSession() = default;
};

// A new session, released by the caller; null with *status -3 when memory
// ran out, or -5 where this build has no user-based session.
IPmsUserSession* create_user_session(pmc_long* status);

#endif
