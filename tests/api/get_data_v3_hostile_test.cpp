// The facade over SNMPv3 against the crafted agent of
// tests/support/test_agent_v3.py: forged answers, report loops, restarts,
// flawed answers and silence.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmpusm.h>

#include "api/client_agent.h"
#include "api/v3_support.h"
#include "session/v3_library.h"
#include "session/v3_session_pool.h"
#include "support/loopback_socket.h"
#include "support/test_agent.h"

namespace {

using namespace api_test;
using Clock = std::chrono::steady_clock;

constexpr pmc_long kShortMs = 300;

std::string scenario(const std::string& v3) {
    return R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "forged"]}, "v3": {)" + v3 + "}}";
}

User crafted_user(pmc_long auth, bool priv = false) {
    return priv ? User{"pmscrafted", PMS_SEC_AUTH_PRIV, auth, PMS_PRIV_AES, "pmsv3phrase", "pmsv3privacy"}
                : User{"pmscrafted", PMS_SEC_AUTH_NO_PRIV, auth, 0, "pmsv3phrase", ""};
}

pmc_long get_name(unsigned short port, const User& user, char* name,
                  pmc_long timeout_ms = kShortMs) {
    auto object = open_v3(port, user, "127.0.0.1", PMC_ADDRESS_IPV4, 1, timeout_ms);
    EXPECT_EQ(object->add_get_variable(kSysName, true), PMC_S_OK);
    return object->get_string(name);
}

NPmcClient::AgentOptions client_options(unsigned short port, const User& user) {
    NPmcClient::AgentOptions options;
    NPmcClient::TargetOptions& target = options.target;
    target.address = "127.0.0.1";
    target.address_kind = PMC_ADDRESS_IPV4;
    target.port = port;
    target.version = PMS_VERSION_3;
    target.security_name = user.name;
    target.security_level = user.level;
    target.auth_protocol = user.auth;
    target.priv_protocol = user.priv;
    target.auth_pass_phrase = user.auth_phrase;
    target.priv_pass_phrase = user.priv_phrase;
    target.timeout_ms = kShortMs;
    return options;
}

// The same request through the client layer, whose outcome names the reason.
NPmcClient::Outcome client_get_name(unsigned short port, const User& user) {
    NPmcClient::Agent agent(client_options(port, user));
    return agent.get({*NPmcClient::Oid::parse(std::string(kSysName) + ".0")});
}

TEST(V3Hostile, ForgedDigestIsNeverTakenForTheAnswer) {
    for (pmc_long auth : {PMS_AUTH_MD5, PMS_AUTH_SHA}) {
        for (bool priv : {false, true}) {
            SCOPED_TRACE(std::to_string(auth) + (priv ? " authPriv" : " authNoPriv"));
            const char* hash = auth == PMS_AUTH_MD5 ? "md5" : "sha";
            pmc_test::TestAgent agent(scenario(std::string(R"("mode": "bad_digest", "auth": ")") + hash + "\""));
            ASSERT_TRUE(agent.running()) << agent.error();
            char name[64] = "";
            EXPECT_EQ(get_name(agent.port(), crafted_user(auth, priv), name), PMC_E_SECURITY);
            EXPECT_STREQ(name, "");
            EXPECT_EQ(client_get_name(agent.port(), crafted_user(auth, priv)).reason, "authentication failed");
        }
    }
}

// What comes before the agent's answer is passed over, and the answer is
// taken at once, not after a try's time-out.
TEST(V3Hostile, AnswerAfterAForgeryOrGarbageIsTakenAtOnce) {
    for (const char* precede : {"forged", "garbage"}) {
        for (bool priv : {false, true}) {
            SCOPED_TRACE(std::string(precede) + (priv ? " authPriv" : " authNoPriv"));
            pmc_test::TestAgent agent(scenario(std::string(R"("precede": ")") + precede + "\""));
            ASSERT_TRUE(agent.running()) << agent.error();
            char name[64] = "";
            const Clock::time_point start = Clock::now();
            EXPECT_EQ(get_name(agent.port(), crafted_user(PMS_AUTH_SHA, priv), name, 2000), PMC_S_OK);
            EXPECT_STREQ(name, "forged");  // the table's own value
            EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
        }
    }
}

struct Misbehaviour {
    const char* v3;
    pmc_long status;
    const char* reason;  // in the outcome's reason
    bool priv = false;
};

TEST(V3Hostile, EveryMisbehaviourEndsByTheDeadlineWithItsReason) {
    const Misbehaviour cases[] = {
        {R"("mode": "not_in_time_window")", PMC_E_SECURITY, "not in time window"},
        {R"("mode": "not_in_time_window")", PMC_E_SECURITY, "not in time window", true},
        {R"("mode": "normal")", PMC_S_OK, "", true},
        {R"("mode": "unknown_engine_id")", PMC_E_SECURITY, "unknown engine ID"},
        {R"("mode": "empty_engine_id")", PMC_E_SECURITY, "unknown engine ID"},
        {R"("mode": "bad_version")", PMC_E_DECODE, "could not be decoded: answer in an unknown SNMP message version"},
        {R"("mode": "bad_max_size")", PMC_E_DECODE, "could not be decoded: answer with a msgMaxSize below 484"},
        // As over SNMPv2c, so that a bulk walk asks for less.
        {R"("mode": "too_big")", PMC_E_TOO_BIG, "does not fit the message size limit"},
    };
    for (const Misbehaviour& entry : cases) {
        SCOPED_TRACE(std::string(entry.v3) + (entry.priv ? " authPriv" : ""));
        pmc_test::TestAgent agent(scenario(entry.v3));
        ASSERT_TRUE(agent.running()) << agent.error();
        char name[64] = "";
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(get_name(agent.port(), crafted_user(PMS_AUTH_SHA, entry.priv), name), entry.status);
        if (entry.status == PMC_S_OK) {
            EXPECT_STREQ(name, "forged");
        }
        // Two tries of kShortMs, and a little for the machine.
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2 * kShortMs + 400));
        const std::string reason = client_get_name(agent.port(), crafted_user(PMS_AUTH_SHA, entry.priv)).reason;
        EXPECT_NE(reason.find(entry.reason), std::string::npos) << reason;
    }
}

// An agent that answers tooBig rather than fewer repetitions is asked again
// for fewer, as over SNMPv2c.
TEST(V3Hostile, BulkWalkAsksForFewerRepetitionsAfterTooBig) {
    constexpr int kObjects = 12;
    std::string table;
    for (int i = 1; i <= kObjects; ++i) {
        table += std::string(i > 1 ? "," : "") + R"("1.3.6.1.2.1.1.)" + std::to_string(i) + R"(.0": ["integer", )" +
                 std::to_string(i) + "]";
    }
    pmc_test::TestAgent agent(R"({"table": {)" + table + R"(}, "v3": {"bulk_limit": 3}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    NPmcClient::Agent client(client_options(agent.port(), crafted_user(PMS_AUTH_SHA, true)));
    std::vector<std::int64_t> seen;
    const NPmcClient::Outcome outcome = client.walk(*NPmcClient::Oid::parse(kSystem), [&](const NPmcClient::Binding& binding) {
        seen.push_back(binding.number);
        return PMC_S_OK;
    });
    EXPECT_EQ(outcome.status, PMC_S_OK) << outcome.reason;
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kObjects));
    for (int i = 0; i < kObjects; ++i) EXPECT_EQ(seen[i], i + 1);
}

TEST(V3Hostile, EngineIsDiscoveredOnceAndARestartIsServed) {
    pmc_test::TestAgent agent(scenario(R"("restart_after": 2)"));
    ASSERT_TRUE(agent.running()) << agent.error();
    // A port of its own: no other test's discovery is in the cache.
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        char name[64] = "";
        ASSERT_EQ(get_name(agent.port(), crafted_user(PMS_AUTH_SHA), name, 2000), PMC_S_OK);
        EXPECT_STREQ(name, "forged");
    }
    // The restart costs at most one more discovery, and one report; every
    // other request goes out once, with the engine's time kept between
    // operations although the library forgets it.
    EXPECT_LE(agent.state()["probes"].get<int>(), 2);
    EXPECT_EQ(agent.state()["count"].get<int>(), 4 + 1);
}

// The library's users, with their keys, live while a session that speaks
// as them is kept, and go with the last one.
TEST(V3Library, UsersGoWithTheLastKeptSession) {
    pmc_test::TestAgent agent(scenario(R"("mode": "normal")"));
    ASSERT_TRUE(agent.running()) << agent.error();
    char name[64] = "";
    ASSERT_EQ(get_name(agent.port(), crafted_user(PMS_AUTH_SHA), name), PMC_S_OK);
    auto users_held = [] {
        std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
        return usm_get_userList() != nullptr;
    };
    EXPECT_TRUE(users_held());
    V3SessionPool::process().clear();
    EXPECT_FALSE(users_held());
}

// Silent SNMPv3 hosts cost each thread its own time-out, never another's.
TEST(V3Concurrency, SilentHostsDoNotHoldUpAnAnsweringOne) {
    constexpr int kSilent = 4;
    constexpr pmc_long kTimeoutMs = 600;
    pmc_test::TestAgent agent(scenario(""));
    ASSERT_TRUE(agent.running()) << agent.error();
    std::vector<std::unique_ptr<pmc_test::LoopbackSocket>> silent;
    for (int i = 0; i < kSilent; ++i) {
        silent.push_back(std::make_unique<pmc_test::LoopbackSocket>(AF_INET));
        ASSERT_TRUE(silent.back()->bind(0));
    }
    std::vector<pmc_long> statuses(kSilent + 1, PMC_S_OK);
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i <= kSilent; ++i) {
        threads.emplace_back([&, i] {
            const unsigned short port = i < kSilent ? silent[i]->local_port() : agent.port();
            auto object = open_v3(port, crafted_user(PMS_AUTH_SHA), "127.0.0.1", PMC_ADDRESS_IPV4, 0,
                                  kTimeoutMs);
            char name[64] = "";
            statuses[i] = object->add_get_variable(kSysName, true) == PMC_S_OK
                              ? object->get_string(name) : PMC_E_FAIL;
        });
    }
    for (std::thread& thread : threads) thread.join();
    const auto elapsed = Clock::now() - start;
    for (int i = 0; i < kSilent; ++i) EXPECT_EQ(statuses[i], PMC_E_TIMEOUT) << i;
    EXPECT_EQ(statuses[kSilent], PMC_S_OK);
    EXPECT_LT(elapsed, std::chrono::milliseconds(2 * kTimeoutMs)) << "waits were serialised";
}

}  // namespace
