// A network endpoint: address text (lower-cased A-F), address kind, port,
// and beside the text the socket address it names, made once.
#ifndef PMSNMP_NETWORK_ADDRESS_H
#define PMSNMP_NETWORK_ADDRESS_H

#include <pmsnmp/value.h>

#include <string>

// The socket library's own record; only the net classes look inside.
struct sockaddr;

class CPmcNetworkAddress {
public:
    virtual void release() = 0;
    // Sets the text; the kind is found by the resolver (-2 if it differs
    // from a kind already set).
    virtual pmc_long set_text(const char* text) = 0;
    // Text, kind and port at once; kind 0 and port 0 keep the current ones.
    virtual pmc_long assign(const char* text, pmc_long kind, unsigned short port) = 0;
    virtual IPmcByteString* get_text_string() = 0;  // lent
    // A copy of the text for the caller; kind and port are optional.
    virtual pmc_long get_all(IPmcByteString** text, pmc_long* kind, unsigned short* port) = 0;
    virtual pmc_long set_kind(pmc_long kind) = 0;
    virtual pmc_long set_port(unsigned short port) = 0;
    virtual pmc_long get_kind() = 0;
    virtual unsigned short get_port() = 0;
    // Same host (octets when both have a socket address, else canonical
    // text) and kind, and other's port 0 or equal (asymmetric).
    virtual bool equals(CPmcNetworkAddress* other) = 0;
    virtual pmc_long clone(CPmcNetworkAddress** out) = 0;
    virtual bool is_valid() = 0;
    virtual pmc_long normalize() = 0;
    virtual const char* get_text() = 0;  // lent, NUL-terminated
    // The socket address, port included, made when the text was set (plain
    // IPv4 and IPv6 texts) or taken from the system; null for a text that
    // has none (IPX, scoped IPv6), which the socket then converts itself.
    virtual const sockaddr* get_socket_address(int* length) = 0;
    // Takes a socket address the system filled (AF_INET or AF_INET6): kind
    // and port from it; the text is made only when someone asks for it.
    // -2 for another family, a short record or an address of another kind.
    virtual pmc_long set_socket_address(const sockaddr* record, int length) = 0;

protected:
    ~CPmcNetworkAddress() = default;
};

CPmcNetworkAddress* pmc_create_network_address(pmc_long* status);
CPmcNetworkAddress* pmc_create_network_address_from_text(const char* text, unsigned short port,
                                                         pmc_long* status);
pmc_long pmc_address_kind_of_text(const char* text, pmc_long* kind);
pmc_long pmc_canonical_address_text(const char* text, IPmcByteString** out);
pmc_long pmc_is_address_text(const char* text, bool* is_address);
pmc_long pmc_same_address_text(const char* text_a, const char* text_b, bool* same);

// Whether two IPv4 or IPv6 socket addresses name the same host (octets and
// IPv6 scope; the ports are not compared). false for null or other families.
bool pmc_same_host(const sockaddr* a, const sockaddr* b);

// The host an address names, without its port, as octets (family and IP
// octets), or its text when it has no socket address: equal keys for equal
// hosts. May throw std::bad_alloc.
std::string pmc_host_key(CPmcNetworkAddress* address);

#endif
