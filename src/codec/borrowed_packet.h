// A packet on the stack around a caller's PDU and target, for the registry's
// encode and decode: the caller keeps both, and whatever the codec creates in
// their place is released with the packet.
#ifndef PMSNMP_CODEC_BORROWED_PACKET_H
#define PMSNMP_CODEC_BORROWED_PACKET_H

#include "message/snmp_packet.h"

class CPmsBorrowedPacket final : public IPmsSnmpPacket {
public:
    CPmsBorrowedPacket(IPmsPdu* pdu, IPmsSnmpTarget* target) : pdu_(pdu), target_(target) {}
    CPmsBorrowedPacket(const CPmsBorrowedPacket&) = delete;
    CPmsBorrowedPacket& operator=(const CPmsBorrowedPacket&) = delete;
    virtual ~CPmsBorrowedPacket();

    // Lives on the stack: release only gives up what the packet owns.
    void release() override;
    IPmsSnmpPacket* clone(pmc_long* status) override;
    bool equals(IPmsSnmpPacket* other) override;
    void set_target(IPmsSnmpTarget* target) override;
    void set_pdu(IPmsPdu* pdu) override;
    IPmsSnmpTarget* detach_target() override;
    IPmsPdu* detach_pdu() override;
    IPmsSnmpTarget* get_target() override { return target_; }
    IPmsPdu* get_pdu() override { return pdu_; }

private:
    IPmsPdu* pdu_;
    IPmsSnmpTarget* target_;
    bool owns_pdu_ = false;
    bool owns_target_ = false;
};

#endif
