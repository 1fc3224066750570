// The agent a command names: "HOST", "HOST:PORT", "[IPV6]:PORT" or a bare
// IPv6 address, resolved to the numeric address text the library takes.
#ifndef PMSNMP_TOOLS_ENDPOINT_H
#define PMSNMP_TOOLS_ENDPOINT_H

#include <pmsnmp/types.h>

#include <string>

namespace pmtool {

struct Endpoint {
    std::string host;     // as given, brackets removed
    std::string address;  // numeric text
    pmc_long kind = PMC_ADDRESS_NONE;
    unsigned short port = 0;

    // "127.0.0.1:161", "[::1]:161"
    std::string display() const;
};

// Splits text into host and port (default_port when none is given) and
// resolves a name. Returns false with a one-line reason on bad input.
bool parse_host(const std::string& text, unsigned short default_port, Endpoint* out, std::string* error);

// True for text that can be a DNS host name (RFC 1123 labels, a last label
// that is not all digits): anything else is refused before any lookup.
bool is_host_name(const std::string& text);

}  // namespace pmtool

#endif
