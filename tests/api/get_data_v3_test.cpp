// The facade over SNMPv3 against a real snmpd with users of the project's
// own (tests/support/snmpd_v3.conf), checked against Net-SNMP's tools.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "api/snmpd_walk.h"
#include "api/v3_support.h"
#include "log/component_log.h"
#include "support/log_capture.h"
#include "support/loopback_socket.h"
#include "support/snmpd_fixture.h"

namespace {

using pmstest::SnmpdFixture;
using namespace api_test;


TEST_F(V3Test, EveryUserReadsAnIntegerAndAText) {
    const std::string expected = tool_get(std::string(kIfNumber) + ".0");
    for (const User* user : {&kNoAuth, &kMd5Des, &kShaAes, &kShaAuth}) {
        SCOPED_TRACE(user->name);
        auto object = open_v3(agent->port(), *user);
        ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
        ASSERT_EQ(object->add_get_variable(kSysName, true), PMC_S_OK);
        pmc_long values[2] = {0, 0};
        ASSERT_EQ(object->get_integer_array(values, 1), PMC_S_OK);
        EXPECT_EQ(std::to_string(values[0]), expected);
        char text[64];
        ASSERT_EQ(object->get_string(text), PMC_S_OK);
        EXPECT_STREQ(text, "pmsnmp-agent");
    }
}

TEST_F(V3Test, SetIsReadBackThroughTheAgent) {
    for (pmc_long wanted : {41, -5, 7}) {
        auto writer = open_v3(agent->port(), kShaAes);
        ASSERT_EQ(writer->add_set_variable("1.3.6.1.4.1.8072.9999.9999.1", "0", wanted),
                  PMC_S_OK);
        ASSERT_EQ(writer->set(), PMC_S_OK);
        EXPECT_EQ(tool_get(SnmpdFixture::kWritableInteger), std::to_string(wanted));
        auto reader = open_v3(agent->port(), kNoAuth);
        ASSERT_EQ(reader->add_get_variable(SnmpdFixture::kWritableInteger, false), PMC_S_OK);
        pmc_long value = 0;
        ASSERT_EQ(reader->get_integer(&value), PMC_S_OK);
        EXPECT_EQ(value, wanted);
    }
}

TEST_F(V3Test, WalkOfTheSystemGroupMatchesSnmpwalkOverIpv4AndIpv6) {
    pmstest::ToolResult tool = agent->run_tool(
        {"snmpwalk", "-v3", "-u", kMd5Des.name, "-l", "authPriv", "-a", "MD5", "-A",
         kMd5Des.auth_phrase, "-x", "DES", "-X", kMd5Des.priv_phrase, "-On", agent->ipv4_peer(),
         kSystem});
    ASSERT_EQ(tool.exit_code, 0) << tool.out;
    const std::vector<pmstest::WalkEntry> expected = pmstest::parse_snmpwalk(tool.out);
    ASSERT_GT(expected.size(), 5u);
    struct Peer {
        const char* address;
        pmc_long kind;
    };
    for (const Peer& peer : {Peer{"127.0.0.1", PMC_ADDRESS_IPV4}, Peer{"::1", PMC_ADDRESS_IPV6}}) {
        SCOPED_TRACE(peer.address);
        auto object = open_v3(agent->port(), kMd5Des, peer.address, peer.kind);
        pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
        ASSERT_EQ(object->add_get_variable(kSystem, false), PMC_S_OK);
        ASSERT_EQ(object->walk(responses.get(), kSystem), PMC_S_OK);
        ASSERT_EQ(responses->count(), expected.size());
        IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
        for (const pmstest::WalkEntry& entry : expected) {
            std::string why;
            EXPECT_TRUE(pmstest::same_entry(pmstest::entry_of(responses->current(it)), entry, &why))
                << why;
            responses->next(it);
        }
        responses->release_iterator(it);
    }
}

TEST_F(V3Test, RefusedCredentialsAreSecurityFailures) {
    User wrong_phrase = kShaAes;
    wrong_phrase.auth_phrase = "notthepassphrase";
    User unknown = kNoAuth;
    unknown.name = "pmsnobody";
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    {
        // The right phrase first: its key, kept for reuse, must not answer for the wrong one.
        auto object = open_v3(agent->port(), kShaAes);
        ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
        pmc_long value = 0;
        ASSERT_EQ(object->get_integer(&value), PMC_S_OK);
    }
    for (const User* user : {&wrong_phrase, &unknown}) {
        SCOPED_TRACE(user->name);
        log.clear();
        auto object = open_v3(agent->port(), *user);
        ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
        pmc_long value = 0;
        EXPECT_EQ(object->get_integer(&value), PMC_E_SECURITY);
        EXPECT_EQ(log.count("snmp_synch_response(): "), 1);
    }
    // And the right one again, on the session kept from the first request:
    // the wrong phrase's keys must not answer for it either.
    auto object = open_v3(agent->port(), kShaAes);
    ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
    pmc_long value = 0;
    EXPECT_EQ(object->get_integer(&value), PMC_S_OK);
}

TEST_F(V3Test, ObjectsOnManyThreadsMixUsersAndOperations) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 3;
    const std::string if_number = tool_get(std::string(kIfNumber) + ".0");
    pmc::Owned<IPmcPtrList<IPmsPdu>> reference(pms_create_pdu_list(nullptr));
    {
        auto object = open_v3(agent->port(), kNoAuth);
        ASSERT_EQ(object->add_get_variable(kSystem, false), PMC_S_OK);
        ASSERT_EQ(object->walk(reference.get(), kSystem), PMC_S_OK);
    }
    const pmc_ulong walk_length = reference->count();
    std::vector<int> good(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const User& user = t % 2 == 0 ? kNoAuth : kShaAes;
            for (int round = 0; round < kRounds; ++round) {
                // A walk leaves its last answer in the request PDU.
                auto object = open_v3(agent->port(), user);
                pmc_long value = 0;
                char name[64] = {};
                pmc::Owned<IPmcPtrList<IPmsPdu>> walked(pms_create_pdu_list(nullptr));
                const bool ok =
                    object->add_get_variable(kIfNumber, true) == PMC_S_OK &&
                    object->add_get_variable(kSysName, true) == PMC_S_OK &&
                    object->get_integer(&value) == PMC_S_OK && std::to_string(value) == if_number &&
                    object->get_string(name) == PMC_S_OK && std::strcmp(name, "pmsnmp-agent") == 0 &&
                    object->add_get_variable(kSystem, false) == PMC_S_OK &&
                    object->walk(walked.get(), kSystem) == PMC_S_OK &&
                    walked->count() == walk_length;
                if (ok) ++good[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kRounds) << "thread " << t;
}

// Exceptions are values: the error status stays the agent's own 0, 0.
TEST_F(V3Test, ExceptionsLeaveTheAgentsErrorStatus) {
    auto object = open_v3(agent->port(), kNoAuth);
    pmc_long value = 0, error_status = -1, error_index = -1;
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.99", true), PMC_S_OK);
    ASSERT_EQ(object->get_integer(&value), PMC_S_OK);  // noSuchObject
    object->get_error_status(&error_status, &error_index);
    EXPECT_EQ(std::vector<pmc_long>({value, error_status, error_index}), std::vector<pmc_long>({-1, 0, 0}));
    ASSERT_EQ(object->add_get_variable("1.3.6.1.99", false), PMC_S_OK);
    ASSERT_EQ(object->walk(responses.get(), "1.3.6.1.99"), PMC_S_OK);  // endOfMibView
    object->get_error_status(&error_status, &error_index);
    EXPECT_EQ(error_status * 10 + error_index, 0);
}

TEST(V3Open, SecurityNameBeyond32CharactersIsRefused) {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    const std::string longest(32, 'u');
    for (const std::string& name : {longest, longest + "u"}) {
        EXPECT_EQ(object->open("127.0.0.1", PMC_ADDRESS_IPV4, 161, PMS_VERSION_3, name.c_str(),
                               PMS_SEC_NO_AUTH_NO_PRIV, 0, 0, nullptr, nullptr, nullptr, 100, 0,
                               0),
                  name.size() <= 32 ? PMC_S_OK : PMC_E_INVALID_ARG);
    }
}

// A loopback port that takes datagrams and never answers: every try of the
// library's engine probe arrives there.
TEST(V3Unreachable, TimesOutAfterRetriesPlusOneTries) {
    pmc_test::LoopbackSocket silent(AF_INET);
    ASSERT_TRUE(silent.bind(0));
    constexpr pmc_long kTries = 3;
    auto object = open_v3(silent.local_port(), kShaAes, "127.0.0.1", PMC_ADDRESS_IPV4,
                          kTries - 1, 100);
    ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
    pmc_long value = 0;
    EXPECT_EQ(object->get_integer(&value), PMC_E_TIMEOUT);
    int arrived = 0;
    char datagram[2048];
    while (silent.readable_within(0) && silent.receive(datagram, sizeof datagram) > 0) ++arrived;
    EXPECT_EQ(arrived, kTries);
}

}  // namespace
