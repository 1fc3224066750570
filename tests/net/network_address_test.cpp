// Address texts, the two resolver variants and the address object.
#include "net/address_resolver.h"
#include "net/ip_text.h"
#include "net/network_address.h"
#include "net/socket_api.h"
#include "support/text_of.h"

#include <pmsnmp/owned.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

using Address = pmc::Owned<CPmcNetworkAddress>;
using String = pmc::Owned<IPmcByteString>;

Address make_address(const char* text, unsigned short port = 0) {
    pmc_long status = PMC_E_FAIL;
    Address address(pmc_create_network_address_from_text(text, port, &status));
    EXPECT_EQ(status, PMC_S_OK) << text;
    return address;
}

struct KindCase {
    const char* text;
    pmc_long status;
    pmc_long kind;
};

template <std::size_t N>
void expect_kinds(CPmcAddressResolver& resolver, const KindCase (&cases)[N]) {
    for (const KindCase& c : cases) {
        pmc_long kind = -1;
        EXPECT_EQ(resolver.classify(c.text, &kind), c.status) << c.text;
        EXPECT_EQ(kind, c.kind) << c.text;
    }
}

// Each {text, canonical text} pair.
template <std::size_t N>
void expect_canonical(CPmcAddressResolver& resolver, const char* const (&cases)[N][2]) {
    for (const auto& c : cases) {
        IPmcByteString* raw = nullptr;
        ASSERT_EQ(resolver.canonical_text(c[0], &raw), PMC_S_OK) << c[0];
        String canonical(raw);
        EXPECT_EQ(text_of(canonical.get()), c[1]);
    }
}

TEST(AddressResolverV4, ClassifiesByTextShape) {
    const KindCase cases[] = {
        {"10.1.2.3", PMC_S_OK, PMC_ADDRESS_IPV4},
        {"192.168.000.001", PMC_S_OK, PMC_ADDRESS_IPV4},
        {"255.255.255.255", PMC_S_OK, PMC_ADDRESS_IPV4},
        {"1.2.3.256", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"1.2.3", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"1.2.3.4x", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"0A0B0C0D:00112233445F", PMC_S_OK, PMC_ADDRESS_IPX},
        {"00000000:000000000000", PMC_S_OK, PMC_ADDRESS_IPX},
        {"0A0B0C0D:00112233445", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"0A0B0C0D:00112233445F0", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"0a0b0c0d-00112233445f", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"::1", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
        {"", PMC_E_UNKNOWN_ADDRESS, PMC_ADDRESS_NONE},
    };
    CPmcAddressResolverV4 resolver;
    expect_kinds(resolver, cases);
}

TEST(AddressResolverV4, CanonicalTexts) {
    CPmcAddressResolverV4 resolver;
    const char* const cases[][2] = {
        {"010.001.002.003", "10.1.2.3"},
        {"192.168.000.001", "192.168.0.1"},
        {"0a0b0c0d:00112233445f", "0a0b0c0d:00112233445f"},
    };
    expect_canonical(resolver, cases);
    IPmcByteString* raw = nullptr;
    EXPECT_EQ(resolver.canonical_text("printer.example", &raw), PMC_E_UNKNOWN_ADDRESS);
    EXPECT_EQ(raw, nullptr);
}

TEST(AddressResolvers, ReadIpv4TextsAsDottedDecimalAlike) {
    // The system's lookup would read 010 as octal and 1.2.3 as 1.2.0.3.
    const char* const cases[][2] = {
        {"192.168.000.010", "192.168.0.10"}, {"127.0.0.010", "127.0.0.10"}, {"010.001.002.003", "10.1.2.3"},
        {"255.255.255.255", "255.255.255.255"}, {"1.2.3", ""}, {"1.2", ""}, {"1", ""}, {"127.1", ""},
        {"2130706433", ""}, {"0x7f.0.0.1", ""}, {"1.2.3.256", ""}, {"4294967297.1.2.3", ""},
        {"1.2.3.4.5", ""}, {"1.2.3.4x", ""}, {"1.2.3.4 ", ""}};
    CPmcAddressResolverV4 v4;
    CPmcAddressResolverV6 v6;
    for (CPmcAddressResolver* resolver : std::initializer_list<CPmcAddressResolver*>{&v4, &v6}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(resolver == &v4 ? "v4 " : "v6 ") + c[0]);
            const bool ipv4 = *c[1] != '\0';
            pmc_long kind = -1;
            EXPECT_EQ(resolver->classify(c[0], &kind) == PMC_S_OK, ipv4);
            EXPECT_EQ(kind, ipv4 ? PMC_ADDRESS_IPV4 : PMC_ADDRESS_NONE);
            IPmcByteString* raw = nullptr;
            EXPECT_EQ(resolver->canonical_text(c[0], &raw) == PMC_S_OK, ipv4);
            String canonical(raw);
            EXPECT_EQ(canonical ? text_of(canonical.get()) : "", ipv4 ? c[1] : "");
        }
    }
}

TEST(AddressResolverV6, ClassifiesThroughTheSystem) {
    const KindCase cases[] = {
        {"::1", PMC_S_OK, PMC_ADDRESS_IPV6},
        {"FF02::1", PMC_S_OK, PMC_ADDRESS_IPV6},
        {"127.0.0.1", PMC_S_OK, PMC_ADDRESS_IPV4},
        {"0a0b0c0d:00112233445f", PMC_S_OK, PMC_ADDRESS_IPX},
        {"localhost", PMC_E_FAIL, PMC_ADDRESS_NONE},  // numeric only: no lookup
        {"1:2:3", PMC_E_FAIL, PMC_ADDRESS_NONE},
    };
    CPmcAddressResolverV6 resolver;
    expect_kinds(resolver, cases);
}

TEST(AddressResolverV6, CanonicalTexts) {
    CPmcAddressResolverV6 resolver;
    const char* const cases[][2] = {
        {"0000:0000:0000:0000:0000:0000:0000:0001", "::1"},
        {"FF02:0:0:0:0:0:0:1", "ff02::1"},
        {"127.000.000.001", "127.0.0.1"},
        {"0a0b0c0d:00112233445f", "0a0b0c0d:00112233445f"},
    };
    expect_canonical(resolver, cases);
    IPmcByteString* raw = nullptr;
    EXPECT_EQ(resolver.canonical_text("not-an-address", &raw), PMC_E_FAIL);
}

TEST(AddressResolver, NullArgumentsAreRefused) {
    CPmcAddressResolverV4 v4;
    CPmcAddressResolverV6 v6;
    CPmcAddressResolver* resolvers[] = {&v4, &v6};
    for (CPmcAddressResolver* resolver : resolvers) {
        pmc_long kind = 0;
        IPmcByteString* out = nullptr;
        EXPECT_EQ(resolver->classify(nullptr, &kind), PMC_E_INVALID_ARG);
        EXPECT_EQ(resolver->classify("1.2.3.4", nullptr), PMC_E_INVALID_ARG);
        EXPECT_EQ(resolver->canonical_text(nullptr, &out), PMC_E_INVALID_ARG);
        EXPECT_EQ(resolver->canonical_text("1.2.3.4", nullptr), PMC_E_INVALID_ARG);
    }
}

TEST(AddressTextFunctions, ProcessResolver) {
    pmc_long kind = -1;
    EXPECT_EQ(pmc_address_kind_of_text("::1", &kind), PMC_S_OK);
    EXPECT_EQ(kind, PMC_ADDRESS_IPV6);

    bool flag = true;
    EXPECT_EQ(pmc_is_address_text("10.0.0.1", &flag), PMC_S_OK);
    EXPECT_TRUE(flag);
    EXPECT_NE(pmc_is_address_text("no address", &flag), PMC_S_OK);
    EXPECT_FALSE(flag);
    EXPECT_EQ(pmc_is_address_text("10.0.0.1", nullptr), PMC_E_INVALID_ARG);

    EXPECT_EQ(pmc_same_address_text("10.0.0.01", "10.0.0.1", &flag), PMC_S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(pmc_same_address_text("::1", "0:0:0:0:0:0:0:1", &flag), PMC_S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(pmc_same_address_text("10.0.0.1", "10.0.0.2", &flag), PMC_S_OK);
    EXPECT_FALSE(flag);
    EXPECT_NE(pmc_same_address_text("10.0.0.1", "bogus", &flag), PMC_S_OK);
    EXPECT_EQ(pmc_same_address_text("10.0.0.1", "10.0.0.1", nullptr), PMC_E_INVALID_ARG);

    IPmcByteString* raw = nullptr;
    EXPECT_EQ(pmc_canonical_address_text(nullptr, &raw), PMC_E_INVALID_ARG);
    EXPECT_EQ(pmc_address_kind_of_text(nullptr, &kind), PMC_E_INVALID_ARG);
}

TEST(NetworkAddress, StartsEmpty) {
    pmc_long status = PMC_E_FAIL;
    Address address(pmc_create_network_address(&status));
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_NONE);
    EXPECT_EQ(address->get_port(), 0);
    EXPECT_EQ(address->get_text_string(), nullptr);
    EXPECT_STREQ(address->get_text(), "");
    EXPECT_FALSE(address->is_valid());
    EXPECT_EQ(address->normalize(), PMC_E_INVALID_ARG);
    Address other(pmc_create_network_address(nullptr));
    EXPECT_FALSE(address->equals(other.get()));
}

TEST(NetworkAddress, SetTextLowerCasesAndTakesTheKind) {
    Address address(pmc_create_network_address(nullptr));
    ASSERT_EQ(address->set_text("0A0B0C0D:00112233445F"), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "0a0b0c0d:00112233445f");
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_IPX);
    // Only A to F change.
    ASSERT_EQ(address->assign("FE80::ABCD%Lo", 0, 0), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "fe80::abcd%Lo");
}

TEST(NetworkAddress, SetTextOfAnotherKindChangesNothing) {
    Address address = make_address("10.0.0.1", 161);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->set_text("0a0b0c0d:00112233445f"), PMC_E_INVALID_ARG);
    EXPECT_STREQ(address->get_text(), "10.0.0.1");
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_IPV4);
    EXPECT_NE(address->set_text("no address"), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "10.0.0.1");
    EXPECT_EQ(address->set_text(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(address->set_text("10.0.0.2"), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "10.0.0.2");
}

TEST(NetworkAddress, AssignKeepsKindAndPortForZero) {
    Address address(pmc_create_network_address(nullptr));
    address->set_kind(PMC_ADDRESS_IPV6);
    address->set_port(161);
    ASSERT_EQ(address->assign("10.0.0.1", 0, 0), PMC_S_OK);
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_IPV6);
    EXPECT_EQ(address->get_port(), 161);
    EXPECT_STREQ(address->get_text(), "10.0.0.1");
    // No check of the text.
    ASSERT_EQ(address->assign("anything at all", PMC_ADDRESS_IPV4, 162), PMC_S_OK);
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_IPV4);
    EXPECT_EQ(address->get_port(), 162);
    EXPECT_EQ(address->assign(nullptr, 0, 0), PMC_E_INVALID_ARG);
    EXPECT_STREQ(address->get_text(), "anything at all");
    // Zero is stored through the setters.
    EXPECT_EQ(address->set_kind(PMC_ADDRESS_NONE), PMC_S_OK);
    EXPECT_EQ(address->set_port(0), PMC_S_OK);
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_NONE);
    EXPECT_EQ(address->get_port(), 0);
}

TEST(NetworkAddress, FactoryFromText) {
    Address address = make_address("192.168.000.001", 161);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->get_kind(), PMC_ADDRESS_IPV4);
    EXPECT_EQ(address->get_port(), 161);
    EXPECT_STREQ(address->get_text(), "192.168.000.001");
    EXPECT_TRUE(address->is_valid());
    ASSERT_EQ(address->normalize(), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "192.168.0.1");

    pmc_long status = PMC_S_OK;
    EXPECT_EQ(pmc_create_network_address_from_text("printer.example", 161, &status), nullptr);
    EXPECT_NE(status, PMC_S_OK);
    EXPECT_EQ(pmc_create_network_address_from_text(nullptr, 161, &status), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

TEST(NetworkAddress, EqualsIsAsymmetricInThePort) {
    Address a = make_address("10.0.0.1", 161);
    Address b = make_address("10.0.0.01", 0);
    Address c = make_address("10.0.0.1", 162);
    Address ipv6 = make_address("::ffff:10.0.0.1", 161);
    ASSERT_TRUE(a && b && c && ipv6);
    EXPECT_TRUE(a->equals(b.get()));
    EXPECT_FALSE(b->equals(a.get()));
    EXPECT_FALSE(a->equals(c.get()));
    EXPECT_FALSE(a->equals(ipv6.get()));
    EXPECT_FALSE(a->equals(nullptr));
    b->set_kind(PMC_ADDRESS_IPV6);
    EXPECT_FALSE(a->equals(b.get()));
    // A text the resolver refuses never compares equal.
    Address bad(pmc_create_network_address(nullptr));
    bad->assign("bogus", PMC_ADDRESS_IPV4, 161);
    EXPECT_FALSE(bad->equals(bad.get()));
}

// A sender as the socket reports it: octets and port, its text made only
// when asked for, compared with a target's text by octets.
TEST(NetworkAddress, SenderFromTheSystemComparesByOctets) {
    struct Case {
        const char* sender;
        const char* target;
        unsigned short target_port;
        bool equal;
    };
    const Case cases[] = {
        {"10.0.0.1", "10.0.0.01", 161, true},   {"10.0.0.1", "10.0.0.1", 0, true},
        {"10.0.0.1", "10.0.0.1", 162, false},   {"10.0.0.1", "10.0.0.2", 161, false},
        {"::1", "0:0:0:0:0:0:0:1", 161, true},  {"::ffff:10.0.0.1", "10.0.0.1", 161, false},
        {"2001:db8::a", "2001:DB8::A", 161, true},
    };
    for (const Case& c : cases) {
        sockaddr_storage record{};
        auto* in = reinterpret_cast<sockaddr_in*>(&record);
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&record);
        const bool v4 = pmc_ip_text_to_binary(AF_INET, c.sender, &in->sin_addr);
        ASSERT_TRUE(v4 || pmc_ip_text_to_binary(AF_INET6, c.sender, &in6->sin6_addr)) << c.sender;
        record.ss_family = v4 ? AF_INET : AF_INET6;
        const unsigned char port[2] = {0, 161};  // the same field in both records
        std::memcpy(&in->sin_port, port, sizeof port);
        Address sender(pmc_create_network_address(nullptr));
        ASSERT_EQ(sender->set_socket_address(reinterpret_cast<sockaddr*>(&record), static_cast<int>(sizeof record)), PMC_S_OK);
        Address target = make_address(c.target, c.target_port);
        EXPECT_EQ(sender->equals(target.get()), c.equal) << c.sender << " " << c.target;
        EXPECT_EQ(pmc_host_key(sender.get()) == pmc_host_key(target.get()),
                  c.equal || c.target_port != 161) << c.sender << " " << c.target;
        EXPECT_EQ(sender->get_kind(), v4 ? PMC_ADDRESS_IPV4 : PMC_ADDRESS_IPV6);
        EXPECT_EQ(sender->get_port(), 161);
        EXPECT_STREQ(sender->get_text(), c.sender);
    }
}

TEST(NetworkAddress, CloneAndGetAllCopy) {
    Address address = make_address("FF02::1", 5353);
    ASSERT_TRUE(address);
    CPmcNetworkAddress* raw = nullptr;
    ASSERT_EQ(address->clone(&raw), PMC_S_OK);
    Address copy(raw);
    EXPECT_STREQ(copy->get_text(), "ff02::1");
    EXPECT_EQ(copy->get_kind(), PMC_ADDRESS_IPV6);
    EXPECT_EQ(copy->get_port(), 5353);
    EXPECT_NE(copy->get_text_string(), address->get_text_string());
    EXPECT_TRUE(copy->equals(address.get()));
    EXPECT_EQ(address->clone(nullptr), PMC_E_INVALID_ARG);

    IPmcByteString* text = nullptr;
    pmc_long kind = 0;
    unsigned short port = 0;
    ASSERT_EQ(address->get_all(&text, &kind, &port), PMC_S_OK);
    String owned(text);
    EXPECT_EQ(text_of(owned.get()), "ff02::1");
    EXPECT_NE(owned.get(), address->get_text_string());
    EXPECT_EQ(kind, PMC_ADDRESS_IPV6);
    EXPECT_EQ(port, 5353);
    ASSERT_EQ(address->get_all(&text, nullptr, nullptr), PMC_S_OK);
    String second(text);
    EXPECT_EQ(address->get_all(nullptr, &kind, &port), PMC_E_INVALID_ARG);
}

TEST(NetworkAddress, NormalizeFailureKeepsText) {
    Address address(pmc_create_network_address(nullptr));
    address->assign("bogus", PMC_ADDRESS_IPV4, 0);
    EXPECT_NE(address->normalize(), PMC_S_OK);
    EXPECT_STREQ(address->get_text(), "bogus");
    EXPECT_FALSE(address->is_valid());
}

}  // namespace
