// The facade asks for what the host named, of the agent it named, and says
// what the agent answered: wide arcs, rewriting answers, zero-padded IPv4
// texts, malformed values and the agent's error status.
#include <gtest/gtest.h>

#include <string>

#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"
#include "support/test_agent.h"

namespace {

constexpr pmc_long kTimeoutMs = 300;
const char* const kName = "1.3.6.1.2.1.1.5";
const char* const kTable = R"("table": {"1.3.6.1.2.1.1.5.0": ["octets", "printer-1"]})";

pmc::Owned<IPmcGetData> open_agent(const pmc_test::TestAgent& agent,
                                   const char* address = "127.0.0.1") {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    object->set_community("public");
    EXPECT_EQ(object->open(address, PMC_ADDRESS_IPV4, agent.port(), PMS_VERSION_1, nullptr, 0, 0,
                           0, nullptr, nullptr, nullptr, kTimeoutMs, 0, 0),
              PMC_S_OK);
    return object;
}

// The first answer's text, or "status N" when the read fails.
std::string read_text(IPmcGetData* object) {
    char text[32] = "";
    const pmc_long status = object->get_string_n(text, sizeof text);
    return status == PMC_S_OK ? text : "status " + std::to_string(status);
}

using ErrorPair = std::pair<pmc_long, pmc_long>;

ErrorPair error_of(IPmcGetData* object) {
    pmc_long status = -99;
    pmc_long index = -99;
    EXPECT_EQ(object->get_error_status(&status, &index), PMC_S_OK);
    return {status, index};
}

TEST(AgentNames, ArcWiderThan32BitsIsRefusedBeforeAnythingIsSent) {
    pmc_test::TestAgent agent(std::string("{") + kTable + "}");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    EXPECT_EQ(object->add_get_variable("1.3.6.1.4.1.4294967296", false), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->add_set_variable("1.3.6.1.2.1.43.5.1.1.3", "4294967297", 4), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->get_integer_array(nullptr, 0), PMC_S_OK);
    EXPECT_EQ(agent.state()["sizes"], nlohmann::json({0}));  // the request stayed empty
}

TEST(AgentAnswers, AnotherVersionIsIgnoredAndAnotherCommunityIsNotAdopted) {
    pmc_test::TestAgent agent(std::string("{") + kTable +
                              R"(, "before": ["other_version"], "answer_community": "other"})");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(object->add_get_variable(kName, true), PMC_S_OK);
        EXPECT_EQ(read_text(object.get()), "printer-1");
    }
    EXPECT_EQ(agent.state()["versions"], nlohmann::json({PMS_VERSION_1, PMS_VERSION_1}));
    EXPECT_EQ(agent.state()["communities"], nlohmann::json({"public", "public"}));
}

TEST(AgentAddress, LeadingZerosAreDecimal) {
    pmc_test::TestAgent agent(std::string("{") + kTable + "}", "127.0.0.10");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent, "127.0.0.010");  // not 127.0.0.8
    ASSERT_EQ(object->add_get_variable(kName, true), PMC_S_OK);
    EXPECT_EQ(read_text(object.get()), "printer-1");
}

TEST(AgentAnswers, MalformedValueIsAMalformedAnswer) {
    pmc_test::TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.5.0": ["wire", "40 0a 00 00 01 02"]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    ASSERT_EQ(object->add_get_variable(kName, true), PMC_S_OK);
    EXPECT_EQ(read_text(object.get()), "status -250");
    EXPECT_EQ(error_of(object.get()), ErrorPair(PMC_E_DECODE, 0));
}

TEST(AgentAnswers, ErrorStatusOfTheLastExchange) {
    pmc_test::TestAgent agent(std::string("{") + kTable + "}");
    pmc_test::TestAgent silent(std::string("{") + kTable + R"(, "withhold_answer": true})");
    ASSERT_TRUE(agent.running() && silent.running()) << agent.error() << silent.error();
    auto object = open_agent(agent);
    EXPECT_EQ(error_of(object.get()), ErrorPair(0, 0));
    EXPECT_EQ(object->get_error_status(nullptr, nullptr), PMC_E_INVALID_ARG);
    // An SNMPv1 read of a missing object succeeds; the error status tells.
    ASSERT_EQ(object->add_get_variable(kName, true), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.99", true), PMC_S_OK);
    pmc_long values[2] = {0, 0};
    EXPECT_EQ(object->get_integer_array(values, 2), PMC_S_OK);
    EXPECT_EQ(values[1], -1);
    EXPECT_EQ(error_of(object.get()), ErrorPair(PMS_ERR_NO_SUCH_NAME, 2));
    ASSERT_EQ(object->add_get_variable(kName, true), PMC_S_OK);
    EXPECT_EQ(read_text(object.get()), "printer-1");
    EXPECT_EQ(error_of(object.get()), ErrorPair(0, 0));
    auto waiting = open_agent(silent);
    ASSERT_EQ(waiting->add_get_variable(kName, true), PMC_S_OK);
    EXPECT_EQ(read_text(waiting.get()), "status -203");
    EXPECT_EQ(error_of(waiting.get()), ErrorPair(PMC_E_TIMEOUT, 0));
}

// An endless subtree: the walk stops at its bound in responses, or in
// octets (40 of name and 100 of value each), and keeps what it read.
TEST(AgentAnswers, EndlessWalkStopsAtItsBound) {
    pmc_test::TestAgent agent(R"({"endless": "1.3.6.1.4.1.99999.7", "endless_octets": 100})");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (const auto& bound : {std::make_pair(std::size_t{10}, PMC_WALK_MAX_OCTETS),
                              std::make_pair(PMC_WALK_MAX_RESPONSES, std::size_t{140 * 10})}) {
        auto object = open_agent(agent);
        static_cast<CPmcGetData*>(object.get())->set_walk_limits(bound.first, bound.second);
        pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
        ASSERT_EQ(object->add_get_variable("1.3.6.1.4.1.99999.7", false), PMC_S_OK);
        EXPECT_EQ(object->walk(responses.get(), "1.3.6.1.4.1.99999.7"), PMC_E_FAIL);
        EXPECT_EQ(responses->count(), 10u);
    }
}

}  // namespace
