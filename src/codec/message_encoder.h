// The BER encoder of SNMPv1/v2c messages: writes a packet backwards into the
// buffer, sized by the target's maximum message size.
#ifndef PMSNMP_CODEC_MESSAGE_ENCODER_H
#define PMSNMP_CODEC_MESSAGE_ENCODER_H

#include <pmsnmp/pdu.h>

#include "codec/arc_buffer.h"
#include "codec/backward_writer.h"
#include "codec/codec_registry.h"
#include "message/snmp_target.h"

class CPmsOid;

class CPmsMessageEncoder final : public IPmsValueVisitor,
                                 public IPmsHeaderVisitor {
public:
    CPmsMessageEncoder() = default;
    CPmsMessageEncoder(const CPmsMessageEncoder&) = delete;
    CPmsMessageEncoder& operator=(const CPmsMessageEncoder&) = delete;
    virtual ~CPmsMessageEncoder() = default;

    // Writes pdu for target into buffer (the message is then the octets
    // from buffer->current() to its end); *encoded_count (when given)
    // receives the number of bindings written, counted from the list's end.
    pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                    pmc_ulong* encoded_count);

    pmc_long visit_oid(IPmsOid* value) override;
    pmc_long visit_octet_string(IPmsValue* value) override;
    pmc_long visit_integer(IPmsValue* value) override;
    pmc_long visit_null(IPmsValue* value) override;
    pmc_long visit_counter32(IPmsValue* value) override;
    pmc_long visit_gauge32(IPmsValue* value) override;
    pmc_long visit_time_ticks(IPmsValue* value) override;
    pmc_long visit_counter64(IPmsValue* value) override;
    pmc_long visit_ip_address(IPmsValue* value) override;
    pmc_long visit_ipv6_address(IPmsValue* value) override;
    pmc_long visit_udp_address(IPmsValue* value) override;
    pmc_long visit_ipx_address(IPmsValue* value) override;
    pmc_long visit_exception(IPmsValue* value) override;

    pmc_long visit_community_header(IPmsCommunityTarget* target) override;
    pmc_long visit_v3_header(IPmsV3Target* target) override;

private:
    pmc_long encode_pdu(IPmsPdu* pdu);
    pmc_long encode_bindings(IPmsVarBindList* list);
    pmc_long encode_binding(IPmsVarBind* binding);
    pmc_long encode_oid(const IPmsOid* oid);
    // An identifier element from its arcs; one arc is refused (-2). keeper,
    // when given, keeps the contents as its codec form.
    pmc_long put_oid_element(const pmc_ulong* arcs, pmc_ulong count, const CPmsOid* keeper = nullptr);
    pmc_long encode_trap_fields(IPmsPdu* pdu);  // trap_encoding.cpp
    pmc_long read_arcs(const IPmsOid* oid, pmc_ulong* count);
    pmc_long put_unsigned_value(IPmsValue* value);
    pmc_long put_octets_value(IPmsValue* value);
    // Records the size of the element that started at `before` octets.
    pmc_long finish_element(pmc_ulong before);

    CPmsBackwardWriter writer_{nullptr, 0};
    pmc_long version_ = 0;
    pmc_ulong encoded_count_ = 0;
    pmc_ulong last_size_ = 0;
    CPmsArcBuffer arcs_;

};

#endif
