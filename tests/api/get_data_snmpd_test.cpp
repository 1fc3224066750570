// The facade against a real snmpd on loopback, checked against the answers
// of Net-SNMP's own tools to the same agent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"
#include "api/snmpd_walk.h"
#include "support/snmpd_fixture.h"

namespace {

using pmstest::SnmpdFixture;

constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kRetries = 1;

const char* const kSysDescr = "1.3.6.1.2.1.1.1";
const char* const kSysUpTime = "1.3.6.1.2.1.1.3";
const char* const kIfNumber = "1.3.6.1.2.1.2.1";
const char* const kHrSystemInitialLoadDevice = "1.3.6.1.2.1.25.1.3";
const char* const kHrSystemProcesses = "1.3.6.1.2.1.25.1.6";
const char* const kHrSystemMaxProcesses = "1.3.6.1.2.1.25.1.7";
const char* const kHrMemorySize = "1.3.6.1.2.1.25.2.2";

struct SnmpdTest : ::testing::Test {
    void SetUp() override {
        std::string error;
        agent = pmstest::shared_snmpd(&error);
        ASSERT_NE(agent, nullptr) << error;
    }

    pmc::Owned<IPmcGetData> open(const char* community, const char* address = "127.0.0.1",
                                 pmc_long kind = PMC_ADDRESS_IPV4, pmc_ulong max_size = 0) {
        pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
        EXPECT_NE(object, nullptr);
        if (!object) return object;
        object->set_community(community);
        EXPECT_EQ(object->open(address, kind, agent->port(), PMS_VERSION_2C, nullptr, 0, 0, 0,
                               nullptr, nullptr, nullptr, kTimeoutMs, kRetries, max_size),
                  PMC_S_OK);
        return object;
    }

    std::vector<pmstest::WalkEntry> tool_walk(const std::string& peer, const char* root) {
        pmstest::ToolResult result = agent->run_tool(
            {"snmpwalk", "-v1", "-c", SnmpdFixture::kReadCommunity, "-On", "-t", "2", "-r", "1",
             peer, root});
        EXPECT_EQ(result.exit_code, 0) << result.out;
        return pmstest::parse_snmpwalk(result.out);
    }

    // The value text of one object as snmpget prints it (-Oqv).
    std::string tool_get(const std::string& oid) {
        pmstest::ToolResult result = agent->run_tool(
            {"snmpget", "-v1", "-c", SnmpdFixture::kReadCommunity, "-On", "-Oqv", "-t", "2",
             "-r", "1", agent->ipv4_peer(), oid});
        EXPECT_EQ(result.exit_code, 0) << result.out;
        while (!result.out.empty() && result.out.back() == '\n') result.out.pop_back();
        return result.out;
    }

    // Walks root through the facade and compares every response with the
    // tool's walk of the same agent.
    void expect_walk_matches_tool(IPmcGetData* object, const std::string& peer,
                                  const char* root) {
        SCOPED_TRACE(root);
        pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
        ASSERT_NE(responses, nullptr);
        ASSERT_EQ(object->add_get_variable(root, false), PMC_S_OK);
        ASSERT_EQ(object->walk(responses.get(), root), PMC_S_OK);
        const std::vector<pmstest::WalkEntry> expected = tool_walk(peer, root);
        ASSERT_GT(expected.size(), 5u);
        ASSERT_EQ(responses->count(), expected.size());
        IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
        for (const pmstest::WalkEntry& tool : expected) {
            IPmsPdu* pdu = responses->current(it);
            ASSERT_NE(pdu, nullptr);
            EXPECT_EQ(pdu->get_type(), PMS_PDU_RESPONSE);
            EXPECT_EQ(pdu->get_error_status(), PMS_ERR_NO_ERROR);
            std::string why;
            EXPECT_TRUE(pmstest::same_entry(pmstest::entry_of(pdu), tool, &why)) << why;
            responses->next(it);
        }
        responses->release_iterator(it);
    }

    SnmpdFixture* agent = nullptr;
};

TEST_F(SnmpdTest, GetStringReadsSysDescr) {
    auto object = open(SnmpdFixture::kReadCommunity);
    ASSERT_EQ(object->add_get_variable(kSysDescr, true), PMC_S_OK);
    char text[256];
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(object->get_string(text), PMC_S_OK);
    EXPECT_STREQ(text, "pmsnmp test agent");
    // The binding was read: nothing is left to ask for.
    EXPECT_EQ(object->get_string(text), PMC_E_NO_VALUE);
}

TEST_F(SnmpdTest, BoundedGetStringKeepsTheBindingWhenTheBufferIsTooSmall) {
    auto object = open(SnmpdFixture::kReadCommunity);
    ASSERT_EQ(object->add_get_variable(kSysDescr, true), PMC_S_OK);
    const std::string expected = "pmsnmp test agent";
    char text[64];
    // Exactly one byte short: the terminator does not fit.
    EXPECT_EQ(object->get_string_n(text, static_cast<pmc_ulong>(expected.size())),
              PMC_E_INVALID_ARG);
    EXPECT_STREQ(text, "");
    ASSERT_EQ(object->get_string_n(text, static_cast<pmc_ulong>(expected.size() + 1)), PMC_S_OK);
    EXPECT_EQ(text, expected);
}

TEST_F(SnmpdTest, GetIntegerReadsIntegersAndMinusOneForOtherKinds) {
    auto object = open(SnmpdFixture::kReadCommunity);
    struct Case {
        const char* oid;
        bool integer;
    };
    const Case cases[] = {
        {kIfNumber, true},        {kHrMemorySize, true},      {kHrSystemMaxProcesses, true},
        {kHrSystemInitialLoadDevice, true}, {kSysUpTime, false}, {kHrSystemProcesses, false},
        {kSysDescr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid);
        ASSERT_EQ(object->add_get_variable(c.oid, true), PMC_S_OK);
        pmc_long value = 12345;
        ASSERT_EQ(object->get_integer(&value), PMC_S_OK);
        if (c.integer) {
            EXPECT_EQ(std::to_string(value), tool_get(std::string(c.oid) + ".0"));
        } else {
            EXPECT_EQ(value, -1);
        }
    }
}

TEST_F(SnmpdTest, EachReadTakesItsBindingSoTheNextAsksForTheRest) {
    auto object = open(SnmpdFixture::kReadCommunity);
    ASSERT_EQ(object->add_get_variable(kSysDescr, true), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable(kHrMemorySize, true), PMC_S_OK);
    pmc_long value = 0;
    ASSERT_EQ(object->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(value, -1);  // sysDescr is an OCTET STRING
    ASSERT_EQ(object->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(std::to_string(value), tool_get(std::string(kIfNumber) + ".0"));
    ASSERT_EQ(object->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(std::to_string(value), tool_get(std::string(kHrMemorySize) + ".0"));
    EXPECT_EQ(object->get_integer(&value), PMC_E_NO_VALUE);
}

TEST_F(SnmpdTest, GetIntegerArrayReadsSystemAndHostResourceScalarsInOneRequest) {
    auto object = open(SnmpdFixture::kReadCommunity);
    const char* const oids[] = {kIfNumber, kSysUpTime, kHrMemorySize, kHrSystemMaxProcesses,
                                kHrSystemInitialLoadDevice};
    for (const char* oid : oids) ASSERT_EQ(object->add_get_variable(oid, true), PMC_S_OK);
    pmc_long values[5] = {0, 0, 0, 0, 0};
    ASSERT_EQ(object->get_integer_array(values, 5), PMC_S_OK);
    EXPECT_EQ(std::to_string(values[0]), tool_get(std::string(kIfNumber) + ".0"));
    EXPECT_EQ(values[1], -1);
    EXPECT_EQ(std::to_string(values[2]), tool_get(std::string(kHrMemorySize) + ".0"));
    EXPECT_EQ(std::to_string(values[3]), tool_get(std::string(kHrSystemMaxProcesses) + ".0"));
    EXPECT_EQ(std::to_string(values[4]),
              tool_get(std::string(kHrSystemInitialLoadDevice) + ".0"));
}

TEST_F(SnmpdTest, WalkOfSystemAndInterfacesMatchesSnmpwalk) {
    for (const char* root : {"1.3.6.1.2.1.1", "1.3.6.1.2.1.2"}) {
        auto object = open(SnmpdFixture::kReadCommunity);
        expect_walk_matches_tool(object.get(), agent->ipv4_peer(), root);
    }
}

TEST_F(SnmpdTest, Ipv6GetAndWalk) {
    auto object = open(SnmpdFixture::kReadCommunity, "::1", PMC_ADDRESS_IPV6);
    ASSERT_EQ(object->add_get_variable(kSysDescr, true), PMC_S_OK);
    char text[128];
    ASSERT_EQ(object->get_string(text), PMC_S_OK);
    EXPECT_STREQ(text, "pmsnmp test agent");
    auto walker = open(SnmpdFixture::kReadCommunity, "::1", PMC_ADDRESS_IPV6);
    expect_walk_matches_tool(walker.get(), agent->ipv6_peer(), "1.3.6.1.2.1.1");
}

TEST_F(SnmpdTest, IntegerSetReadsBack) {
    const std::string name = SnmpdFixture::kWritableInteger;
    const std::string column = name.substr(0, name.size() - 2);
    for (pmc_long wanted : {pmc_long{4242}, pmc_long{-17}, pmc_long{7}}) {
        SCOPED_TRACE(wanted);
        auto writer = open(SnmpdFixture::kWriteCommunity);
        ASSERT_EQ(writer->add_set_variable(column.c_str(), "0", wanted), PMC_S_OK);
        ASSERT_EQ(writer->set(), PMC_S_OK);
        EXPECT_EQ(tool_get(name), std::to_string(wanted));
        auto reader = open(SnmpdFixture::kReadCommunity);
        ASSERT_EQ(reader->add_get_variable(column.c_str(), true), PMC_S_OK);
        pmc_long value = 0;
        ASSERT_EQ(reader->get_integer(&value), PMC_S_OK);
        EXPECT_EQ(value, wanted);
    }
}

TEST_F(SnmpdTest, SetThroughTheReadOnlyCommunityIsRefused) {
    // An SNMPv1 agent answers a set outside the community's rights with
    // noSuchName.
    auto object = open(SnmpdFixture::kReadCommunity);
    const std::string name = SnmpdFixture::kWritableInteger;
    ASSERT_EQ(object->add_set_variable(name.substr(0, name.size() - 2).c_str(), "0", 99),
              PMC_S_OK);
    EXPECT_EQ(object->set(), PMC_E_NO_VALUE);
    EXPECT_NE(tool_get(name), "99");
}

TEST_F(SnmpdTest, SixtyBindingsWithASmallMaximumSizeAreSplitAndJoinedInOrder) {
    // The first 60 names of the system and interfaces subtrees, asked for in
    // reverse order so that the answer order cannot come from sorting.
    std::vector<pmstest::WalkEntry> names = tool_walk(agent->ipv4_peer(), "1.3.6.1.2.1.1");
    for (const auto& entry : tool_walk(agent->ipv4_peer(), "1.3.6.1.2.1.2")) names.push_back(entry);
    ASSERT_GE(names.size(), 60u);
    names.resize(60);
    std::reverse(names.begin(), names.end());

    // 60 names do not fit 300 octets.
    auto object = open(SnmpdFixture::kReadCommunity, "127.0.0.1", PMC_ADDRESS_IPV4, 300);
    for (const auto& entry : names) {
        ASSERT_EQ(object->add_get_variable(entry.oid.c_str(), false), PMC_S_OK);
    }
    ASSERT_EQ(object->get_integer_array(nullptr, 0), PMC_S_OK);  // exchange only

    IPmsPdu* response = static_cast<CPmcGetData*>(object.get())->request_pdu();
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->get_error_status(), PMS_ERR_NO_ERROR);
    IPmsVarBindList* list = response->get_varbind_list();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 60u);
    for (pmc_ulong i = 0; i < 60; ++i) {
        std::string why;
        EXPECT_TRUE(pmstest::same_entry(pmstest::entry_of(list->get_at(i)), names[i], &why))
            << "position " << i << ": " << why;
    }
}

// Objects share nothing but the process: each thread's objects read the same
// answers a lone object reads.
TEST_F(SnmpdTest, ObjectsOnManyThreadsGetTheirOwnAnswers) {
    constexpr int kThreads = 6;
    constexpr int kObjectsPerThread = 3;
    constexpr int kRounds = 4;
    auto read = [](IPmcGetData* object) {
        pmc_long number = -1;
        char text[256] = "";
        pmc::Owned<IPmcPtrList<IPmsPdu>> walked(pms_create_pdu_list(nullptr));
        bool ok = object->add_get_variable(kIfNumber, true) == PMC_S_OK &&
                  object->get_integer(&number) == PMC_S_OK &&
                  object->add_get_variable(kSysDescr, true) == PMC_S_OK &&
                  object->get_string_n(text, sizeof text) == PMC_S_OK;
        // Every object of the thread walks the system group too.
        ok = ok && walked && object->add_get_variable("1.3.6.1.2.1.1", false) == PMC_S_OK &&
             object->walk(walked.get(), "1.3.6.1.2.1.1") == PMC_S_OK;
        return ok ? std::to_string(number) + "|" + text + "|" + std::to_string(walked->count())
                  : std::string("failed");
    };
    const std::string expected = read(open(SnmpdFixture::kReadCommunity).get());
    ASSERT_NE(expected, "failed");

    std::vector<int> good(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                for (int i = 0; i < kObjectsPerThread; ++i) {
                    // Half the objects go over IPv6.
                    auto object = (t + i) % 2 == 0 ? open(SnmpdFixture::kReadCommunity)
                                                   : open(SnmpdFixture::kReadCommunity, "::1",
                                                          PMC_ADDRESS_IPV6);
                    if (object && read(object.get()) == expected) ++good[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kRounds * kObjectsPerThread) << t;
}

}  // namespace
