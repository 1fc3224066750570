// The packet forms of the session operations: take the PDU and the target
// out of the packet, run the operation on them, put them back.
#ifndef PMSNMP_SESSION_PACKET_PARTS_H
#define PMSNMP_SESSION_PACKET_PARTS_H

#include "message/snmp_packet.h"

// operation(pdu, target) → status; -2 for a null packet.
template <typename Operation>
pmc_long pms_on_packet_parts(IPmsSnmpPacket* packet, Operation operation) {
    if (packet == nullptr) return PMC_E_INVALID_ARG;
    IPmsPdu* pdu = packet->detach_pdu();
    IPmsSnmpTarget* target = packet->detach_target();
    const pmc_long status = operation(pdu, target);
    packet->set_pdu(pdu);
    packet->set_target(target);
    return status;
}

#endif
