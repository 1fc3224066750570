// Address texts through both resolvers: a recognised text has a canonical
// form of the same kind that is its own canonical form, and the plain-IP
// fast path agrees with the system's numeric lookup.
#include <netdb.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pmsnmp/owned.h>

#include "net/address_resolver.h"
#include "net/network_address.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string text_of(IPmcByteString* string) {
    return std::string(reinterpret_cast<const char*>(string->get_data()), string->get_length());
}

void check_resolver(CPmcAddressResolver& resolver, const char* text) {
    pmc_long kind = PMC_ADDRESS_NONE;
    if (resolver.classify(text, &kind) != PMC_S_OK) return;
    check(kind == PMC_ADDRESS_IPV4 || kind == PMC_ADDRESS_IPV6 || kind == PMC_ADDRESS_IPX);
    IPmcByteString* raw = nullptr;
    if (resolver.canonical_text(text, &raw) != PMC_S_OK) return;
    pmc::Owned<IPmcByteString> canonical(raw);
    const std::string first = text_of(canonical.get());
    pmc_long again = PMC_ADDRESS_NONE;
    check(resolver.classify(first.c_str(), &again) == PMC_S_OK && again == kind);
    raw = nullptr;
    check(resolver.canonical_text(first.c_str(), &raw) == PMC_S_OK);
    pmc::Owned<IPmcByteString> second(raw);
    check(text_of(second.get()) == first);
}

// What getnameinfo makes of a numeric text, or false when getaddrinfo refuses it.
bool system_canonical(const char* text, std::string* out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* list = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &list) != 0) return false;
    char host[NI_MAXHOST];
    const int failed = getnameinfo(list->ai_addr, list->ai_addrlen, host, sizeof host, nullptr, 0,
                                   NI_NUMERICHOST);
    freeaddrinfo(list);
    if (failed != 0) return false;
    *out = host;
    return true;
}

void check_fast_path(const char* text) {
    char fast[NI_MAXHOST];
    if (!pmc_plain_ip_canonical(text, fast, sizeof fast)) return;
    std::string slow;
    check(system_canonical(text, &slow) && slow == fast);
    pmc_long kind = PMC_ADDRESS_NONE;
    check(pmc_plain_ip_kind(text, &kind));
    check(kind == (std::strchr(text, ':') != nullptr ? PMC_ADDRESS_IPV6 : PMC_ADDRESS_IPV4));
}

void check_network_address(const char* text) {
    pmc::Owned<CPmcNetworkAddress> address(
        pmc_create_network_address_from_text(text, 161, nullptr));
    if (!address || !address->is_valid()) return;
    CPmcNetworkAddress* raw = nullptr;
    check(address->clone(&raw) == PMC_S_OK);
    pmc::Owned<CPmcNetworkAddress> copy(raw);
    check(copy->equals(address.get()) && address->equals(copy.get()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CPmcAddressResolverV4 v4;
    CPmcAddressResolverV6 v6;
    check_resolver(v4, text.c_str());
    check_resolver(v6, text.c_str());
    check_fast_path(text.c_str());
    check_network_address(text.c_str());
    return 0;
}
