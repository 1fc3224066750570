// The process-wide registry through which the session layer encodes and
// decodes SNMPv1/v2c messages, and the codec factories it selects from.
#ifndef PMSNMP_CODEC_CODEC_REGISTRY_H
#define PMSNMP_CODEC_CODEC_REGISTRY_H

#include <pmsnmp/pdu.h>

#include "codec/message_buffer.h"
#include "message/snmp_packet.h"
#include "message/snmp_target.h"

// Name of the BER codec, registered and selected before first use.
constexpr const char* PMS_CODEC_TRANS_STREAM = "TransStream";

// Translate type meaning "no target kind given" (0 is the community kind).
constexpr pmc_long PMS_TRANSLATE_NONE = -1;

// One encoding: writes packet into buffer. The message is then the octets
// from buffer->current() to the buffer's end. *encoded_count (when given)
// receives the number of bindings written, counted from the end of the list.
class IPmsMessageEncoder {
public:
    virtual void release() = 0;
    virtual pmc_long encode(IPmsSnmpPacket* packet, IPmsMessageBuffer* buffer,
                            pmc_ulong* encoded_count) = 0;

protected:
    ~IPmsMessageEncoder() = default;
};

// One decoding: reads the message at buffer->current() into packet, reusing
// its target, PDU, bindings and values where it can. header_only stops after
// the PDU header fields.
class IPmsMessageDecoder {
public:
    virtual void release() = 0;
    virtual pmc_long decode(IPmsMessageBuffer* buffer, IPmsSnmpPacket* packet,
                            pmc_long translate_type, bool header_only) = 0;

protected:
    ~IPmsMessageDecoder() = default;
};

// A codec the registry can select; factories live as long as the library.
class IPmsCodecFactory {
public:
    virtual const char* name() const = 0;
    // New objects the caller releases; null with -3.
    virtual IPmsMessageEncoder* create_encoder(pmc_long* status) = 0;
    virtual IPmsMessageDecoder* create_decoder(pmc_long* status) = 0;

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
    // After the fixed slots: peek_response that also gives the message's version code.
    virtual pmc_long peek_header(IPmsMessageBuffer* buffer, pmc_long* error_status,
                                 pmc_long* request_id, pmc_long* version,
                                 pmc_long translate_type) = 0;

protected:
    ~IPmsCodecRegistry() = default;
};

// The registry, built on first use with "TransStream" registered and
// selected; it lives until process exit.
IPmsCodecRegistry* codec_registry();

#endif
