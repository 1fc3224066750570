// Datagram sockets on real loopback sockets, in both IP families.
#include "log/component_log.h"
#include "support/log_capture.h"

#include "net/datagram_socket.h"

#include <pmsnmp/owned.h>

#include <gtest/gtest.h>

#include "support/loopback_socket.h"

#include <chrono>
#include <cstring>
#include <string>

namespace {

using Socket = pmc::Owned<DataGramSocket>;
using Address = pmc::Owned<CPmcNetworkAddress>;

Socket open_socket(pmc_long kind, unsigned short port = 0) {
    DataGramSocket* raw = nullptr;
    const pmc_long status = pmc_create_datagram_socket(kind, port, &raw);
    EXPECT_EQ(status == PMC_S_OK, raw != nullptr);
    return Socket(raw);
}

bool ipv6_loopback_available() {
    pmc_test::LoopbackSocket probe(AF_INET6);
    return probe.bind(0);
}

Address destination(const char* text, unsigned short port) {
    Address address(pmc_create_network_address(nullptr));
    address->assign(text, 0, port);
    return address;
}

struct Received {
    pmc_long status = PMC_E_FAIL;
    pmc_long size = 0;
    Address source;
};

// One receive into buffer, waiting up to two seconds.
Received receive_one(DataGramSocket* socket, void* buffer, pmc_ulong capacity) {
    Received out;
    CPmcNetworkAddress* raw = nullptr;
    out.status = socket->receive(buffer, capacity, 2000, &out.size, &raw);
    out.source.reset(raw);
    return out;
}

struct FamilyCase {
    pmc_long kind;
    const char* any_text;
    const char* loopback;
};

class DatagramFamilies : public ::testing::TestWithParam<FamilyCase> {
protected:
    void SetUp() override {
        if (GetParam().kind == PMC_ADDRESS_IPV6 && !ipv6_loopback_available()) {
            GTEST_SKIP() << "no IPv6 loopback here";
        }
    }
};

TEST_P(DatagramFamilies, BindsToTheAnyAddressWithAChosenPort) {
    Socket socket = open_socket(GetParam().kind);
    ASSERT_TRUE(socket);
    CPmcNetworkAddress* local = socket->get_local_address();
    EXPECT_EQ(local->get_kind(), GetParam().kind);
    EXPECT_NE(local->get_port(), 0);
    bool same = false;
    ASSERT_EQ(pmc_same_address_text(local->get_text(), GetParam().any_text, &same), PMC_S_OK);
    EXPECT_TRUE(same) << local->get_text();
}

TEST_P(DatagramFamilies, SendsAndReceivesBetweenTwoSockets) {
    Socket receiver = open_socket(GetParam().kind);
    Socket sender = open_socket(GetParam().kind);
    ASSERT_TRUE(receiver && sender);
    Address to = destination(GetParam().loopback, receiver->get_local_address()->get_port());
    const char payload[] = "\x30\x26\x02\x01\x00 payload";
    ASSERT_EQ(sender->send(payload, sizeof payload, to.get()), PMC_S_OK);

    unsigned char buffer[2048];
    const Received got = receive_one(receiver.get(), buffer, sizeof buffer);
    ASSERT_EQ(got.status, PMC_S_OK);
    ASSERT_EQ(got.size, static_cast<pmc_long>(sizeof payload));
    EXPECT_EQ(std::memcmp(buffer, payload, sizeof payload), 0);
    ASSERT_TRUE(got.source);
    EXPECT_EQ(got.source->get_kind(), GetParam().kind);
    EXPECT_EQ(got.source->get_port(), sender->get_local_address()->get_port());
    EXPECT_STREQ(got.source->get_text(), GetParam().loopback);
}

TEST_P(DatagramFamilies, ReceiveTimeOutZeroReturnsAtOnce) {
    Socket socket = open_socket(GetParam().kind);
    ASSERT_TRUE(socket);
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    unsigned char buffer[16];
    pmc_long received = -7;
    CPmcNetworkAddress* source = reinterpret_cast<CPmcNetworkAddress*>(&buffer);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket->receive(buffer, sizeof buffer, 0, &received, &source), PMC_E_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(source, nullptr);
    EXPECT_TRUE(log.has_line("Trace, poll API timeout."));
}

// Linux reports the whole length (MSG_TRUNC); Winsock refuses the read.
TEST_P(DatagramFamilies, ACutDatagramReportsItsWholeLength) {
    Socket receiver = open_socket(GetParam().kind);
    Socket sender = open_socket(GetParam().kind);
    ASSERT_TRUE(receiver && sender);
    Address to = destination(GetParam().loopback, receiver->get_local_address()->get_port());
    const std::string payload(3000, 'x');
    ASSERT_EQ(sender->send(payload.data(), static_cast<pmc_ulong>(payload.size()), to.get()), PMC_S_OK);
    unsigned char buffer[100];
    pmc_long received = 0;
    CPmcNetworkAddress* raw = nullptr;
#ifdef _WIN32
    // Winsock has no MSG_TRUNC: a cut datagram is a failed recvfrom
    // (WSAEMSGSIZE).
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    EXPECT_EQ(receiver->receive(buffer, sizeof buffer, 2000, &received, &raw), PMC_E_RECEIVE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_TRUE(log.has_line("Error, fail recvfrom(). WSAGetLastError()=10040"));
#else
    ASSERT_EQ(receiver->receive(buffer, sizeof buffer, 2000, &received, &raw), PMC_S_OK);
    Address source(raw);
    EXPECT_EQ(received, 3000);
#endif
}

TEST_P(DatagramFamilies, ReceiveWaitsForItsTimeOut) {
    Socket socket = open_socket(GetParam().kind);
    ASSERT_TRUE(socket);
    unsigned char buffer[16];
    pmc_long received = 0;
    CPmcNetworkAddress* source = nullptr;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket->receive(buffer, sizeof buffer, 1200, &received, &source), PMC_E_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1150));
}

// The event-loop read: nothing waiting is a failure at once, a waiting read
// ends by the socket's receive time-out (never 0, which would be for ever),
// and the sender stays the system's record.
TEST_P(DatagramFamilies, ReceiveRecordTakesWhatWaitsOrEndsByTheReceiveTimeOut) {
    Socket receiver = open_socket(GetParam().kind);
    Socket sender = open_socket(GetParam().kind);
    ASSERT_TRUE(receiver && sender);
    unsigned char buffer[16];
    pmc_long received = 0;
    sockaddr_storage from;
    int from_length = 0;
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    EXPECT_EQ(receiver->receive_record(buffer, sizeof buffer, false, &received, &from, &from_length),
              PMC_E_RECEIVE);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(receiver->set_receive_timeout(0), PMC_E_INVALID_ARG);
    ASSERT_EQ(receiver->set_receive_timeout(150), PMC_S_OK);
    start = Clock::now();
    EXPECT_EQ(receiver->receive_record(buffer, sizeof buffer, true, &received, &from, &from_length),
              PMC_E_TIMEOUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(140));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));

    Address to = destination(GetParam().loopback, receiver->get_local_address()->get_port());
    ASSERT_EQ(sender->send("ping", 4, to.get()), PMC_S_OK);
    ASSERT_EQ(receiver->receive_record(buffer, sizeof buffer, true, &received, &from, &from_length),
              PMC_S_OK);
    EXPECT_EQ(received, 4);
    Address source(pmc_create_network_address(nullptr));
    ASSERT_EQ(source->set_socket_address(reinterpret_cast<sockaddr*>(&from), from_length), PMC_S_OK);
    EXPECT_EQ(source->get_port(), sender->get_local_address()->get_port());
    EXPECT_STREQ(source->get_text(), GetParam().loopback);
}

TEST_P(DatagramFamilies, MissingArgumentsAreRefused) {
    Socket socket = open_socket(GetParam().kind);
    ASSERT_TRUE(socket);
    Address to = destination(GetParam().loopback, 9);
    unsigned char buffer[16] = {};
    pmc_long received = 0;
    CPmcNetworkAddress* source = nullptr;
    EXPECT_EQ(socket->send(nullptr, 1, to.get()), PMC_E_INVALID_ARG);
    EXPECT_EQ(socket->send(buffer, 1, nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(socket->receive(nullptr, 16, 0, &received, &source), PMC_E_INVALID_ARG);
    EXPECT_EQ(socket->receive(buffer, 16, 0, nullptr, &source), PMC_E_INVALID_ARG);
    EXPECT_EQ(socket->receive(buffer, 16, 0, &received, nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(socket->join_multicast(nullptr), PMC_E_INVALID_ARG);
}

INSTANTIATE_TEST_SUITE_P(Loopback, DatagramFamilies,
                         ::testing::Values(FamilyCase{PMC_ADDRESS_IPV4, "0.0.0.0", "127.0.0.1"},
                                           FamilyCase{PMC_ADDRESS_IPV6, "::", "::1"}),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             return info.param.kind == PMC_ADDRESS_IPV4 ? "IPv4" : "IPv6";
                         });

TEST(DatagramSocket, BroadcastNeedsTheFlagAndReachesTheAnyAddress) {
    Socket receiver = open_socket(PMC_ADDRESS_IPV4);
    Socket sender = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(receiver && sender);
    Address broadcast = destination("127.255.255.255", receiver->get_local_address()->get_port());
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    // The system refuses a broadcast until the socket allows it.
    EXPECT_EQ(sender->send("b", 1, broadcast.get()), PMC_E_SEND);
    EXPECT_EQ(log.matching("fail send(). WSAGetLastError()=").size(), 1u);

    ASSERT_EQ(sender->set_broadcast(true), PMC_S_OK);
    ASSERT_EQ(sender->send("b", 1, broadcast.get()), PMC_S_OK);
    char buffer[8];
    const Received got = receive_one(receiver.get(), buffer, sizeof buffer);
    ASSERT_EQ(got.status, PMC_S_OK);
    EXPECT_EQ(got.size, 1);
    EXPECT_EQ(got.source->get_port(), sender->get_local_address()->get_port());

    ASSERT_EQ(sender->set_broadcast(false), PMC_S_OK);
    EXPECT_EQ(sender->send("b", 1, broadcast.get()), PMC_E_SEND);
}

TEST(DatagramSocket, BroadcastFlagIsIgnoredForIPv6) {
    if (!ipv6_loopback_available()) GTEST_SKIP() << "no IPv6 loopback here";
    Socket socket = open_socket(PMC_ADDRESS_IPV6);
    ASSERT_TRUE(socket);
    EXPECT_EQ(socket->set_broadcast(true), PMC_S_OK);
}

TEST(DatagramSocket, UnconvertibleDestinationsAreRefused) {
    Socket socket = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(socket);
    const char* texts[] = {"not an address", "256.1.1.1", "::1", ""};
    for (const char* text : texts) {
        Address to = destination(text, 161);
        EXPECT_EQ(socket->send("x", 1, to.get()), PMC_E_INVALID_ARG) << text;
    }
}

TEST(DatagramSocket, FactoryRefusesUnknownKindsAndMissingOutput) {
    DataGramSocket* raw = reinterpret_cast<DataGramSocket*>(&raw);
    EXPECT_EQ(pmc_create_datagram_socket(3, 0, &raw), PMC_E_INVALID_ARG);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_NONE, 0, &raw), PMC_E_INVALID_ARG);
    EXPECT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_IPV4, 0, nullptr), PMC_E_INVALID_ARG);
}

TEST(DatagramSocket, BindsTheRequestedPort) {
    Socket first = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(first);
    const unsigned short taken = first->get_local_address()->get_port();
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    DataGramSocket* raw = nullptr;
    EXPECT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_IPV4, taken, &raw), PMC_E_SOCKET_BIND);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(log.matching("fail bind(). WSAGetLastError()=").size(), 1u);
    first.reset();
    // The port is free again once the first socket is gone.
    Socket second = open_socket(PMC_ADDRESS_IPV4, taken);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->get_local_address()->get_port(), taken);
}

TEST(DatagramSocket, CreationIsLogged) {
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    Socket socket = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(socket);
    const int port = socket->get_local_address()->get_port();
    char tail[64];
    std::snprintf(tail, sizeof tail, " port:%d(0x%x)", port, static_cast<unsigned>(port));
    const std::vector<std::string> lines = log.matching("create socket. id:0x");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(tail), std::string::npos) << lines[0];
}

TEST(DatagramSocket, SendAndReceiveAreLogged) {
    Socket receiver = open_socket(PMC_ADDRESS_IPV4);
    Socket sender = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(receiver && sender);
    const int to_port = receiver->get_local_address()->get_port();
    const int from_port = sender->get_local_address()->get_port();
    Address to = destination("127.0.0.1", static_cast<unsigned short>(to_port));
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    ASSERT_EQ(sender->send("x", 1, to.get()), PMC_S_OK);
    char buffer[4];
    const Received got = receive_one(receiver.get(), buffer, sizeof buffer);
    ASSERT_EQ(got.status, PMC_S_OK);
    char line[160];
    std::snprintf(line, sizeof line,
                  "[DataGramSocket::send] send packet. port:%d(0x%x) -> 127.0.0.1:%d(0x%x).",
                  from_port, static_cast<unsigned>(from_port), to_port,
                  static_cast<unsigned>(to_port));
    EXPECT_TRUE(log.has_line(std::string("Debug, ") + line)) << line;
    std::snprintf(line, sizeof line,
                  "[DataGramSocket::receive] receive packet port:%d(0x%x) <- 127.0.0.1:%d(0x%x).",
                  to_port, static_cast<unsigned>(to_port), from_port,
                  static_cast<unsigned>(from_port));
    EXPECT_TRUE(log.has_line(std::string("Debug, ") + line)) << line;
}

TEST(DatagramSocket, IpxOnThisSystemFailsCleanly) {
    DataGramSocket* raw = nullptr;
    const pmc_long status = pmc_create_datagram_socket(PMC_ADDRESS_IPX, 0, &raw);
    Socket socket(raw);
    if (status == PMC_S_OK) {
        ASSERT_TRUE(socket);
        EXPECT_EQ(socket->get_local_address()->get_kind(), PMC_ADDRESS_IPX);
    } else {
        EXPECT_EQ(status, PMC_E_SOCKET_CREATE);
        EXPECT_FALSE(socket);
    }
}

struct Ipv6TextCase {
    const char* text;
    pmc_long status;
    unsigned char bytes[16];
};

TEST(DatagramSocket, ParsesIpv6Texts) {
    const Ipv6TextCase cases[] = {
        {"ff02::1", PMC_S_OK, {0xff, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01}},
        {"::1", PMC_S_OK, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01}},
        {"1:2:3:4:5:6:7:8", PMC_S_OK, {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8}},
        {"FF05::1:3", PMC_S_OK, {0xff, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0x03}},
        {"::2:3:4:5:6:7:8", PMC_S_OK, {0, 0, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8}},
        {"1:2:3:4:5:6::8", PMC_S_OK, {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 0, 0, 8}},
        // A trailing "::" stands for zero groups.
        {"ff02::", PMC_S_OK, {0xff, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"1:2:3:4:5:6:7::", PMC_S_OK, {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0}},
        {"::", PMC_S_OK, {}},
        {"1:2:3", PMC_E_INVALID_ARG, {}},
        {"", PMC_E_INVALID_ARG, {}},
        {"zz::1", PMC_E_INVALID_ARG, {}},
        // Expansions beyond the work area are refused rather than cut.
        {"0000000ffff:0000000ffff:0000000ffff::1", PMC_E_INVALID_ARG, {}},
        {"0000000000000000000000000000000000000000000000000000::1", PMC_E_INVALID_ARG, {}},
    };
    for (const Ipv6TextCase& c : cases) {
        unsigned char bytes[16];
        std::memset(bytes, 0xAA, sizeof bytes);
        EXPECT_EQ(DataGramSocket::parse_ipv6_text(c.text, bytes), c.status) << c.text;
        if (c.status == PMC_S_OK) {
            EXPECT_EQ(std::memcmp(bytes, c.bytes, sizeof bytes), 0) << c.text;
        }
    }
    unsigned char bytes[16];
    EXPECT_EQ(DataGramSocket::parse_ipv6_text(nullptr, bytes), PMC_E_INVALID_ARG);
}

TEST(DatagramSocket, LongIpv6TextsWithoutGapAreCutToTheWorkArea) {
    // 8 groups of 4 digits and 7 colons are 39 characters; the rest is cut.
    unsigned char bytes[16];
    EXPECT_EQ(DataGramSocket::parse_ipv6_text(
                  "0001:0002:0003:0004:0005:0006:0007:0008:ffffffffffff", bytes),
              PMC_S_OK);
    EXPECT_EQ(bytes[15], 0x08);
}

TEST(DatagramSocket, MulticastGroupTextsAreChecked) {
    Socket v4 = open_socket(PMC_ADDRESS_IPV4);
    ASSERT_TRUE(v4);
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    EXPECT_EQ(v4->join_multicast("not a group"), PMC_E_FAIL);
    EXPECT_EQ(v4->join_multicast("224.1"), PMC_E_FAIL);  // no shorthand for 224.0.0.1
    EXPECT_EQ(log.matching("fail to read the group address ").size(), 2u);
    if (!ipv6_loopback_available()) return;
    Socket v6 = open_socket(PMC_ADDRESS_IPV6);
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->join_multicast("ff02:1"), PMC_E_INVALID_ARG);
}

}  // namespace
