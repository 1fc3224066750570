// Any datagram must decode to 0 or a clean negative status. What decodes
// must also survive the trip back: encoding the result and decoding that
// again gives the same PDU.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pmsnmp/owned.h>

#include "codec/codec_registry.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"
#include "value/value_factory.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// A request like the ones answers are decoded into: two bindings whose
// values the answer may keep or replace.
pmc::Owned<IPmsPdu> request_pdu() {
    pmc::Owned<IPmsPdu> pdu(create_pdu(nullptr));
    check(pdu != nullptr);
    pdu->set_type(PMS_PDU_GET);
    pdu->add_varbind(pms_create_oid_from_text("1.3.6.1.2.1.43.11.1.1.9.1.1", nullptr),
                     pms_create_value_from_int(5, PMS_TYPE_INTEGER, nullptr));
    pdu->add_varbind(pms_create_oid_from_text("1.3.6.1.2.1.1.1.0", nullptr),
                     pms_create_value(PMS_TYPE_OCTET_STRING, nullptr));
    return pdu;
}

pmc_long decode_bytes(const std::vector<unsigned char>& bytes, IPmsPdu* pdu, IPmsSnmpTarget* target) {
    pmc::Owned<IPmsMessageBuffer> buffer(create_message_buffer(nullptr));
    check(buffer != nullptr);
    buffer->attach(const_cast<unsigned char*>(bytes.data()), static_cast<pmc_ulong>(bytes.size()),
                   PMS_BUFFER_BORROWED);
    return codec_registry()->decode(buffer.get(), pdu, target, PMS_SECURITY_COMMUNITY);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read past the datagram is caught.
    const std::vector<unsigned char> datagram(data, data + size);

    pmc::Owned<IPmsSnmpPacket> packet(create_packet(nullptr));
    check(packet != nullptr);
    {
        pmc::Owned<IPmsMessageBuffer> buffer(create_message_buffer(nullptr));
        buffer->attach(const_cast<unsigned char*>(datagram.data()), static_cast<pmc_ulong>(size),
                       PMS_BUFFER_BORROWED);
        const pmc_long status = codec_registry()->decode_packet(buffer.get(), packet.get(), 0);
        check(status <= 0);
    }

    pmc::Owned<IPmsPdu> pdu = request_pdu();
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(nullptr));
    check(target != nullptr);
    if (decode_bytes(datagram, pdu.get(), target.get()) != PMC_S_OK) return 0;

    // The trip back.
    target->set_max_message_size(1 << 20);
    pmc::Owned<IPmsMessageBuffer> encoded(create_message_buffer(nullptr));
    pmc_long status = codec_registry()->encode(pdu.get(), target.get(), encoded.get(), nullptr);
    // A trap identifier can be read but not written back when its enterprise
    // has one arc, or is snmpTraps itself with a specific-trap outside 1..6.
    if (pdu->get_type() == PMS_PDU_TRAP && status == PMC_E_INVALID_ARG) return 0;
    check(status == PMC_S_OK);
    const std::vector<unsigned char> again(encoded->current(), encoded->current() + encoded->remaining());
    pmc::Owned<IPmsPdu> second(create_pdu(nullptr));
    pmc::Owned<IPmsSnmpTarget> second_target(create_community_target(nullptr));
    status = decode_bytes(again, second.get(), second_target.get());
    check(status == PMC_S_OK);
    check(second->equals(pdu.get()));
    return 0;
}
