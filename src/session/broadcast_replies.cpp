#include "session/broadcast_replies.h"

#include <cstring>
#include <new>

#include <pmsnmp/owned.h>

#include "codec/codec_registry.h"
#include "message/pdu_factory.h"

namespace {

// An IPX address text starts with its eight-digit network number.
constexpr std::size_t kIpxNetworkDigits = 8;
constexpr const char* kEveryIpxNetwork = "00000000";

bool same_ipx_network(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strncmp(a, b, kIpxNetworkDigits) == 0;
}

}  // namespace

namespace NPmsBroadcastReplies {

bool accepts(CPmcNetworkAddress* destination, CPmcNetworkAddress* source) {
    if (destination == nullptr || source == nullptr) return false;
    if (destination->get_kind() != PMC_ADDRESS_IPX) return true;
    const char* network = destination->get_text();
    return same_ipx_network(network, kEveryIpxNetwork) || same_ipx_network(network, source->get_text());
}

pmc_long add(IPmsSnmpPacketList* replies, IPmsMessageBuffer* buffer, CPmcNetworkAddress* source) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(&status));
    if (!target) return status;
    pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
    if (!pdu) return status;
    pmc::Owned<IPmsSnmpPacket> packet(create_packet(&status));
    if (!packet) return status;
    status = codec_registry()->decode(buffer, pdu.get(), target.get(), PMS_SECURITY_COMMUNITY);
    if (status != PMC_S_OK) return status;
    // A socket bound to the agents' port hears its own broadcast request.
    if (pdu->get_type() != PMS_PDU_RESPONSE) return PMC_E_OTHER_REQUEST;
    status = target->set_address(source);
    if (status != PMC_S_OK) return status;
    packet->set_pdu(pdu.release());
    packet->set_target(target.release());
    // A refused insertion takes nothing: the packet stays ours to release.
    status = replies->add(packet.get());
    if (status == PMC_S_OK) packet.release();
    return status;
}

}  // namespace NPmsBroadcastReplies

pmc_long PmsBroadcastHosts::search(CPmcNetworkAddress* source, bool* found) const {
    try {
        *found = hosts_.count(pmc_host_key(source)) != 0;
        return PMC_S_OK;
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
}

pmc_long PmsBroadcastHosts::remember(CPmcNetworkAddress* source) {
    try {
        hosts_.insert(pmc_host_key(source));
        return PMC_S_OK;
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
}
