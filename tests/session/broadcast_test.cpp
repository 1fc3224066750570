// Broadcast discovery on loopback: responders of the test agent share one
// port on 127.255.255.255 (each gets its copy of a broadcast) and answer
// from 127.0.0.2, 127.0.0.3, ... so that every answer has its own sender.
// The limited broadcast (255.255.255.255) is sent only inside a network
// namespace of the test's own.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "message/list_cursor.h"
#include "message/snmp_packet.h"
#include "session/broadcast_replies.h"
#include "session/session_dispatcher.h"
#include "session/session_test_support.h"
#include "support/private_network.h"
#include "support/test_agent.h"

using namespace session_test;
using pmc_test::TestAgent;

namespace {

const char* const kLoopbackBroadcast = "127.255.255.255";
const char* const kSysName = "1.3.6.1.2.1.1.5.0";

unsigned short free_udp_port() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A responder named lp-<host> answering from 127.0.0.<host>.
std::unique_ptr<TestAgent> responder(unsigned short port, int host, const std::string& extra = "",
                                     const char* bind = kLoopbackBroadcast) {
    const std::string index = std::to_string(host);
    const std::string scenario = std::string(R"({"table": {")") + kSysName + R"(": ["octets", "lp-)" + index +
                                 R"("]}, "answer_from": "127.0.0.)" + index + "\"" +
                                 (extra.empty() ? "" : ", " + extra) + "}";
    return std::make_unique<TestAgent>(scenario, bind, 60,
                                       std::vector<std::string>{"--port", std::to_string(port), "--reuse"});
}

struct Discovery {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsSnmpPacketList> replies;
    long long elapsed_ms = 0;

    std::vector<std::string> senders() const {
        std::vector<std::string> out;
        if (!replies) return out;
        PmcListCursor<IPmsSnmpPacket> cursor(replies.get());
        for (IPmsSnmpPacket* packet = cursor.current(); packet != nullptr; cursor.next(), packet = cursor.current()) {
            out.push_back(packet->get_target()->get_address()->get_text() + std::string(" ") +
                          text_of(value_at(packet->get_pdu(), 0)));
        }
        return out;
    }
};

Discovery discover(const char* destination, unsigned short port, pmc_long timeout_ms, pmc_long retries) {
    Discovery out;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {kSysName});
    pmc::Owned<IPmsSnmpTarget> target = make_target(destination, port, PMS_VERSION_1, timeout_ms, retries);
    IPmsSnmpPacketList* list = nullptr;
    const auto start = std::chrono::steady_clock::now();
    out.status = dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &list);
    out.elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                         .count();
    out.replies.reset(list);
    return out;
}

TEST(Broadcast, NobodyAnsweringSucceedsWithAnEmptyListAfterEveryTry) {
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    log.clear();
    const Discovery found = discover(kLoopbackBroadcast, free_udp_port(), 200, 1);
    ASSERT_EQ(found.status, PMC_S_OK);
    ASSERT_TRUE(found.replies);
    EXPECT_EQ(found.replies->count(), 0u);
    EXPECT_GE(found.elapsed_ms, 400);
    EXPECT_EQ(log.count("broad cast: timeout= 200, retries=1, destination=127.255.255.255"), 1);
    EXPECT_EQ(log.count("broad cast: try 1."), 1);
    EXPECT_EQ(log.count("broad cast: error="), 0);
}

TEST(Broadcast, OwnRequestHeardOnTheAgentsPortIsNoAgent) {
    const unsigned short port = free_udp_port();
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {kSysName});
    pmc::Owned<IPmsSnmpTarget> target = make_target(kLoopbackBroadcast, port, PMS_VERSION_1, 200, 0);
    target->set_port(port);  // the local port: the request comes back to us
    IPmsSnmpPacketList* list = nullptr;
    ASSERT_EQ(dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &list), PMC_S_OK);
    pmc::Owned<IPmsSnmpPacketList> replies(list);
    EXPECT_EQ(replies->count(), 0u);
}

TEST(Broadcast, OneEntryPerAnsweringAddressInOrderOfFirstArrival) {
    const unsigned short port = free_udp_port();
    auto twice = responder(port, 2, R"("after": ["answer"])");
    auto late = responder(port, 3, R"("delay_ms": 150)");
    ASSERT_TRUE(twice->running() && late->running()) << twice->error() << late->error();
    const Discovery found = discover(kLoopbackBroadcast, port, 500, 1);
    ASSERT_EQ(found.status, PMC_S_OK);
    ASSERT_EQ(found.senders(), (std::vector<std::string>{"127.0.0.2 lp-2", "127.0.0.3 lp-3"}));
    // Both tries carried the same encoding.
    const nlohmann::json ids = twice->state()["ids"];
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0], ids[1]);
}

TEST(Broadcast, GarbageAndStrayAnswersLeaveTheGoodEntries) {
    const unsigned short port = free_udp_port();
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    log.clear();
    auto good = responder(port, 2);
    // Each of these sends only its misbehaviour, after the good answer.
    auto garbage = responder(port, 3, R"("withhold_answer": true, "before": ["garbage"], "delay_ms": 100)");
    auto broken = responder(port, 4, R"("withhold_answer": true, "before": ["bad_binding"], "delay_ms": 100)");
    auto stray = responder(port, 5, R"("withhold_answer": true, "before": ["stray"], "delay_ms": 100)");
    ASSERT_TRUE(good->running() && garbage->running() && broken->running() && stray->running());
    const Discovery found = discover(kLoopbackBroadcast, port, 400, 0);
    ASSERT_EQ(found.status, PMC_S_OK);
    EXPECT_EQ(found.senders(), (std::vector<std::string>{"127.0.0.2 lp-2"}));
    EXPECT_EQ(log.count("broad cast: skip undecodable answer from 127.0.0.3."), 1);
    EXPECT_EQ(log.count("broad cast: skip undecodable answer from 127.0.0.4."), 1);
    EXPECT_EQ(log.count("request id not match."), 1);
}

TEST(Broadcast, RetryCountMinusOneSendsNothing) {
    const unsigned short port = free_udp_port();
    auto agent = responder(port, 2);
    ASSERT_TRUE(agent->running()) << agent->error();
    // The packet form, which must hand the PDU and target back.
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsSnmpPacket> packet(create_packet(nullptr));
    packet->set_pdu(make_pdu(PMS_PDU_GET, {kSysName}).release());
    packet->set_target(make_target(kLoopbackBroadcast, port, PMS_VERSION_1, 300, -1).release());
    IPmsSnmpPacketList* list = nullptr;
    ASSERT_EQ(dispatcher->send_broad_cast_sync(packet.get(), &list), PMC_S_OK);
    pmc::Owned<IPmsSnmpPacketList> replies(list);
    ASSERT_TRUE(replies);
    EXPECT_EQ(replies->count(), 0u);
    EXPECT_NE(packet->get_pdu(), nullptr);
    EXPECT_NE(packet->get_target(), nullptr);
    EXPECT_EQ(agent->request_count(), 0);
}

TEST(Broadcast, IpxAnswersCountOnlyFromTheDestinationsNetwork) {
    struct Case {
        const char* destination;
        const char* source;
        bool accepted;
    };
    const Case cases[] = {
        {"0000000a:ffffffffffff", "0000000a:001122334455", true},
        {"0000000a:ffffffffffff", "0000000b:001122334455", false},
        {"00000000:ffffffffffff", "0000000a:001122334455", true},
        {"00000000:ffffffffffff", "0000000b:001122334455", true},
        {"127.255.255.255", "10.1.2.3", true},
    };
    for (const Case& c : cases) {
        pmc::Owned<CPmcNetworkAddress> destination(pmc_create_network_address_from_text(c.destination, 0, nullptr));
        pmc::Owned<CPmcNetworkAddress> source(pmc_create_network_address_from_text(c.source, 0, nullptr));
        ASSERT_TRUE(destination && source) << c.destination;
        EXPECT_EQ(NPmsBroadcastReplies::accepts(destination.get(), source.get()), c.accepted)
            << c.destination << " <- " << c.source;
    }
}

// In a namespace with only lo: a route for the limited broadcast, and a
// responder bound to the any address.
int limited_broadcast_in_private_namespace() {
    if (std::system("ip link set lo up && ip route add 255.255.255.255/32 dev lo src 127.0.0.1") != 0) return 2;
    const unsigned short port = free_udp_port();
    auto agent = responder(port, 2, "", "0.0.0.0");
    if (!agent->running()) return 3;
    const Discovery found = discover("255.255.255.255", port, 300, 0);
    if (found.status != PMC_S_OK) return 4;
    return found.senders() == std::vector<std::string>{"127.0.0.2 lp-2"} ? 0 : 5;
}

TEST(Broadcast, LimitedBroadcastInsideAPrivateNetworkNamespace) {
    const int code = pmc_test::run_in_private_network(limited_broadcast_in_private_namespace);
    if (code == pmc_test::kNoPrivateNetwork) GTEST_SKIP() << "network namespaces are refused here";
    EXPECT_EQ(code, 0);
}

}  // namespace
