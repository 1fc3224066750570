#include "net/datagram_socket_kinds.h"

#include "net/address_resolver.h"

#include <cstring>

const char* const kAnyAddressIPv4 = "0.0.0.0";

pmc_long DataGramSocketV1::startup() { return NPmcSocketAPI::startup_v11(); }

pmc_long DataGramSocketIPv4::set_any_address(CPmcNetworkAddress* address) {
    return address->set_text(kAnyAddressIPv4);
}

pmc_long DataGramSocketIPv4::create_handle() {
    handle_ = NPmcSocketAPI::table().socket(AF_INET, SOCK_DGRAM, 0);
    return handle_ == PMC_INVALID_SOCKET ? PMC_E_FAIL : PMC_S_OK;
}

bool DataGramSocketIPv4::from_sockaddr(const sockaddr_storage* record,
                                       CPmcNetworkAddress* address) {
    return address->set_socket_address(reinterpret_cast<const sockaddr*>(record), static_cast<int>(sizeof(sockaddr_in))) ==
           PMC_S_OK;
}

bool DataGramSocketIPv4::to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) {
    const NPmcSocketAPI::Table& api = NPmcSocketAPI::table();
    // Read as the resolver reads IPv4 texts: inet_addr would take 010 as
    // octal and 1.2.3 as 1.2.0.3, and send to another host.
    unsigned char octets[sizeof(in_addr)];
    if (!pmc_parse_ipv4_text(address->get_text(), octets)) return false;
    std::memset(record, 0, sizeof *record);
    auto* in = reinterpret_cast<sockaddr_in*>(record);
    in->sin_family = AF_INET;
    in->sin_port = (api.htons)(address->get_port());
    std::memcpy(&in->sin_addr, octets, sizeof octets);
    return true;
}
