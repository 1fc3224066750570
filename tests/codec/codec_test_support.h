// Helpers shared by the codec tests: hex vectors, PDU and target building,
// running the registry, and capturing the "snmp" log.
#ifndef PMSNMP_TESTS_CODEC_TEST_SUPPORT_H
#define PMSNMP_TESTS_CODEC_TEST_SUPPORT_H

#include <cctype>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "codec/codec_registry.h"
#include "codec/message_buffer.h"
#include "log/component_log.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"
#include "message/snmp_target.h"
#include "support/log_capture.h"
#include "value/value_factory.h"

using Bytes = std::vector<unsigned char>;
using OwnedPdu = pmc::Owned<IPmsPdu>;
using OwnedTarget = pmc::Owned<IPmsSnmpTarget>;
using OwnedBuffer = pmc::Owned<IPmsMessageBuffer>;
using OwnedValue = pmc::Owned<IPmsValue>;
using OwnedOid = pmc::Owned<IPmsOid>;
using OwnedPacket = pmc::Owned<IPmsSnmpPacket>;

// "30 0A 02" (blanks optional) to bytes.
inline Bytes hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<unsigned char>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

inline std::string to_hex(const unsigned char* data, std::size_t length) {
    std::string out;
    char octet[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(octet, sizeof octet, i == 0 ? "%02X" : " %02X", data[i]);
        out += octet;
    }
    return out;
}
inline std::string to_hex(const Bytes& bytes) { return to_hex(bytes.data(), bytes.size()); }

inline OwnedValue make_value(pmc_long type) {
    pmc_long status = -99;
    OwnedValue value(pms_create_value(type, &status));
    EXPECT_EQ(status, PMC_S_OK) << "type " << type;
    return value;
}
inline OwnedValue make_int(pmc_long number) {
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    value->set_int(number);
    return value;
}
inline OwnedValue make_uint(pmc_long type, pmc_ulong number) {
    OwnedValue value = make_value(type);
    EXPECT_EQ(value->set_uint(number), PMC_S_OK);
    return value;
}
inline OwnedValue make_bytes(pmc_long type, const Bytes& bytes) {
    OwnedValue value = make_value(type);
    EXPECT_EQ(value->set_bytes(bytes.data(), static_cast<pmc_ulong>(bytes.size())), PMC_S_OK);
    return value;
}
inline OwnedValue make_counter64(pmc_ulong high, pmc_ulong low) {
    OwnedValue value = make_value(PMS_TYPE_COUNTER64);
    value->set_uint_high(high);
    value->set_uint_low(low);
    return value;
}
inline OwnedOid make_oid(const std::string& text) {
    pmc_long status = -99;
    OwnedOid oid(pms_create_oid(&status));
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(oid->set_text(text.c_str()), PMC_S_OK);
    return oid;
}
inline std::string oid_text(const IPmsValue* value) {
    if (value == nullptr) return "<none>";
    pmc_long status = -99;
    pmc::Owned<IPmcByteString> text(value->get_text_new(&status));
    if (status != PMC_S_OK || !text) return "<status " + std::to_string(status) + ">";
    const unsigned char* data = text->get_data();
    return data != nullptr ? std::string(reinterpret_cast<const char*>(data), text->get_length())
                           : std::string();
}
inline Bytes bytes_of(const IPmsValue* value) {
    pmc_ulong length = 0;
    pmc_long status = -99;
    const unsigned char* data = value->get_bytes(&length, &status);
    EXPECT_EQ(status, PMC_S_OK);
    return data != nullptr ? Bytes(data, data + length) : Bytes();
}

inline OwnedPdu make_pdu(pmc_long type, pmc_long request_id) {
    pmc_long status = -99;
    OwnedPdu pdu(create_pdu(&status));
    EXPECT_EQ(status, PMC_S_OK);
    pdu->set_type(type);
    pdu->set_request_id(request_id);
    pdu->set_error_status(0);
    pdu->set_error_index(0);
    return pdu;
}
// Adds a binding; value null gives a NULL value.
inline void add_binding(IPmsPdu* pdu, const std::string& name, OwnedValue value = OwnedValue()) {
    OwnedOid oid = make_oid(name);
    ASSERT_EQ(pdu->add_varbind(oid.release(), value.release()), PMC_S_OK);
}

inline OwnedTarget make_target(const char* community, pmc_long version = PMS_VERSION_1,
                               pmc_long max_size = 1400) {
    pmc_long status = -99;
    OwnedTarget target(create_community_target(&status));
    EXPECT_EQ(status, PMC_S_OK);
    target->set_version(version);
    target->set_max_message_size(max_size);
    IPmsCommunityTarget* community_target = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, reinterpret_cast<void**>(&community_target));
    if (community_target != nullptr && community != nullptr) {
        community_target->set_community(community);
    }
    return target;
}
inline const char* community_of(IPmsSnmpTarget* target) {
    IPmsCommunityTarget* community_target = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, reinterpret_cast<void**>(&community_target));
    return community_target != nullptr ? community_target->get_community() : nullptr;
}

inline OwnedBuffer make_buffer() {
    pmc_long status = -99;
    OwnedBuffer buffer(create_message_buffer(&status));
    EXPECT_EQ(status, PMC_S_OK);
    return buffer;
}

// The encoded message (empty on failure, status through *status).
inline Bytes encode(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_long* status = nullptr,
                    pmc_ulong* count = nullptr) {
    OwnedBuffer buffer = make_buffer();
    pmc_ulong encoded = 0;
    const pmc_long result = codec_registry()->encode(pdu, target, buffer.get(), &encoded);
    if (status != nullptr) *status = result;
    if (count != nullptr) *count = encoded;
    if (result != PMC_S_OK) return Bytes();
    return Bytes(buffer->current(), buffer->current() + buffer->remaining());
}

// Decodes a copy of wire (so that reads past it are caught by ASan).
inline pmc_long decode(const Bytes& wire, IPmsPdu* pdu, IPmsSnmpTarget* target,
                       pmc_long translate_type = PMS_SECURITY_COMMUNITY) {
    OwnedBuffer buffer = make_buffer();
    EXPECT_TRUE(buffer->allocate(static_cast<pmc_ulong>(wire.size())));
    if (!wire.empty()) std::copy(wire.begin(), wire.end(), buffer->data());
    return codec_registry()->decode(buffer.get(), pdu, target, translate_type);
}

#endif
