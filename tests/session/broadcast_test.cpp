// Broadcast discovery on loopback: responders of the test agent share one
// port on 127.255.255.255 (each gets its copy of a broadcast) and answer
// from 127.0.0.2, 127.0.0.3, ... so that every answer has its own sender.
// The limited broadcast (255.255.255.255) is sent only inside a network
// namespace of the test's own (broadcast_namespace_test.cpp).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/broadcast_replies.h"
#include "session/broadcast_support.h"

using namespace session_test;
using pmc_test::TestAgent;

namespace {

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

// Thousands of agents answering at once, each from two ports: every one is
// listed, once.
TEST(Broadcast, AThousandsStrongCrowdIsListedOncePerHost) {
    const unsigned short port = free_udp_port();
    TestAgent crowd(std::string(R"({"table": {")") + kSysName +
                        R"(": ["octets", "crowd"]}, "answer_from_hosts": {"count": 3000, "ports": 2}})",
                    kLoopbackBroadcast, 60, {"--port", std::to_string(port), "--reuse"});
    ASSERT_TRUE(crowd.running()) << crowd.error();
    const Discovery found = discover(kLoopbackBroadcast, port, 3000, 0);
    ASSERT_EQ(found.status, PMC_S_OK);
    EXPECT_EQ(found.replies->count(), 3000u);
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

}  // namespace
