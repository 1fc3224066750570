#include "net/address_resolver.h"

#include "net/ip_text.h"
#include "net/socket_api.h"
#include "value/text_scan.h"
#include "value/value_factory.h"

#include <pmsnmp/owned.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t kIpxTextLength = 21;
constexpr unsigned kOctetMax = 255;
constexpr std::size_t kHostBufferSize = 1025;

constexpr int kIpv4Parts = 4;

constexpr std::size_t kIpv4TextCapacity = 16;  // "255.255.255.255" and NUL

// The dotted decimal form of an IPv4 text, without leading zeros.
bool canonical_ipv4(const char* text, char out[kIpv4TextCapacity]) {
    unsigned char octets[kIpv4Parts];
    if (!pmc_parse_ipv4_text(text, octets)) return false;
    std::snprintf(out, kIpv4TextCapacity, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return true;
}

// The system's lookup reads IPv4 shorthands ("1.2.3", "127.1") and octal
// parts ("010"); every IPv6 text has a colon. Texts without one are IPv4 by
// our own reading or no address at all.
bool may_be_ipv6(const char* text) { return std::strchr(text, ':') != nullptr; }

pmc_long new_string(const char* text, IPmcByteString** out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcByteString> string(pmc_create_byte_string(&status));
    if (!string) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
    status = string->assign_text(text);
    if (status != PMC_S_OK) return status;
    *out = string.release();
    return PMC_S_OK;
}

// Frees a getaddrinfo list on every way out.
struct AddrInfoList {
    addrinfo* list = nullptr;
    ~AddrInfoList() {
        if (list != nullptr) NPmcSocketAPI::table().freeaddrinfo(list);
    }
};

// Numeric lookup of an IP text; false when the system does not take it.
bool lookup_numeric(const char* text, AddrInfoList& result) {
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    return NPmcSocketAPI::table().getaddrinfo(text, nullptr, &hints, &result.list) == 0 &&
           result.list != nullptr;
}

// A plain IP text in binary, as inet_pton reads it.
struct PlainAddress {
    int family = AF_UNSPEC;
    unsigned char bytes[sizeof(in6_addr)] = {};
};

bool read_plain(const char* text, PlainAddress& address) {
    if (pmc_ip_text_to_binary(AF_INET, text, address.bytes)) {
        address.family = AF_INET;
        return true;
    }
    if (pmc_ip_text_to_binary(AF_INET6, text, address.bytes)) {
        address.family = AF_INET6;
        return true;
    }
    return false;
}

std::atomic<CPmcAddressResolver*> g_resolver{nullptr};
std::mutex g_resolver_lock;

// Destroys the resolver at process exit.
struct ResolverRelease {
    ~ResolverRelease() { delete g_resolver.exchange(nullptr); }
} g_resolver_release;

}  // namespace

pmc_long pmc_kind_from_family(int family) {
    switch (family) {
        case AF_INET: return PMC_ADDRESS_IPV4;
        case AF_IPX: return PMC_ADDRESS_IPX;
        case AF_INET6: return PMC_ADDRESS_IPV6;
        default: return PMC_ADDRESS_NONE;
    }
}

int pmc_family_from_kind(pmc_long kind) {
    switch (kind) {
        case PMC_ADDRESS_NONE: return AF_UNSPEC;
        case PMC_ADDRESS_IPV4: return AF_INET;
        case PMC_ADDRESS_IPX: return AF_IPX;
        case PMC_ADDRESS_IPV6: return AF_INET6;
        default: return static_cast<int>(kind);
    }
}

bool pmc_plain_ip_kind(const char* text, pmc_long* kind) {
    PlainAddress address;
    if (text == nullptr || kind == nullptr || !read_plain(text, address)) return false;
    *kind = pmc_kind_from_family(address.family);
    return true;
}

bool pmc_plain_ip_canonical(const char* text, char* out, std::size_t capacity) {
    PlainAddress address;
    if (text == nullptr || out == nullptr || !read_plain(text, address)) return false;
    return pmc_ip_binary_to_text(address.family, address.bytes, out, capacity);
}

bool pmc_parse_ipv4_text(const char* text, unsigned char octets[4]) {
    if (text == nullptr || octets == nullptr) return false;
    // Read as "%u.%u.%u.%u%c" reads, but a number too large for 32 bits
    // saturates instead of wrapping into a small one.
    const char* cursor = text;
    for (int i = 0; i < kIpv4Parts; ++i) {
        pmc_ulong part = 0;
        if (i != 0 && !pms_scan_literal(&cursor, '.')) return false;
        if (!pms_scan_decimal(&cursor, &part) || part > kOctetMax) return false;
        octets[i] = static_cast<unsigned char>(part);
    }
    return *cursor == '\0';
}

bool pmc_is_ipx_text(const char* text) {
    if (text == nullptr || std::strlen(text) != kIpxTextLength) return false;
    unsigned b[10];
    return std::sscanf(text, "%2x%2x%2x%2x:%2x%2x%2x%2x%2x%2x", &b[0], &b[1], &b[2], &b[3], &b[4],
                       &b[5], &b[6], &b[7], &b[8], &b[9]) == 10;
}

pmc_long CPmcAddressResolverV4::classify(const char* text, pmc_long* kind) {
    if (text == nullptr || kind == nullptr) return PMC_E_INVALID_ARG;
    unsigned char octets[kIpv4Parts];
    if (pmc_parse_ipv4_text(text, octets)) {
        *kind = PMC_ADDRESS_IPV4;
        return PMC_S_OK;
    }
    if (pmc_is_ipx_text(text)) {
        *kind = PMC_ADDRESS_IPX;
        return PMC_S_OK;
    }
    *kind = PMC_ADDRESS_NONE;
    return PMC_E_UNKNOWN_ADDRESS;
}

pmc_long CPmcAddressResolverV4::canonical_text(const char* text, IPmcByteString** out) {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    pmc_long kind = PMC_ADDRESS_NONE;
    const pmc_long status = classify(text, &kind);
    if (status != PMC_S_OK) return status;
    if (kind == PMC_ADDRESS_IPX) return new_string(text, out);
    char canonical[kIpv4TextCapacity];
    if (kind != PMC_ADDRESS_IPV4 || !canonical_ipv4(text, canonical)) return PMC_E_UNKNOWN_ADDRESS;
    return new_string(canonical, out);
}

pmc_long CPmcAddressResolverV6::classify(const char* text, pmc_long* kind) {
    if (text == nullptr || kind == nullptr) return PMC_E_INVALID_ARG;
    NPmcSocketAPI::StartupScope scope(NPmcSocketAPI::StartupScope::V22);
    if (scope.status() != PMC_S_OK) return scope.status();
    if (pmc_is_ipx_text(text)) {
        *kind = PMC_ADDRESS_IPX;
        return PMC_S_OK;
    }
    unsigned char octets[kIpv4Parts];
    if (pmc_parse_ipv4_text(text, octets)) {
        *kind = PMC_ADDRESS_IPV4;
        return PMC_S_OK;
    }
    // Every address the agent answers from is classified: spare it the lookup.
    if (may_be_ipv6(text) && pmc_plain_ip_kind(text, kind)) return PMC_S_OK;
    AddrInfoList result;
    if (!may_be_ipv6(text) || !lookup_numeric(text, result)) {
        *kind = PMC_ADDRESS_NONE;
        return PMC_E_FAIL;
    }
    *kind = pmc_kind_from_family(result.list->ai_family);
    return PMC_S_OK;
}

pmc_long CPmcAddressResolverV6::canonical_text(const char* text, IPmcByteString** out) {
    if (text == nullptr || out == nullptr) return PMC_E_INVALID_ARG;
    NPmcSocketAPI::StartupScope scope(NPmcSocketAPI::StartupScope::V22);
    if (scope.status() != PMC_S_OK) return scope.status();
    if (pmc_is_ipx_text(text)) return new_string(text, out);
    char host[kHostBufferSize];
    if (canonical_ipv4(text, host)) return new_string(host, out);
    if (!may_be_ipv6(text)) return PMC_E_FAIL;
    if (pmc_plain_ip_canonical(text, host, sizeof host)) return new_string(host, out);
    AddrInfoList result;
    if (!lookup_numeric(text, result)) return PMC_E_FAIL;
    if (NPmcSocketAPI::table().getnameinfo(result.list->ai_addr, result.list->ai_addrlen, host,
                                           sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) {
        return PMC_E_FAIL;
    }
    return new_string(host, out);
}

CPmcAddressResolver* pmc_choose_address_resolver(pmc_long* status) {
    CPmcAddressResolver* resolver = nullptr;
    if (NPmcSocketAPI::has_protocol_independent_api()) {
        resolver = new (std::nothrow) CPmcAddressResolverV6;
    } else {
        resolver = new (std::nothrow) CPmcAddressResolverV4;
    }
    if (status != nullptr) *status = resolver != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return resolver;
}

CPmcAddressResolver* pmc_address_resolver(pmc_long* status) {
    CPmcAddressResolver* resolver = g_resolver.load();
    if (resolver == nullptr) {
        std::lock_guard<std::mutex> lock(g_resolver_lock);
        resolver = g_resolver.load();
        if (resolver == nullptr) {
            resolver = pmc_choose_address_resolver(nullptr);
            g_resolver.store(resolver);
        }
    }
    if (status != nullptr) *status = resolver != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return resolver;
}
