// Fixed-size address kinds: IpAddress, the UDP transport address built on
// it, the IPv6 address and the IPX transport address.
#ifndef PMSNMP_VALUE_ADDRESS_VALUES_H
#define PMSNMP_VALUE_ADDRESS_VALUES_H

#include "value/octet_string.h"

class CPmsIpAddress : public CPmsOctetString {
public:
    CPmsIpAddress() : CPmsOctetString(kSize, 0) {}

    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_IP_ADDRESS; }
    void query_interface(pmc_long id, void** out) override;
    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 4;

protected:
    CPmsIpAddress(pmc_ulong fixed_size, pmc_ulong domain_arc) : CPmsOctetString(fixed_size, domain_arc) {}
};

// IPv4 address and port; index domain arc 1 (the UDP transport domain).
class CPmsUdpAddress : public CPmsIpAddress {
public:
    CPmsUdpAddress() : CPmsIpAddress(kSize, kDomainArc) {}

    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_UDP_ADDRESS; }
    void query_interface(pmc_long id, void** out) override;
    unsigned short get_port(pmc_long* status) const override;
    pmc_long set_port(unsigned short port) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 6;
    static constexpr pmc_ulong kDomainArc = 1;
};

class CPmsIpv6Address : public CPmsOctetString {
public:
    CPmsIpv6Address() : CPmsOctetString(kSize, 0) {}

    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_IPV6_ADDRESS; }
    void query_interface(pmc_long id, void** out) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 16;
};

// Network (4), node (6) and socket (2, big-endian); index domain arc 5.
class CPmsIpxAddress : public CPmsOctetString {
public:
    CPmsIpxAddress() : CPmsOctetString(kSize, kDomainArc) {}

    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_IPX_ADDRESS; }
    void query_interface(pmc_long id, void** out) override;
    unsigned short get_port(pmc_long* status) const override;
    pmc_long set_port(unsigned short port) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 12;
    static constexpr pmc_ulong kDomainArc = 5;
};

#endif
