#include "net/datagram_socket_kinds.h"

#include "net/address_resolver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <wsipx.h>
#else
#include <netipx/ipx.h>
#endif

const char* const kAnyAddressIPv6 = "0000:0000:0000:0000:0000:0000:0000:0000";

namespace {

constexpr std::size_t kHostBufferSize = 1025;
constexpr std::size_t kServiceBufferSize = 32;

#if defined(_WIN32)
constexpr socklen_t kIpxRecordLength = sizeof(SOCKADDR_IPX);
#else
constexpr socklen_t kIpxRecordLength = sizeof(sockaddr_ipx);
#endif

// The record length getnameinfo is told, by the local address's kind.
socklen_t record_length(pmc_long kind) {
    switch (kind) {
        case PMC_ADDRESS_IPV4: return sizeof(sockaddr_in);
        case PMC_ADDRESS_IPX: return kIpxRecordLength;
        case PMC_ADDRESS_IPV6: return sizeof(sockaddr_in6);
        default: return sizeof(sockaddr_storage);
    }
}

}  // namespace

pmc_long DataGramSocketIPv6::startup() { return NPmcSocketAPI::startup_v22(); }

pmc_long DataGramSocketIPv6::set_any_address(CPmcNetworkAddress* address) {
    const char* text = nullptr;
    switch (address->get_kind()) {
        case PMC_ADDRESS_IPV4: text = kAnyAddressIPv4; break;
        case PMC_ADDRESS_IPX: text = kAnyAddressIPX; break;
        case PMC_ADDRESS_IPV6: text = kAnyAddressIPv6; break;
        default: return PMC_E_UNKNOWN_ADDRESS;
    }
    return address->set_text(text);
}

pmc_long DataGramSocketIPv6::create_handle() {
    handle_ =
        NPmcSocketAPI::table().socket(pmc_family_from_kind(local_->get_kind()), SOCK_DGRAM, 0);
    return handle_ == PMC_INVALID_SOCKET ? PMC_E_FAIL : PMC_S_OK;
}

bool DataGramSocketIPv6::from_sockaddr(const sockaddr_storage* record,
                                       CPmcNetworkAddress* address) {
    if (record->ss_family == AF_INET || record->ss_family == AF_INET6) {
        return address->set_socket_address(reinterpret_cast<const sockaddr*>(record), static_cast<int>(sizeof *record)) ==
               PMC_S_OK;
    }
    char host[kHostBufferSize];
    char service[kServiceBufferSize];
    if (NPmcSocketAPI::table().getnameinfo(
            reinterpret_cast<const sockaddr*>(record), record_length(local_->get_kind()), host,
            sizeof host, service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return false;
    }
    address->set_text(host);  // a scoped or odd host text still gives port and kind
    const long port = std::strtol(service, nullptr, 10);
    return address->set_port(static_cast<unsigned short>(port)) == PMC_S_OK &&
           address->set_kind(pmc_kind_from_family(record->ss_family)) == PMC_S_OK;
}

bool DataGramSocketIPv6::to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) {
    const NPmcSocketAPI::Table& api = NPmcSocketAPI::table();
    char service[kServiceBufferSize];
    std::snprintf(service, sizeof service, "%d", static_cast<int>(address->get_port()));
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (api.getaddrinfo(address->get_text(), service, &hints, &list) != 0 || list == nullptr) {
        return false;
    }
    const bool fits = list->ai_addrlen <= sizeof *record;
    if (fits) {
        std::memset(record, 0, sizeof *record);
        std::memcpy(record, list->ai_addr, list->ai_addrlen);
    }
    api.freeaddrinfo(list);
    return fits;
}
