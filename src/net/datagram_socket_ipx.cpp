#include "net/datagram_socket_kinds.h"

#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <wsipx.h>
#else
#include <netipx/ipx.h>
#endif

const char* const kAnyAddressIPX = "00000000:000000000000";

namespace {

#if defined(_WIN32)
constexpr int kIpxProtocol = NSPROTO_IPX;
typedef SOCKADDR_IPX IpxRecord;
unsigned char* network_bytes(IpxRecord* r) {
    return reinterpret_cast<unsigned char*>(r->sa_netnum);
}
unsigned char* node_bytes(IpxRecord* r) { return reinterpret_cast<unsigned char*>(r->sa_nodenum); }
unsigned short& socket_number(IpxRecord* r) { return r->sa_socket; }
#else
constexpr int kIpxProtocol = 0;
typedef sockaddr_ipx IpxRecord;
unsigned char* network_bytes(IpxRecord* r) {
    return reinterpret_cast<unsigned char*>(&r->sipx_network);
}
unsigned char* node_bytes(IpxRecord* r) { return r->sipx_node; }
unsigned short& socket_number(IpxRecord* r) { return r->sipx_port; }
#endif

constexpr int kNetworkLength = 4;
constexpr int kNodeLength = 6;

}  // namespace

pmc_long DataGramSocketIPX::set_any_address(CPmcNetworkAddress* address) {
    return address->set_text(kAnyAddressIPX);
}

pmc_long DataGramSocketIPX::create_handle() {
    handle_ = NPmcSocketAPI::table().socket(AF_IPX, SOCK_DGRAM, kIpxProtocol);
    return handle_ == PMC_INVALID_SOCKET ? PMC_E_FAIL : PMC_S_OK;
}

bool DataGramSocketIPX::from_sockaddr(const sockaddr_storage* record, CPmcNetworkAddress* address) {
    IpxRecord ipx;
    std::memcpy(&ipx, record, sizeof ipx);
    const unsigned char* net = network_bytes(&ipx);
    const unsigned char* node = node_bytes(&ipx);
    char text[32];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x", net[0], net[1],
                  net[2], net[3], node[0], node[1], node[2], node[3], node[4], node[5]);
    return address->set_text(text) == PMC_S_OK &&
           address->set_port((NPmcSocketAPI::table().ntohs)(socket_number(&ipx))) == PMC_S_OK &&
           address->set_kind(PMC_ADDRESS_IPX) == PMC_S_OK;
}

bool DataGramSocketIPX::to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) {
    // Bytes the text does not give stay 0.
    unsigned bytes[kNetworkLength + kNodeLength] = {};
    std::sscanf(address->get_text(), "%2x%2x%2x%2x:%2x%2x%2x%2x%2x%2x", &bytes[0], &bytes[1],
                &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6], &bytes[7], &bytes[8],
                &bytes[9]);
    IpxRecord ipx;
    std::memset(&ipx, 0, sizeof ipx);
    unsigned char* net = network_bytes(&ipx);
    unsigned char* node = node_bytes(&ipx);
    for (int i = 0; i < kNetworkLength; ++i) net[i] = static_cast<unsigned char>(bytes[i]);
    for (int i = 0; i < kNodeLength; ++i)
        node[i] = static_cast<unsigned char>(bytes[kNetworkLength + i]);
#if defined(_WIN32)
    ipx.sa_family = AF_IPX;
#else
    ipx.sipx_family = AF_IPX;
#endif
    socket_number(&ipx) = (NPmcSocketAPI::table().htons)(address->get_port());
    std::memset(record, 0, sizeof *record);
    std::memcpy(record, &ipx, sizeof ipx);
    return true;
}
