// Datagram sockets over the stand-in socket library: failures the system
// will not produce on demand, and the balance of start-ups and clean-ups.
#include "fake_socket_library.h"
#include "log/component_log.h"
#include "support/log_capture.h"

#include "net/datagram_socket.h"
#include "support/descriptor_hoard.h"

#include <pmsnmp/owned.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using Socket = pmc::Owned<DataGramSocket>;
using Address = pmc::Owned<CPmcNetworkAddress>;

class DatagramFailures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(fake_.install(), PMC_S_OK);
        LogCapture::on(pmc_socket_log()).clear();
    }

    Socket open(pmc_long kind = PMC_ADDRESS_IPV4) {
        DataGramSocket* raw = nullptr;
        EXPECT_EQ(pmc_create_datagram_socket(kind, 0, &raw), PMC_S_OK);
        return Socket(raw);
    }

    Address to(const char* text, unsigned short port) {
        Address address(pmc_create_network_address(nullptr));
        address->assign(text, 0, port);
        return address;
    }

    int& knob(const char* name) { return fake_.knob(name); }
    // Successful start-ups not yet balanced by a clean-up.
    int outstanding_startups() { return knob("fakesock_startups") - knob("fakesock_cleanups"); }
    LogCapture& log() { return LogCapture::on(pmc_socket_log()); }

    FakeSocketLibrary fake_{PMSNMP_FAKESOCK};
};

TEST_F(DatagramFailures, FailingSendtoIsMinus205) {
    Socket sender = open();
    ASSERT_TRUE(sender);
    Address destination = to("127.0.0.1", 9);
    knob("fakesock_fail_sendto") = 1;
    EXPECT_EQ(sender->send("abc", 3, destination.get()), PMC_E_SEND);
    EXPECT_TRUE(log().has_line("Error, fail send(). WSAGetLastError()=10055"));
}

TEST_F(DatagramFailures, ShortSendWarnsAndSucceeds) {
    Socket receiver = open();
    Socket sender = open();
    ASSERT_TRUE(receiver && sender);
    Address destination = to("127.0.0.1", receiver->get_local_address()->get_port());
    knob("fakesock_short_send") = 1;
    EXPECT_EQ(sender->send("abcd", 4, destination.get()), PMC_S_OK);
    EXPECT_TRUE(log().has_line("Warn , send(). size of sended bytes is not same that of buffer."));
    char buffer[8];
    pmc_long received = 0;
    CPmcNetworkAddress* raw = nullptr;
    ASSERT_EQ(receiver->receive(buffer, sizeof buffer, 2000, &received, &raw), PMC_S_OK);
    Address source(raw);
    EXPECT_EQ(received, 3);
}

// One receive on a new IPv4 socket of the installed library.
pmc_long receive_once(pmc_long timeout_ms) {
    DataGramSocket* raw = nullptr;
    EXPECT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_IPV4, 0, &raw), PMC_S_OK);
    Socket socket(raw);
    char buffer[8];
    pmc_long received = 0;
    CPmcNetworkAddress* source = nullptr;
    return socket ? socket->receive(buffer, sizeof buffer, timeout_ms, &received, &source) : PMC_E_FAIL;
}

// The wait goes through poll where the library has it, else select.
TEST(DatagramWait, FailingWaitIsMinus204) {
    const char* const cases[][3] = {
        {PMSNMP_FAKESOCK, "fakesock_fail_poll", "fail poll(). WSAGetLastError()=10055"},
        {PMSNMP_FAKESOCK_NO_POLL, "fakesock_fail_select", "fail select(). WSAGetLastError()=10055"}};
    for (const auto& c : cases) {
        FakeSocketLibrary fake(c[0]);
        ASSERT_EQ(fake.install(), PMC_S_OK);
        LogCapture::on(pmc_socket_log()).clear();
        fake.knob(c[1]) = 1;
        EXPECT_EQ(receive_once(-1), PMC_E_RECEIVE) << c[2];
        EXPECT_TRUE(LogCapture::on(pmc_socket_log()).has_line(std::string("Error, ") + c[2]));
    }
}

TEST(DatagramWait, WithoutPollSelectWaitsOnDescriptorsBelowItsLimitOnly) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK_NO_POLL);
    ASSERT_EQ(fake.install(), PMC_S_OK);
    LogCapture::on(pmc_socket_log()).clear();
    EXPECT_EQ(receive_once(0), PMC_E_TIMEOUT);
    EXPECT_TRUE(LogCapture::on(pmc_socket_log()).has_line("Trace, select API timeout."));
    pmc_test::DescriptorHoard hoard(FD_SETSIZE + 76);
    if (!hoard.ready()) GTEST_SKIP() << hoard.error();
    EXPECT_EQ(receive_once(0), PMC_E_RECEIVE);
    EXPECT_FALSE(LogCapture::on(pmc_socket_log()).matching("select() cannot wait on socket").empty());
}

TEST_F(DatagramFailures, FailingRecvfromIsMinus204AndReportsTheCount) {
    Socket receiver = open();
    Socket sender = open();
    ASSERT_TRUE(receiver && sender);
    Address destination = to("127.0.0.1", receiver->get_local_address()->get_port());
    ASSERT_EQ(sender->send("x", 1, destination.get()), PMC_S_OK);
    knob("fakesock_fail_recvfrom") = 1;
    char buffer[8];
    pmc_long received = 0;
    CPmcNetworkAddress* source = nullptr;
    EXPECT_EQ(receiver->receive(buffer, sizeof buffer, 2000, &received, &source), PMC_E_RECEIVE);
    EXPECT_EQ(received, -1);
    EXPECT_EQ(source, nullptr);
    EXPECT_TRUE(log().has_line("Error, fail recvfrom(). WSAGetLastError()=10055"));
}

TEST_F(DatagramFailures, FailingSetsockoptIsMinus1) {
    Socket v4 = open();
    ASSERT_TRUE(v4);
    knob("fakesock_fail_setsockopt") = 1;
    EXPECT_EQ(v4->set_broadcast(true), PMC_E_FAIL);
    EXPECT_TRUE(
        log().has_line("Error, fail setsockopt(). can't set broadcast flag. WSAGetLastError()=10055"));
    // The injected failure stops the join before the system sees it.
    EXPECT_EQ(v4->join_multicast("239.1.2.3"), PMC_E_FAIL);
    EXPECT_TRUE(
        log().has_line("Error, fail setsockopt(). can't set multicast flag. WSAGetLastError()=10055"));
}

// A socket that cannot be made owes no clean-up of a start-up.
TEST_F(DatagramFailures, FailedCreationIsBalanced) {
    struct Case {
        const char* knob;
        int value;
        const char* line;
        pmc_long status;
    };
    const Case cases[] = {
        {"fakesock_fail_socket", 1, "Error, fail socket(). WSAGetLastError()=10055", PMC_E_SOCKET_CREATE},
        // The socket's version only.
        {"fakesock_fail_startup", 0x0101, "Error, fail WSAStartup(1.1). WSAGetLastError()=10055", PMC_E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.knob);
        const int held = outstanding_startups();
        knob(c.knob) = c.value;
        DataGramSocket* raw = nullptr;
        EXPECT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_IPV4, 0, &raw), c.status);
        EXPECT_EQ(raw, nullptr);
        EXPECT_TRUE(log().has_line(c.line));
        EXPECT_EQ(outstanding_startups(), held);
        knob(c.knob) = 0;
    }
}

TEST_F(DatagramFailures, EachSocketHoldsOneStartup) {
    const int held = outstanding_startups();
    {
        Socket a = open(PMC_ADDRESS_IPV4);
        Socket b = open(PMC_ADDRESS_IPV6);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(outstanding_startups(), held + 2);
    }
    EXPECT_EQ(outstanding_startups(), held);
}

TEST_F(DatagramFailures, LimitedBroadcastTextConverts) {
    Socket socket = open();
    ASSERT_TRUE(socket);
    // Failing sendto keeps the datagram on this host; the record it was
    // given shows the conversion.
    knob("fakesock_fail_sendto") = 1;
    Address destination = to("255.255.255.255", 161);
    EXPECT_EQ(socket->send("x", 1, destination.get()), PMC_E_SEND);
    sockaddr_in record;
    std::memcpy(&record, fake_.symbol("fakesock_last_destination"), sizeof record);
    EXPECT_EQ(record.sin_family, AF_INET);
    EXPECT_EQ(record.sin_port, htons(161));
    EXPECT_EQ(record.sin_addr.s_addr, INADDR_BROADCAST);
}

}  // namespace
