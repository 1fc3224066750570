// Fixed-size address kinds: IpAddress, the UDP transport address built on
// it, the IPv6 address and the IPX transport address.
#ifndef PMSNMP_VALUE_ADDRESS_VALUES_H
#define PMSNMP_VALUE_ADDRESS_VALUES_H

#include "value/octet_string.h"

// A transport address: its port is the two big-endian octets at PortAt.
template <class Base, pmc_ulong PortAt>
class CPmsPortedAddress : public Base {
public:
    using Base::Base;

    unsigned short get_port(pmc_long* status) const override {
        pms_report(status, PMC_S_OK);
        const unsigned char* port = this->fixed_bytes() + PortAt;
        return static_cast<unsigned short>(port[0] << 8 | port[1]);
    }
    pmc_long set_port(unsigned short port) override {
        unsigned char* octets = this->fixed_bytes() + PortAt;
        octets[0] = static_cast<unsigned char>(port >> 8);
        octets[1] = static_cast<unsigned char>(port);
        return PMC_S_OK;
    }
};

class CPmsIpAddress
    : public CPmsKind<CPmsIpAddress, CPmsOctetString, PMS_TYPE_IP_ADDRESS, &IPmsValueVisitor::visit_ip_address> {
public:
    CPmsIpAddress() : CPmsKind(kSize, 0) {}

    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 4;

protected:
    CPmsIpAddress(pmc_ulong fixed_size, pmc_ulong domain_arc) : CPmsKind(fixed_size, domain_arc) {}
};

// IPv4 address and port; index domain arc 1 (the UDP transport domain).
// Identifiers other than its own go to the byte string, not to IpAddress:
// callers asking for an IpAddress must not get a transport address.
class CPmsUdpAddress
    : public CPmsKind<CPmsUdpAddress, CPmsPortedAddress<CPmsIpAddress, 4>, PMS_TYPE_UDP_ADDRESS,
                      &IPmsValueVisitor::visit_udp_address, CPmsOctetString> {
public:
    CPmsUdpAddress() : CPmsKind(kSize, kDomainArc) {}

    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 6;
    static constexpr pmc_ulong kDomainArc = 1;
};

class CPmsIpv6Address : public CPmsKind<CPmsIpv6Address, CPmsOctetString, PMS_TYPE_IPV6_ADDRESS,
                                        &IPmsValueVisitor::visit_ipv6_address> {
public:
    CPmsIpv6Address() : CPmsKind(kSize, 0) {}

    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 16;
};

// Network (4), node (6) and socket (2, big-endian); index domain arc 5.
class CPmsIpxAddress
    : public CPmsKind<CPmsIpxAddress, CPmsPortedAddress<CPmsOctetString, 10>, PMS_TYPE_IPX_ADDRESS,
                      &IPmsValueVisitor::visit_ipx_address> {
public:
    CPmsIpxAddress() : CPmsKind(kSize, kDomainArc) {}

    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;

    static constexpr pmc_ulong kSize = 12;
    static constexpr pmc_ulong kDomainArc = 5;
};

#endif
