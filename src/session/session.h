// The interface every request session implements: the community session
// (RequestSession) and the user-based one. The dispatcher forwards to it.
#ifndef PMSNMP_SESSION_SESSION_H
#define PMSNMP_SESSION_SESSION_H

#include <pmsnmp/pdu.h>

#include "message/snmp_packet.h"
#include "message/snmp_target.h"

class IPmsSession {
public:
    virtual void release() = 0;
    // Sends pdu to target and waits for the answer, which overwrites pdu.
    // Both stay the caller's; the target's address becomes the answerer's.
    virtual pmc_long send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) = 0;
    // The same for the PDU and target the packet holds.
    virtual pmc_long send_sync(IPmsSnmpPacket* packet) = 0;
    // One request to a broadcast target; *replies receives a new list of
    // answers (one packet per responding agent) that the caller releases.
    virtual pmc_long send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies) = 0;
    virtual pmc_long send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                          IPmsSnmpPacketList** replies) = 0;

protected:
    ~IPmsSession() = default;
};

#endif
