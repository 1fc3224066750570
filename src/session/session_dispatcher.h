// Chooses the session that can serve a target and forwards requests to it.
// One dispatcher per operation; it creates its sessions on first use.
#ifndef PMSNMP_SESSION_SESSION_DISPATCHER_H
#define PMSNMP_SESSION_SESSION_DISPATCHER_H

#include <mutex>

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "message/snmp_packet.h"
#include "message/snmp_target.h"
#include "session/session.h"
#include "session/user_session.h"

class SessionDispatcher {
public:
    // Releases both sessions and the dispatcher.
    virtual void release();
    // Sends pdu to target; the answer overwrites pdu. -2 for a null argument
    // or a target no session serves (community kind needs version 0 or 1).
    virtual pmc_long send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target);
    virtual pmc_long send_sync(IPmsSnmpPacket* packet);
    // send_sync (pdu, target) that also tells what a user-based agent
    // refused; kNone for community targets.
    pmc_long send_sync_with_refusal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                    PmsSecurityRefusal* refusal);
    // Broadcast requests; *replies receives a new list the caller releases.
    virtual pmc_long send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies);
    virtual pmc_long send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                          IPmsSnmpPacketList** replies);

    SessionDispatcher(const SessionDispatcher&) = delete;
    SessionDispatcher& operator=(const SessionDispatcher&) = delete;

protected:
    SessionDispatcher() = default;
    virtual ~SessionDispatcher();

private:
    friend SessionDispatcher* create_session_dispatcher(pmc_long* status);

    // The session for the target's security kind and version, created on
    // first use; null with *status -2 (unserved target) or -3.
    IPmsSession* select_session(IPmsSnmpTarget* target, pmc_long* status);
    // The user-based (SNMPv3) session, created on first use.
    IPmsUserSession* select_user_session(pmc_long* status);

    pmc::Owned<IPmsSession> community_session_;
    pmc::Owned<IPmsUserSession> user_session_;
    std::mutex lock_;
};

// A new dispatcher without sessions; status 0, or -3 and null. The caller
// releases it.
SessionDispatcher* create_session_dispatcher(pmc_long* status);

#endif
