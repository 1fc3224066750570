// The process-wide address text service: recognises the kind of an address
// text and produces its canonical form.
#ifndef PMSNMP_ADDRESS_RESOLVER_H
#define PMSNMP_ADDRESS_RESOLVER_H

#include <pmsnmp/value.h>

#include <cstddef>

class CPmcAddressResolver {
public:
    // A new string with the canonical text (the caller releases it).
    virtual pmc_long canonical_text(const char* text, IPmcByteString** out) = 0;
    // The address kind of the text; a failure when it is no address.
    virtual pmc_long classify(const char* text, pmc_long* kind) = 0;
    virtual ~CPmcAddressResolver() = default;
};

// Parses IPv4 and IPX texts itself; anything else is -7.
class CPmcAddressResolverV4 : public CPmcAddressResolver {
public:
    pmc_long canonical_text(const char* text, IPmcByteString** out) override;
    pmc_long classify(const char* text, pmc_long* kind) override;
};

// Reads IPv4 texts as the V4 resolver does and hands IPv6 texts to the
// system's numeric getaddrinfo/getnameinfo; still recognises IPX by its
// text. Unknown texts (the lookup's IPv4 shorthands among them) are -1.
class CPmcAddressResolverV6 : public CPmcAddressResolver {
public:
    pmc_long canonical_text(const char* text, IPmcByteString** out) override;
    pmc_long classify(const char* text, pmc_long* kind) override;
};

// A new resolver chosen by what the socket library offers: V6 when it has
// the protocol-independent name functions, else V4. Null and -3 without
// memory. The caller deletes it.
CPmcAddressResolver* pmc_choose_address_resolver(pmc_long* status);

// The process-wide resolver, created on first use and kept until exit;
// null and -3 when it cannot be created.
CPmcAddressResolver* pmc_address_resolver(pmc_long* status);

// Address kind <-> socket address family.
pmc_long pmc_kind_from_family(int family);
int pmc_family_from_kind(pmc_long kind);

// The resolver's fast path for plain dotted-quad IPv4 and plain IPv6 texts
// (what inet_pton takes): the kind, or the canonical text into out, exactly
// as the numeric getaddrinfo/getnameinfo would give them. False for any
// other text (short or octal IPv4 forms, scoped IPv6, names), which the
// caller hands to the system lookup.
bool pmc_plain_ip_kind(const char* text, pmc_long* kind);
bool pmc_plain_ip_canonical(const char* text, char* out, std::size_t capacity);

// The four octets of an IPv4 text: four decimal numbers up to 255 joined by
// dots and nothing after them. Leading zeros are decimal (010 is 10); the
// one-, two- and three-part shorthands are not IPv4. False otherwise.
bool pmc_parse_ipv4_text(const char* text, unsigned char octets[4]);

// True for the 21-character IPX text "nnnnnnnn:hhhhhhhhhhhh".
bool pmc_is_ipx_text(const char* text);

#endif
