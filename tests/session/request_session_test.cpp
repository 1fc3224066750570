// The request path end to end: dispatcher, session, codec and socket against
// the project's test agent on loopback.
#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "message/snmp_packet.h"
#include "session/session_dispatcher.h"
#include "session/session_test_support.h"
#include "support/test_agent.h"

using namespace session_test;
using pmc_test::TestAgent;

namespace {

const char* const kTable = R"("table": {
    "1.3.6.1.2.1.1.1.0": ["octets", "Office printer"],
    "1.3.6.1.2.1.1.2.0": ["oid", "1.3.6.1.4.1.2435.2.3"],
    "1.3.6.1.2.1.1.3.0": ["timeticks", 4294967295],
    "1.3.6.1.2.1.1.4.0": ["integer", -129],
    "1.3.6.1.2.1.1.5.0": ["octets", "lp-5"],
    "1.3.6.1.2.1.1.6.0": ["gauge32", 2147483648],
    "1.3.6.1.2.1.1.7.0": ["integer", 72],
    "1.3.6.1.2.1.4.1.0": ["counter64", 1234567890123],
    "1.3.6.1.2.1.4.2.0": ["ipaddress", "10.1.2.3"]
})";

std::string scenario(const std::string& extra = "") {
    return std::string("{") + kTable + (extra.empty() ? "" : ", " + extra) + "}";
}

// One integer per binding, so that answers can be told apart by position.
std::string numbered_table(int count) {
    std::string table = R"("table": {)";
    for (int i = 1; i <= count; ++i) {
        table += (i > 1 ? ", " : "") + std::string("\"1.3.6.1.2.1.1.") + std::to_string(i) + ".0\": [\"integer\", " +
                 std::to_string(i * 10) + "]";
    }
    return table + "}";
}

struct Exchange {
    pmc_long status;
    long long elapsed_ms;
};

Exchange send(IPmsPdu* pdu, IPmsSnmpTarget* target) {
    pmc_long status = 0;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&status));
    EXPECT_EQ(status, PMC_S_OK);
    const auto start = std::chrono::steady_clock::now();
    status = dispatcher->send_sync(pdu, target);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return {status, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()};
}

std::string address_of(IPmsSnmpTarget* target) {
    CPmcNetworkAddress* address = target->get_address();
    return address != nullptr && address->get_text() != nullptr ? address->get_text() : "<none>";
}

}  // namespace

TEST(RequestSession, AnswersFromTheTableInBothVersions) {
    TestAgent agent(scenario());
    ASSERT_TRUE(agent.running()) << agent.error();
    for (pmc_long version : {PMS_VERSION_1, PMS_VERSION_2C}) {
        SCOPED_TRACE("version " + std::to_string(version));
        pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), version);
        pmc::Owned<IPmsPdu> pdu = make_pdu(
            PMS_PDU_GET, {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.3.0", "1.3.6.1.2.1.1.4.0",
                          "1.3.6.1.2.1.1.6.0", "1.3.6.1.2.1.4.1.0", "1.3.6.1.2.1.4.2.0"});
        ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
        EXPECT_EQ(pdu->get_type(), PMS_PDU_RESPONSE);
        EXPECT_EQ(pdu->get_error_status(), 0);
        ASSERT_EQ(count_of(pdu.get()), 7u);
        EXPECT_EQ(value_at(pdu.get(), 0)->get_type(), PMS_TYPE_OCTET_STRING);
        EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "Office printer");
        EXPECT_EQ(value_at(pdu.get(), 1)->get_type(), PMS_TYPE_OID);
        EXPECT_EQ(text_of(value_at(pdu.get(), 1)), "1.3.6.1.4.1.2435.2.3");
        EXPECT_EQ(value_at(pdu.get(), 2)->get_type(), PMS_TYPE_TIME_TICKS);
        EXPECT_EQ(value_at(pdu.get(), 2)->get_uint(nullptr), 4294967295u);
        EXPECT_EQ(value_at(pdu.get(), 3)->get_int(nullptr), -129);
        EXPECT_EQ(value_at(pdu.get(), 4)->get_uint(nullptr), 2147483648u);
        EXPECT_EQ(value_at(pdu.get(), 5)->get_type(), PMS_TYPE_COUNTER64);
        EXPECT_EQ(value_at(pdu.get(), 5)->get_uint_high(nullptr), 287u);
        EXPECT_EQ(value_at(pdu.get(), 5)->get_uint_low(nullptr), 1912276171u);
        EXPECT_EQ(value_at(pdu.get(), 6)->get_type(), PMS_TYPE_IP_ADDRESS);
        EXPECT_EQ(target->get_version(), version);
    }
    const nlohmann::json state = agent.state();
    ASSERT_EQ(state["ids"].size(), 2u);
    // Consecutive requests draw consecutive identifiers.
    EXPECT_EQ(state["ids"][1].get<long long>(), state["ids"][0].get<long long>() + 1);
}

TEST(RequestSession, GetNextAndTheEndOfTheView) {
    TestAgent agent(scenario());
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET_NEXT, {"1.3.6.1.2.1.1.7.0"});
    ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
    EXPECT_EQ(oids_of(pdu.get()), std::vector<std::string>{"1.3.6.1.2.1.4.1.0"});

    // SNMPv1 at the end of the view: noSuchName, names unchanged.
    pmc::Owned<IPmsPdu> last = make_pdu(PMS_PDU_GET_NEXT, {"1.3.6.1.2.1.4.2.0"});
    ASSERT_EQ(send(last.get(), target.get()).status, PMC_S_OK);
    EXPECT_EQ(last->get_error_status(), PMS_ERR_NO_SUCH_NAME);
    EXPECT_EQ(last->get_error_index(), 1);
    EXPECT_EQ(oids_of(last.get()), std::vector<std::string>{"1.3.6.1.2.1.4.2.0"});
}

TEST(RequestSession, SetAnswersAndRefusals) {
    TestAgent agent(scenario(R"("no_access": ["1.3.6.1.2.1.1.7.0"], "read_only": ["1.3.6.1.2.1.1.1.0"])"));
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
    struct Case {
        const char* oid;
        pmc_long error_status;
    };
    const Case cases[] = {{"1.3.6.1.2.1.1.4.0", PMS_ERR_NO_ERROR},
                          {"1.3.6.1.2.1.1.7.0", PMS_ERR_NO_ACCESS},
                          {"1.3.6.1.2.1.1.1.0", PMS_ERR_READ_ONLY},
                          {"1.3.6.1.2.1.1.99.0", PMS_ERR_NO_SUCH_NAME}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid);
        pmc::Owned<IPmsPdu> pdu(create_pdu(nullptr));
        pdu->set_type(PMS_PDU_SET);
        pdu->add_varbind(pms_create_oid_from_text(c.oid, nullptr),
                         pms_create_value_from_int(4, PMS_TYPE_INTEGER, nullptr));
        ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
        EXPECT_EQ(pdu->get_error_status(), c.error_status);
    }
    pmc::Owned<IPmsPdu> check = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.4.0"});
    ASSERT_EQ(send(check.get(), target.get()).status, PMC_S_OK);
    EXPECT_EQ(value_at(check.get(), 0)->get_int(nullptr), 4);
}

TEST(RequestSession, TooBigAnswersAreSplitAndJoinedInOrder) {
    TestAgent agent("{" + numbered_table(10) + R"(, "too_big_above": 3})");
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(10));
    ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
    ASSERT_EQ(oids_of(pdu.get()), numbered_oids(10));
    for (pmc_ulong i = 0; i < 10; ++i) EXPECT_EQ(value_at(pdu.get(), i)->get_int(nullptr), static_cast<pmc_long>(10 * (i + 1)));
    EXPECT_EQ(pdu->get_type(), PMS_PDU_RESPONSE);
    EXPECT_EQ(pdu->get_error_status(), 0);
    const nlohmann::json state = agent.state();
    EXPECT_EQ(state["sizes"], nlohmann::json::parse("[10, 5, 3, 2, 5, 3, 2]"));
    // Every piece went out with an identifier of its own.
    std::set<long long> ids;
    for (const auto& id : state["ids"]) ids.insert(id.get<long long>());
    EXPECT_EQ(ids.size(), 7u);
}

TEST(RequestSession, OneBindingAnsweredTooBigCannotBeSplit) {
    TestAgent agent(scenario(R"("too_big_above": 0)"));
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(send(pdu.get(), target.get()).status, PMC_E_CANNOT_SPLIT);
    EXPECT_EQ(oids_of(pdu.get()), std::vector<std::string>{"1.3.6.1.2.1.1.5.0"});
}

TEST(RequestSession, RequestsAboveTheMaximumSizeAreSplitBeforeSending) {
    TestAgent agent("{" + numbered_table(40) + "}");
    ASSERT_TRUE(agent.running()) << agent.error();
    // About 14 octets a binding: 40 bindings need some 600 octets.
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 1000, 0, 200);
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(40));
    ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
    ASSERT_EQ(oids_of(pdu.get()), numbered_oids(40));
    for (pmc_ulong i = 0; i < 40; ++i) EXPECT_EQ(value_at(pdu.get(), i)->get_int(nullptr), static_cast<pmc_long>(10 * (i + 1)));
    const nlohmann::json state = agent.state();
    int total = 0;
    for (const auto& size : state["sizes"]) total += size.get<int>();
    EXPECT_EQ(total, 40);  // nothing oversized reached the agent
    EXPECT_GE(state["count"].get<int>(), 4);
}

TEST(RequestSession, MaximumSizeTooSmallForOneBindingIsRefused) {
    TestAgent agent(scenario());
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 1000, 0, 10);
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(3));
    EXPECT_EQ(send(pdu.get(), target.get()).status, PMC_E_CANNOT_SPLIT);
    EXPECT_EQ(oids_of(pdu.get()), numbered_oids(3));
    EXPECT_EQ(agent.request_count(), 0);
}

TEST(RequestSession, DatagramsThatAnswerNothingAreDiscarded) {
    LogCapture::on(pmc_snmp_log());
    const char* const kinds[] = {"stray", "empty", "garbage", "truncated", "bad_version", "long_length", "bad_binding"};
    for (const char* kind : kinds) {
        SCOPED_TRACE(kind);
        LogCapture::on(pmc_snmp_log()).clear();
        TestAgent agent(scenario(std::string(R"("before": [")") + kind + "\"]"));
        ASSERT_TRUE(agent.running()) << agent.error();
        pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 2000, 0);
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        const Exchange result = send(pdu.get(), target.get());
        ASSERT_EQ(result.status, PMC_S_OK);
        EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "lp-5");
        EXPECT_EQ(agent.request_count(), 1);  // no second try was needed
        EXPECT_LT(result.elapsed_ms, 1500);
        if (std::string(kind) == "stray") {
            EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("request id not match."), 1);
        }
    }
}

// An answer from another host, or from the same text on another port, is
// taken, and the target keeps the address it came from.
TEST(RequestSession, AnswerFromAnotherAddressIsAcceptedAndKept) {
    for (const char* from : {"127.0.0.2", "127.0.0.1"}) {
        SCOPED_TRACE(from);
        TestAgent agent(scenario(std::string(R"("answer_from": ")") + from + "\""));
        ASSERT_TRUE(agent.running()) << agent.error();
        pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
        EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "lp-5");
        EXPECT_EQ(address_of(target.get()), from);
        EXPECT_NE(target->get_address()->get_port(), agent.port());
    }
}

TEST(RequestSession, TriesCountRetriesPlusOne) {
    struct Case {
        int drop_first;
        pmc_long retries;
        pmc_long status;
        int tries;
    };
    const Case cases[] = {
        {1, 0, PMC_E_TIMEOUT, 1}, {2, 2, PMC_S_OK, 3}, {5, 2, PMC_E_TIMEOUT, 3}, {0, 2, PMC_S_OK, 1},
        {1, -3, PMC_E_TIMEOUT, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("drop " + std::to_string(c.drop_first) + ", retries " + std::to_string(c.retries));
        LogCapture::on(pmc_snmp_log()).clear();
        TestAgent agent(scenario(R"("drop_first": )" + std::to_string(c.drop_first)));
        ASSERT_TRUE(agent.running()) << agent.error();
        pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 150, c.retries);
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        EXPECT_EQ(send(pdu.get(), target.get()).status, c.status);
        EXPECT_EQ(agent.request_count(), c.tries);
        LogCapture& log = LogCapture::on(pmc_snmp_log());
        EXPECT_EQ(log.count("_send_and_receive(): timeout= 150, retries=" + std::to_string(c.retries)), 1);
        EXPECT_EQ(log.count("_send_and_receive(): try "), c.tries);
        EXPECT_EQ(log.count("_send_and_receive(): try 0, destination=127.0.0.1"), 1);
        EXPECT_EQ(log.count("_send_and_receive(): receive timeout."), c.status == PMC_S_OK ? c.tries - 1 : c.tries);
        EXPECT_EQ(log.count("_send_and_receive(): receive from 127.0.0.1"), c.status == PMC_S_OK ? 1 : 0);
        // Every try resends the same request.
        const nlohmann::json ids = agent.state()["ids"];
        for (const auto& id : ids) EXPECT_EQ(id, ids[0]);
    }
}

// A try ends within its time-out; an answer late but within it is taken.
TEST(RequestSession, AnswerDelayAgainstTheTimeOut) {
    struct Case {
        int delay_ms;
        pmc_long timeout_ms;
        pmc_long retries;
        pmc_long status;
        long at_least_ms;
        long below_ms;
        int requests;
    };
    const Case cases[] = {
        {600, 200, 1, PMC_E_TIMEOUT, 2 * 200 - 10, 2 * 200 + 300, 2},
        {100, 1500, 0, PMC_S_OK, 90, 1500, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("delay " + std::to_string(c.delay_ms));
        TestAgent agent(scenario(R"("delay_ms": )" + std::to_string(c.delay_ms)));
        ASSERT_TRUE(agent.running()) << agent.error();
        pmc::Owned<IPmsSnmpTarget> target =
            make_target("127.0.0.1", agent.port(), PMS_VERSION_1, c.timeout_ms, c.retries);
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        const Exchange result = send(pdu.get(), target.get());
        EXPECT_EQ(result.status, c.status);
        EXPECT_GE(result.elapsed_ms, c.at_least_ms);
        EXPECT_LT(result.elapsed_ms, c.below_ms);
        EXPECT_EQ(agent.request_count(), c.requests);
        // Without an answer the PDU still holds the request.
        EXPECT_EQ(pdu->get_type(), c.status == PMC_S_OK ? PMS_PDU_RESPONSE : PMS_PDU_GET);
        EXPECT_EQ(oids_of(pdu.get()), std::vector<std::string>{"1.3.6.1.2.1.1.5.0"});
    }
}

TEST(RequestSession, StrayAnswersDoNotStretchTheTimeOut) {
    // Stray answers arrive inside the try and the right one never comes:
    // the try still ends when its time is up, not a time-out after the last
    // stray one.
    LogCapture::on(pmc_snmp_log()).clear();
    TestAgent agent(scenario(R"("delay_ms": 150, "before": ["stray", "stray", "stray"], "withhold_answer": true)"));
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 300, 0);
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    const Exchange result = send(pdu.get(), target.get());
    EXPECT_EQ(result.status, PMC_E_TIMEOUT);
    EXPECT_GE(result.elapsed_ms, 290);
    EXPECT_LT(result.elapsed_ms, 420);  // restarting the wait would take 450
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("request id not match."), 3);
}

TEST(RequestSession, ZeroTimeOutNeitherWaitsNorClaimsSuccess) {
    TestAgent agent(scenario(R"("delay_ms": 300)"));
    ASSERT_TRUE(agent.running()) << agent.error();
    for (pmc_long timeout : {0, -1}) {
        pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, timeout, 1);
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        const Exchange result = send(pdu.get(), target.get());
        EXPECT_EQ(result.status, PMC_E_TIMEOUT) << "timeout " << timeout;
        EXPECT_LT(result.elapsed_ms, 250);
        EXPECT_EQ(pdu->get_type(), PMS_PDU_GET);
    }
}

TEST(RequestSession, IPv6Loopback) {
    TestAgent agent(scenario(), "::1");
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("::1", agent.port(), PMS_VERSION_2C);
    ASSERT_EQ(target->get_address()->get_kind(), PMC_ADDRESS_IPV6);
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.1.0"});
    ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
    EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "Office printer");
}

TEST(RequestSession, PacketFormCarriesPduAndTargetThrough) {
    TestAgent agent(scenario());
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpPacket> packet(create_packet(nullptr));
    packet->set_target(make_target("127.0.0.1", agent.port()).release());
    packet->set_pdu(make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"}).release());
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    ASSERT_EQ(dispatcher->send_sync(packet.get()), PMC_S_OK);
    ASSERT_NE(packet->get_pdu(), nullptr);
    ASSERT_NE(packet->get_target(), nullptr);
    EXPECT_EQ(text_of(value_at(packet->get_pdu(), 0)), "lp-5");
}

TEST(RequestSession, ThreadsGetTheirOwnAnswers) {
    TestAgent agent("{" + numbered_table(8) + R"(, "before": ["stray"]})");
    ASSERT_TRUE(agent.running()) << agent.error();
    constexpr int kThreads = 8;
    constexpr int kRounds = 15;
    std::vector<int> good(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 3000, 1);
            for (int round = 0; round < kRounds; ++round) {
                pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(1, t + 1));
                pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
                if (dispatcher->send_sync(pdu.get(), target.get()) == PMC_S_OK && count_of(pdu.get()) == 1 &&
                    value_at(pdu.get(), 0)->get_int(nullptr) == 10 * (t + 1)) {
                    ++good[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kRounds) << "thread " << t;
}

TEST(SessionDispatcher, ServesOnlyTargetsItKnows) {
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    // Port 9 (discard): nothing is sent for any of these.
    pmc::Owned<IPmsSnmpTarget> community_v3 = make_target("127.0.0.1", 9, PMS_VERSION_3);
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), community_v3.get()), PMC_E_INVALID_ARG);
    pmc::Owned<IPmsSnmpTarget> unset_version = make_target("127.0.0.1", 9, -1);
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), unset_version.get()), PMC_E_INVALID_ARG);

    pmc::Owned<IPmsSnmpTarget> user_v1(create_v3_target(nullptr));
    user_v1->set_version(PMS_VERSION_1);
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), user_v1.get()), PMC_E_INVALID_ARG);
    pmc::Owned<IPmsSnmpTarget> user_v3(create_v3_target(nullptr));
    user_v3->set_version(PMS_VERSION_3);
    // Served by the user-based session, which needs an address.
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), user_v3.get()), PMC_E_INVALID_ARG);

    pmc::Owned<IPmsSnmpTarget> good = make_target("127.0.0.1", 9);
    EXPECT_EQ(dispatcher->send_sync(nullptr, good.get()), PMC_E_INVALID_ARG);
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(dispatcher->send_sync(static_cast<IPmsSnmpPacket*>(nullptr)), PMC_E_INVALID_ARG);
    pmc::Owned<IPmsSnmpTarget> no_address(create_community_target(nullptr));
    no_address->set_version(PMS_VERSION_1);
    EXPECT_EQ(dispatcher->send_sync(pdu.get(), no_address.get()), PMC_E_INVALID_ARG);

    IPmsSnmpPacketList* replies = nullptr;
    LogCapture::on(pmc_snmp_log()).clear();
    EXPECT_EQ(dispatcher->send_broad_cast_sync(pdu.get(), good.get(), nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("[SessionDispatcher::send_broad_cast_sync] enter."), 1);
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("[SessionDispatcher::send_broad_cast_sync] exit."), 1);
    EXPECT_EQ(dispatcher->send_broad_cast_sync(nullptr, good.get(), &replies), PMC_E_INVALID_ARG);
    EXPECT_EQ(dispatcher->send_broad_cast_sync(static_cast<IPmsSnmpPacket*>(nullptr), &replies), PMC_E_INVALID_ARG);
    EXPECT_EQ(dispatcher->send_broad_cast_sync(pdu.get(), community_v3.get(), &replies), PMC_E_INVALID_ARG);
    EXPECT_EQ(replies, nullptr);
}

TEST(RequestSession, OneSessionKeepsEachTargetsMaximumSize) {
    // The session keeps its request buffer from one request to the next: a
    // larger block left by one target must not let another send more.
    TestAgent agent("{" + numbered_table(40) + "}");
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> large = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 1000, 0, 1400);
    pmc::Owned<IPmsSnmpTarget> small = make_target("127.0.0.1", agent.port(), PMS_VERSION_1, 1000, 0, 200);
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    ASSERT_TRUE(dispatcher);
    int requests_before = 0;
    for (IPmsSnmpTarget* target : {large.get(), small.get(), large.get(), small.get()}) {
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(40));
        ASSERT_EQ(dispatcher->send_sync(pdu.get(), target), PMC_S_OK);
        ASSERT_EQ(oids_of(pdu.get()), numbered_oids(40));
        for (pmc_ulong i = 0; i < 40; ++i) EXPECT_EQ(value_at(pdu.get(), i)->get_int(nullptr), static_cast<pmc_long>(10 * (i + 1)));
        const nlohmann::json state = agent.state();
        const int requests = state["count"].get<int>();
        // The bindings each request of this round carried.
        std::vector<int> sizes;
        for (int i = requests_before; i < requests; ++i) sizes.push_back(state["sizes"][static_cast<std::size_t>(i)].get<int>());
        if (target == large.get()) {
            EXPECT_EQ(sizes, std::vector<int>{40});
        } else {
            EXPECT_GE(sizes.size(), 4u);
            int total = 0;
            for (int size : sizes) total += size;
            EXPECT_EQ(total, 40);
            EXPECT_LT(*std::max_element(sizes.begin(), sizes.end()), 20);
        }
        requests_before = requests;
    }
}

TEST(RequestSession, AnswerFromTheAddressAskedKeepsTheTargetsAddress) {
    TestAgent agent(scenario());
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", agent.port());
    CPmcNetworkAddress* before = target->get_address();
    ASSERT_NE(before, nullptr);
    for (int round = 0; round < 2; ++round) {
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
        ASSERT_EQ(send(pdu.get(), target.get()).status, PMC_S_OK);
        EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "lp-5");
        // Equal in text, kind and port: the same object stays.
        EXPECT_EQ(target->get_address(), before);
        EXPECT_EQ(address_of(target.get()), "127.0.0.1");
        EXPECT_EQ(target->get_address()->get_port(), agent.port());
        EXPECT_EQ(target->get_address()->get_kind(), PMC_ADDRESS_IPV4);
    }
}
