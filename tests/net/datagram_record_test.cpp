// Conversion between addresses and socket address records, per family.
#include "net/datagram_socket_kinds.h"

#include <pmsnmp/owned.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netipx/ipx.h>

#include <cstring>

namespace {

using Address = pmc::Owned<CPmcNetworkAddress>;

// Opens the family-specific operations of a socket class for the test.
template <class Base>
class Probe : public Base {
public:
    explicit Probe(pmc_long local_kind = PMC_ADDRESS_NONE) {
        this->local_.reset(pmc_create_network_address(nullptr));
        this->local_->set_kind(local_kind);
    }
    using Base::from_sockaddr;
    using Base::set_any_address;
    using Base::to_sockaddr;
};

Address address(const char* text, unsigned short port) {
    Address made(pmc_create_network_address(nullptr));
    made->assign(text, 0, port);
    return made;
}

class DatagramRecords : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(NPmcSocketAPI::startup_v22(), PMC_S_OK); }
    void TearDown() override { NPmcSocketAPI::cleanup(); }
};

TEST_F(DatagramRecords, IpxRecordLayoutAndBack) {
    Probe<DataGramSocketIPX> ipx;
    Address from = address("0A0B0C0D:00112233445F", 0x1234);
    sockaddr_storage record;
    ASSERT_TRUE(ipx.to_sockaddr(&record, from.get()));
    sockaddr_ipx fields;
    std::memcpy(&fields, &record, sizeof fields);
    EXPECT_EQ(fields.sipx_family, AF_IPX);
    const unsigned char port[] = {0x12, 0x34};
    EXPECT_EQ(std::memcmp(&fields.sipx_port, port, 2), 0);
    const unsigned char network[] = {0x0a, 0x0b, 0x0c, 0x0d};
    EXPECT_EQ(std::memcmp(&fields.sipx_network, network, 4), 0);
    const unsigned char node[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x5f};
    EXPECT_EQ(std::memcmp(fields.sipx_node, node, 6), 0);

    Address back(pmc_create_network_address(nullptr));
    ASSERT_TRUE(ipx.from_sockaddr(&record, back.get()));
    EXPECT_STREQ(back->get_text(), "0a0b0c0d:00112233445f");
    EXPECT_EQ(back->get_port(), 0x1234);
    EXPECT_EQ(back->get_kind(), PMC_ADDRESS_IPX);
}

TEST_F(DatagramRecords, IpxPartialTextLeavesZeros) {
    Probe<DataGramSocketIPX> ipx;
    Address from = address("0a0b", 1);
    sockaddr_storage record;
    ASSERT_TRUE(ipx.to_sockaddr(&record, from.get()));
    sockaddr_ipx fields;
    std::memcpy(&fields, &record, sizeof fields);
    const unsigned char network[] = {0x0a, 0x0b, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(&fields.sipx_network, network, 4), 0);
    const unsigned char zeros[6] = {};
    EXPECT_EQ(std::memcmp(fields.sipx_node, zeros, 6), 0);
}

TEST_F(DatagramRecords, Ipv4RecordAndBack) {
    Probe<DataGramSocketIPv4> ipv4;
    sockaddr_storage record;
    Address from = address("10.1.2.3", 161);
    ASSERT_TRUE(ipv4.to_sockaddr(&record, from.get()));
    const auto* in = reinterpret_cast<const sockaddr_in*>(&record);
    EXPECT_EQ(in->sin_family, AF_INET);
    EXPECT_EQ(in->sin_port, htons(161));
    EXPECT_EQ(in->sin_addr.s_addr, inet_addr("10.1.2.3"));
    Address back(pmc_create_network_address(nullptr));
    ASSERT_TRUE(ipv4.from_sockaddr(&record, back.get()));
    EXPECT_STREQ(back->get_text(), "10.1.2.3");
    EXPECT_EQ(back->get_port(), 161);
    EXPECT_EQ(back->get_kind(), PMC_ADDRESS_IPV4);

    Address broadcast = address("255.255.255.255", 162);
    ASSERT_TRUE(ipv4.to_sockaddr(&record, broadcast.get()));
    EXPECT_EQ(in->sin_addr.s_addr, INADDR_BROADCAST);
    for (const char* text : {"300.1.1.1", "1.2.3", "0x7f.0.0.1"}) {
        EXPECT_FALSE(ipv4.to_sockaddr(&record, address(text, 161).get())) << text;
    }
    // Leading zeros are decimal, as the resolver reads them.
    ASSERT_TRUE(ipv4.to_sockaddr(&record, address("010.001.002.003", 161).get()));
    EXPECT_EQ(in->sin_addr.s_addr, inet_addr("10.1.2.3"));
    // An address already of another kind refuses the IPv4 text.
    Address ipx = address("0a0b0c0d:00112233445f", 1);
    ipx->set_kind(PMC_ADDRESS_IPX);
    ASSERT_TRUE(ipv4.to_sockaddr(&record, from.get()));
    EXPECT_FALSE(ipv4.from_sockaddr(&record, ipx.get()));
}

TEST_F(DatagramRecords, Ipv6RecordAndBack) {
    Probe<DataGramSocketIPv6> ipv6(PMC_ADDRESS_IPV6);
    sockaddr_storage record;
    Address from = address("::1", 161);
    ASSERT_TRUE(ipv6.to_sockaddr(&record, from.get()));
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&record);
    EXPECT_EQ(in6->sin6_family, AF_INET6);
    EXPECT_EQ(in6->sin6_port, htons(161));
    EXPECT_EQ(std::memcmp(&in6->sin6_addr, &in6addr_loopback, 16), 0);
    Address back(pmc_create_network_address(nullptr));
    ASSERT_TRUE(ipv6.from_sockaddr(&record, back.get()));
    EXPECT_STREQ(back->get_text(), "::1");
    EXPECT_EQ(back->get_port(), 161);
    EXPECT_EQ(back->get_kind(), PMC_ADDRESS_IPV6);
}

TEST_F(DatagramRecords, Ipv6ClassCarriesIpv4Records) {
    Probe<DataGramSocketIPv6> ipv6(PMC_ADDRESS_IPV4);
    sockaddr_storage record;
    Address from = address("127.0.0.1", 4000);
    ASSERT_TRUE(ipv6.to_sockaddr(&record, from.get()));
    EXPECT_EQ(record.ss_family, AF_INET);
    Address back(pmc_create_network_address(nullptr));
    ASSERT_TRUE(ipv6.from_sockaddr(&record, back.get()));
    EXPECT_STREQ(back->get_text(), "127.0.0.1");
    EXPECT_EQ(back->get_port(), 4000);
    EXPECT_EQ(back->get_kind(), PMC_ADDRESS_IPV4);
}

TEST_F(DatagramRecords, AnyAddresses) {
    struct Case {
        pmc_long kind;
        pmc_long status;
        const char* text;
    };
    const Case cases[] = {
        {PMC_ADDRESS_IPV4, PMC_S_OK, "0.0.0.0"},
        {PMC_ADDRESS_IPX, PMC_S_OK, "00000000:000000000000"},
        {PMC_ADDRESS_IPV6, PMC_S_OK, "0000:0000:0000:0000:0000:0000:0000:0000"},
        {PMC_ADDRESS_NONE, PMC_E_UNKNOWN_ADDRESS, ""},
        {3, PMC_E_UNKNOWN_ADDRESS, ""},
    };
    Probe<DataGramSocketIPv6> ipv6;
    for (const Case& c : cases) {
        Address local(pmc_create_network_address(nullptr));
        local->set_kind(c.kind);
        EXPECT_EQ(ipv6.set_any_address(local.get()), c.status) << c.kind;
        EXPECT_STREQ(local->get_text(), c.text);
    }
    Probe<DataGramSocketIPv4> ipv4;
    Probe<DataGramSocketIPX> ipx;
    Address local(pmc_create_network_address(nullptr));
    ASSERT_EQ(ipv4.set_any_address(local.get()), PMC_S_OK);
    EXPECT_STREQ(local->get_text(), "0.0.0.0");
    Address local_ipx(pmc_create_network_address(nullptr));
    ASSERT_EQ(ipx.set_any_address(local_ipx.get()), PMC_S_OK);
    EXPECT_STREQ(local_ipx->get_text(), "00000000:000000000000");
    EXPECT_EQ(local_ipx->get_kind(), PMC_ADDRESS_IPX);
}

}  // namespace
