// The process-wide registry through which the session layer encodes and
// decodes SNMPv1/v2c messages, and the codec factories it selects from.
#ifndef PMSNMP_CODEC_CODEC_REGISTRY_H
#define PMSNMP_CODEC_CODEC_REGISTRY_H

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "codec/message_buffer.h"
#include "message/snmp_packet.h"
#include "message/snmp_target.h"

// Name of the BER codec, registered and selected before first use.
constexpr const char* PMS_CODEC_TRANS_STREAM = "TransStream";

// Translate type meaning "no target kind given" (0 is the community kind).
constexpr pmc_long PMS_TRANSLATE_NONE = -1;

// What a decoding fills: the caller's PDU and target, or null for ones the
// decoding makes (and keeps in made_pdu and made_target).
struct CPmsDecodeObjects {
    IPmsPdu* pdu = nullptr;
    IPmsSnmpTarget* target = nullptr;
    pmc::Owned<IPmsPdu> made_pdu;
    pmc::Owned<IPmsSnmpTarget> made_target;
};

// The header fields a session matches an answer by.
struct CPmsPeekedHeader {
    pmc_long version = 0;
    pmc_long request_id = 0;
    pmc_long error_status = 0;
    // The request id was read, also when a later field was then refused:
    // a malformed answer to a request still names the request.
    bool has_request_id = false;
};

// A codec the registry can select; factories live as long as the library.
// Each operation runs with state of its own, so threads may share a factory.
class IPmsCodecFactory {
public:
    virtual const char* name() const = 0;
    // Writes pdu for target into buffer: the message is then the octets from
    // buffer->current() to the buffer's end. *encoded_count (when given)
    // receives the number of bindings written, counted from the list's end.
    virtual pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                            pmc_ulong* encoded_count) = 0;
    // Reads the message at buffer->current() into into's objects, making a
    // missing target by translate_type.
    virtual pmc_long decode(IPmsMessageBuffer* buffer, pmc_long translate_type,
                            CPmsDecodeObjects* into) = 0;
    // Reads only the message and PDU headers.
    virtual pmc_long peek(IPmsMessageBuffer* buffer, pmc_long translate_type,
                          CPmsPeekedHeader* header) = 0;

protected:
    ~IPmsCodecFactory() = default;
};

class IPmsCodecRegistry {
public:
    // Selects the factory named name (exact match); -2 and no change when
    // none; null clears the selection and returns 0.
    virtual pmc_long select(const char* name) = 0;
    // The selected factory's name (lent), or null.
    virtual const char* selected_name() = 0;
    // Encodes pdu for target into buffer; both stay the caller's.
    virtual pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                            pmc_ulong* encoded_count) = 0;
    // -8 without a selected codec, -2 for a null packet or buffer, -211 when
    // the message exceeds the target's maximum message size.
    virtual pmc_long encode_packet(IPmsSnmpPacket* packet, IPmsMessageBuffer* buffer,
                                   pmc_ulong* encoded_count) = 0;
    // Decodes the message at buffer->current() into pdu and target (either
    // may be null: a missing one is made for the decoding and released
    // after). Both stay the caller's.
    virtual pmc_long decode(IPmsMessageBuffer* buffer, IPmsPdu* pdu, IPmsSnmpTarget* target,
                            pmc_long translate_type) = 0;
    // Fills packet, creating its target (by translate_type) and PDU when
    // absent. -8 without a selected codec, -2 for null arguments, -250 for
    // malformed input.
    virtual pmc_long decode_packet(IPmsMessageBuffer* buffer, IPmsSnmpPacket* packet,
                                   pmc_long translate_type) = 0;
    // Reads only the message and PDU headers: the error status and request
    // identifier of the datagram in buffer.
    virtual pmc_long peek_response(IPmsMessageBuffer* buffer, pmc_long* error_status,
                                   pmc_long* request_id, pmc_long translate_type) = 0;
    // Adds factory (kept, not owned) and selects it; -2 for null.
    virtual pmc_long register_factory(IPmsCodecFactory* factory) = 0;
    // After the fixed slots: peek_response that also gives the message's
    // version code, and on a refusal the request id when it was read.
    virtual pmc_long peek_header(IPmsMessageBuffer* buffer, pmc_long translate_type,
                                 CPmsPeekedHeader* header) = 0;

protected:
    ~IPmsCodecRegistry() = default;
};

// The registry, built on first use with "TransStream" registered and
// selected; it lives until process exit.
IPmsCodecRegistry* codec_registry();

#endif
