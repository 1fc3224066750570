// A PDU paired with its target: what the codec and the sessions exchange.
#ifndef PMSNMP_SNMP_PACKET_H
#define PMSNMP_SNMP_PACKET_H

#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>

#include "message/snmp_target.h"

class IPmsSnmpPacket {
public:
    virtual void release() = 0;
    virtual IPmsSnmpPacket* clone(pmc_long* status) = 0;
    virtual bool equals(IPmsSnmpPacket* other) = 0;
    virtual void set_target(IPmsSnmpTarget* target) = 0;
    virtual void set_pdu(IPmsPdu* pdu) = 0;
    virtual IPmsSnmpTarget* detach_target() = 0;
    virtual IPmsPdu* detach_pdu() = 0;
    virtual IPmsSnmpTarget* get_target() = 0;
    virtual IPmsPdu* get_pdu() = 0;

protected:
    ~IPmsSnmpPacket() = default;
};

typedef IPmcPtrList<IPmsSnmpPacket> IPmsSnmpPacketList;

IPmsSnmpPacket* create_packet(pmc_long* status);
IPmsSnmpPacketList* create_packet_list(pmc_long* status);

#endif
