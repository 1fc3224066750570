// A network endpoint: address text (lower-cased A-F), address kind, port.
#ifndef PMSNMP_NETWORK_ADDRESS_H
#define PMSNMP_NETWORK_ADDRESS_H

#include <pmsnmp/value.h>

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
    // Same canonical text and kind, and other's port 0 or equal (asymmetric).
    virtual bool equals(CPmcNetworkAddress* other) = 0;
    virtual pmc_long clone(CPmcNetworkAddress** out) = 0;
    virtual bool is_valid() = 0;
    virtual pmc_long normalize() = 0;
    virtual const char* get_text() = 0;  // lent, NUL-terminated

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

#endif
