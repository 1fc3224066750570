// The BER decoder of SNMPv1/v2c messages. It fills the packet's existing
// objects where it can: bindings are reused in order and a value is replaced
// only when its kind differs from the tag on the wire, so that a steady
// stream of answers of one shape allocates nothing.
#ifndef PMSNMP_CODEC_MESSAGE_DECODER_H
#define PMSNMP_CODEC_MESSAGE_DECODER_H

#include <vector>

#include <pmsnmp/pdu.h>

#include "codec/arc_buffer.h"
#include "codec/codec_registry.h"
#include "codec/forward_reader.h"
#include "message/snmp_target.h"

class CPmsMessageDecoder final : public IPmsValueVisitor,
                                 public IPmsHeaderVisitor {
public:
    CPmsMessageDecoder() = default;
    CPmsMessageDecoder(const CPmsMessageDecoder&) = delete;
    CPmsMessageDecoder& operator=(const CPmsMessageDecoder&) = delete;
    virtual ~CPmsMessageDecoder();

    // Reads the message at buffer->current() into into's PDU and target,
    // reusing their bindings and values where it can; a missing one is made
    // (the target by translate_type) and left in into, also on failure.
    pmc_long decode(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsDecodeObjects* into);
    // Reads only the message and PDU headers, into no object; the fields of
    // header are meaningful only on success.
    pmc_long peek(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsPeekedHeader* header);

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
    // Opens the message SEQUENCE, cutting off octets after it.
    pmc_long open_message(IPmsMessageBuffer* buffer);
    pmc_long check_translate_type(pmc_long translate_type);
    pmc_long read_version(pmc_long* version);
    pmc_long read_pdu_tag(pmc_long* type);
    // The PDU's length, and its type against the message version.
    pmc_long check_pdu_start(pmc_long type);
    pmc_long read_error_status(pmc_long* error_status);
    pmc_long decode_pdu(IPmsPdu* pdu);
    pmc_long decode_request_header(IPmsPdu* pdu);
    pmc_long decode_trap_fields(IPmsPdu* pdu);  // trap_decoding.cpp
    pmc_long decode_bindings(IPmsVarBindList* list);
    pmc_long decode_binding(IPmsVarBind* binding);
    // An identifier element into oid (field names it in the log line); an
    // identifier that already holds what the wire says is not rewritten.
    pmc_long read_oid(IPmsOid* oid, const char* field);
    // Sets oid from an identifier's contents.
    pmc_long store_oid(IPmsOid* oid, const unsigned char* contents, pmc_ulong length);
    // A SEQUENCE tag and its length (checked by the caller).
    pmc_long read_sequence_start(const char* field, pmc_ulong* length);
    // An element of the given tag; a refusal is logged naming field.
    pmc_long read_field(unsigned char tag, const char* field, const unsigned char** contents,
                        pmc_ulong* length);
    // An INTEGER that must fit 32 bits (field names it in the log line).
    pmc_long read_integer(const char* field, pmc_long* value);
    // Reads an OBJECT IDENTIFIER element into arcs_ (room is left for
    // `spare` more arcs); *count receives the arcs read.
    pmc_long read_oid_arcs(pmc_ulong spare, pmc_ulong* count);
    pmc_long parse_oid_arcs(const unsigned char* contents, pmc_ulong length, pmc_ulong spare,
                            pmc_ulong* count, bool* canonical);
    pmc_long read_unsigned_value(IPmsValue* value, const char* kind);
    pmc_long read_octets_value(IPmsValue* value);
    pmc_long read_empty_value(IPmsValue* value);
    pmc_long set_community(IPmsCommunityTarget* target, const unsigned char* octets,
                           pmc_ulong length);

    CPmsForwardReader reader_{nullptr, nullptr};
    IPmsSnmpTarget* target_ = nullptr;
    pmc_long version_ = 0;
    CPmsArcBuffer arcs_;
    std::vector<char> community_;  // heap room for a long community

};

#endif
