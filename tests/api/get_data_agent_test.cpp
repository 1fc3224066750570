// The facade against the scriptable test agent: refused sets, reads of the
// wrong kind, short answers, and every way a walk can end.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "api/snmpd_walk.h"
#include "support/test_agent.h"

namespace {

constexpr pmc_long kTimeoutMs = 1000;
constexpr int kGetNextTag = 0xA1;
constexpr int kSetTag = 0xA3;

pmc::Owned<IPmcGetData> open_agent(const pmc_test::TestAgent& agent,
                                   pmc_long timeout_ms = kTimeoutMs, pmc_long retries = 0) {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    EXPECT_NE(object, nullptr);
    if (!object) return object;
    EXPECT_EQ(object->open("127.0.0.1", PMC_ADDRESS_IPV4, agent.port(), PMS_VERSION_1, nullptr,
                           0, 0, 0, nullptr, nullptr, nullptr, timeout_ms, retries, 0),
              PMC_S_OK);
    return object;
}

std::vector<std::string> first_names(IPmcPtrList<IPmsPdu>* responses) {
    std::vector<std::string> names;
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    for (IPmsPdu* pdu = responses->current(it); pdu != nullptr; pdu = responses->current(it)) {
        names.push_back(pmstest::entry_of(pdu).oid);
        responses->next(it);
    }
    responses->release_iterator(it);
    return names;
}

const char* const kTable = R"({"table": {
    "1.3.6.1.2.1.43.5.1.1.3.1": ["integer", 3],
    "1.3.6.1.2.1.43.5.1.1.4.1": ["integer", 1],
    "1.3.6.1.2.1.43.5.1.1.5.1": ["integer", 2],
    "1.3.6.1.2.1.1.5.0": ["octets", "printer-1"]},
  "read_only": ["1.3.6.1.2.1.43.5.1.1.4.1"],
  "no_access": ["1.3.6.1.2.1.43.5.1.1.5.1"]})";

TEST(AgentSet, AgentErrorsMapToTheFacadeStatus) {
    struct Case {
        const char* oid;
        pmc_long expected;
    };
    const Case cases[] = {
        {"1.3.6.1.2.1.43.5.1.1.3", PMC_S_OK},        // accepted
        {"1.3.6.1.2.1.43.5.1.1.4", PMC_S_OK},        // readOnly (4) still counts as done
        {"1.3.6.1.2.1.43.5.1.1.5", PMC_E_NO_VALUE},  // noAccess (6)
        {"1.3.6.1.2.1.43.5.1.1.9", PMC_E_NO_VALUE},  // noSuchName (2)
    };
    pmc_test::TestAgent agent(kTable);
    ASSERT_TRUE(agent.running()) << agent.error();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid);
        auto object = open_agent(agent);
        ASSERT_EQ(object->add_set_variable(c.oid, "1", 4), PMC_S_OK);
        EXPECT_EQ(object->set(), c.expected);
    }
    EXPECT_EQ(agent.state()["types"], nlohmann::json({kSetTag, kSetTag, kSetTag, kSetTag}));

    // The accepted set reads back.
    auto reader = open_agent(agent);
    ASSERT_EQ(reader->add_get_variable("1.3.6.1.2.1.43.5.1.1.3.1", false), PMC_S_OK);
    pmc_long value = 0;
    ASSERT_EQ(reader->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(value, 4);
}

TEST(AgentGet, IntegerOfAnOctetStringIsMinusOneWithSuccess) {
    pmc_test::TestAgent agent(kTable);
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.5", true), PMC_S_OK);
    pmc_long value = 77;
    EXPECT_EQ(object->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(value, -1);
}

TEST(AgentGet, IntegerArrayLongerThanTheAnswerFillsWhatCameAndSaysSo) {
    pmc_test::TestAgent agent(kTable);
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.43.5.1.1.3.1", false), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.43.5.1.1.5.1", false), PMC_S_OK);
    pmc_long values[3] = {-9, -9, -9};
    EXPECT_EQ(object->get_integer_array(values, 3), PMC_E_NO_VALUE);
    EXPECT_EQ(values[0], 3);
    EXPECT_EQ(values[1], 2);
    EXPECT_EQ(values[2], -9);
    EXPECT_EQ(agent.request_count(), 1);
}

TEST(AgentGet, StringOfAnEmptyOctetStringClearsTheBuffer) {
    pmc_test::TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.6.0": ["octets", ""]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.6", true), PMC_S_OK);
    char text[16] = "stale";
    ASSERT_EQ(object->get_string(text), PMC_S_OK);
    EXPECT_STREQ(text, "");
}

TEST(AgentGet, SilentAgentTimesOutAfterEveryTry) {
    pmc_test::TestAgent agent(R"({"drop_first": 100, "table": {"1.3.6.1.2.1.1.5.0": ["integer", 1]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent, 200, 1);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.5", true), PMC_S_OK);
    pmc_long value = 0;
    EXPECT_EQ(object->get_integer(&value), PMC_E_TIMEOUT);
    EXPECT_EQ(agent.request_count(), 2);
}

TEST(AgentGet, TooBigAnswerIsSplitAndJoinedInRequestOrder) {
    std::string table;
    for (int i = 1; i <= 10; ++i) {
        table += std::string(table.empty() ? "" : ",") + "\"1.3.6.1.2.1.43.5.1.1.3." +
                 std::to_string(i) + "\": [\"integer\", " + std::to_string(100 + i) + "]";
    }
    pmc_test::TestAgent agent(R"({"too_big_above": 4, "table": {)" + table + "}}");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    const int order[10] = {7, 2, 9, 1, 10, 4, 3, 8, 6, 5};  // not sorted on purpose
    for (int i : order) {
        const std::string oid = "1.3.6.1.2.1.43.5.1.1.3." + std::to_string(i);
        ASSERT_EQ(object->add_get_variable(oid.c_str(), false), PMC_S_OK);
    }
    pmc_long values[10] = {};
    ASSERT_EQ(object->get_integer_array(values, 10), PMC_S_OK);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(values[k], 100 + order[k]) << "position " << k;

    // The whole request first, answered tooBig; pieces above 4 are split
    // again, and the pieces answered cover the 10 names exactly once.
    const nlohmann::json sizes = agent.state()["sizes"];
    ASSERT_GE(sizes.size(), 4u);
    EXPECT_EQ(sizes[0], 10);
    int answered = 0;
    for (const auto& size : sizes) {
        if (size.get<int>() <= 4) answered += size.get<int>();
    }
    EXPECT_EQ(answered, 10);
}

struct WalkCase {
    const char* name;
    const char* scenario;
    const char* start;
    const char* root;
    pmc_long expected;
    std::vector<std::string> names;
    int requests;
};

// Keeps test listings readable: the case's name, not its bytes.
void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class AgentWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(AgentWalk, EndsWithTheChosenStatus) {
    const WalkCase& c = GetParam();
    pmc_test::TestAgent agent(c.scenario);
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
    ASSERT_EQ(object->add_get_variable(c.start, false), PMC_S_OK);
    EXPECT_EQ(object->walk(responses.get(), c.root), c.expected);
    EXPECT_EQ(first_names(responses.get()), c.names);
    EXPECT_EQ(agent.request_count(), c.requests);
    const nlohmann::json types = agent.state()["types"];
    for (const auto& type : types) EXPECT_EQ(type, kGetNextTag);
}

const char* const kPrinterTable = R"({"table": {
    "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", 80],
    "1.3.6.1.2.1.43.11.1.1.9.1.2": ["integer", 60],
    "1.3.6.1.2.1.43.11.1.1.9.1.10": ["integer", 40],
    "1.3.6.1.2.1.43.12.1.1.4.1.1": ["octets", "black"]}})";

INSTANTIATE_TEST_SUITE_P(
    Ends, AgentWalk,
    ::testing::Values(
        // The last answer leaves the subtree: 0, that answer not kept.
        WalkCase{"LeavesTheSubtree", kPrinterTable, "1.3.6.1.2.1.43.11.1.1.9",
                 "1.3.6.1.2.1.43.11.1.1.9", PMC_S_OK,
                 {"1.3.6.1.2.1.43.11.1.1.9.1.1", "1.3.6.1.2.1.43.11.1.1.9.1.2",
                  "1.3.6.1.2.1.43.11.1.1.9.1.10"},
                 4},
        // SNMPv1 end of view: noSuchName with the names unchanged; 0.
        WalkCase{"EndOfView", kPrinterTable, "1.3.6.1.2.1.43.12",
                 "1.3.6.1.2.1.43.12", PMC_S_OK, {"1.3.6.1.2.1.43.12.1.1.4.1.1"}, 2},
        // The first answer is already outside: 0 and nothing kept.
        WalkCase{"FirstAnswerOutside", kPrinterTable, "1.3.6.1.2.1.43.8",
                 "1.3.6.1.2.1.43.8", PMC_S_OK, {}, 1},
        // Nothing after the start at all.
        WalkCase{"EmptyView", R"({"table": {"1.3.6.1.2.1.1.1.0": ["octets", "x"]}})",
                 "1.3.6.1.2.1.2", "1.3.6.1.2.1.2", PMC_S_OK, {}, 1},
        // An agent that answers the requested name again: the walk cannot
        // advance and ends with -1 instead of asking forever.
        WalkCase{"NotAdvancing", R"({"walk": "stuck", "table": {
                    "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", 80]}})",
                 "1.3.6.1.2.1.43.11.1.1.9.1.1", "1.3.6.1.2.1.43.11", PMC_E_FAIL, {}, 1},
        // A stuck agent asked for the root answers the root: not under it, 0.
        WalkCase{"StuckAtTheRoot", R"({"walk": "stuck", "table": {}})",
                 "1.3.6.1.2.1.43.11", "1.3.6.1.2.1.43.11", PMC_S_OK, {}, 1}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

TEST(AgentWalkColumns, AllBindingsAdvanceTogetherBoundedByTheFirst) {
    pmc_test::TestAgent agent(R"({"table": {
        "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", 80],
        "1.3.6.1.2.1.43.11.1.1.9.1.2": ["integer", 60],
        "1.3.6.1.2.1.43.12.1.1.4.1.1": ["octets", "black"],
        "1.3.6.1.2.1.43.12.1.1.4.1.2": ["octets", "cyan"],
        "1.3.6.1.2.1.43.13.1.0": ["integer", 1]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.43.11.1.1.9", false), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.43.12.1.1.4", false), PMC_S_OK);
    EXPECT_EQ(object->walk(responses.get(), "1.3.6.1.2.1.43.11.1.1.9"), PMC_S_OK);

    const std::vector<std::vector<std::string>> expected = {
        {"1.3.6.1.2.1.43.11.1.1.9.1.1", "80", "1.3.6.1.2.1.43.12.1.1.4.1.1", "black"},
        {"1.3.6.1.2.1.43.11.1.1.9.1.2", "60", "1.3.6.1.2.1.43.12.1.1.4.1.2", "cyan"},
    };
    ASSERT_EQ(responses->count(), expected.size());
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    for (const auto& row : expected) {
        IPmsVarBindList* list = responses->current(it)->get_varbind_list();
        ASSERT_EQ(list->count(), 2u);
        const pmstest::WalkEntry level = pmstest::entry_of(list->get_at(0));
        const pmstest::WalkEntry colour = pmstest::entry_of(list->get_at(1));
        EXPECT_EQ((std::vector<std::string>{level.oid, level.value, colour.oid, colour.value}),
                  row);
        responses->next(it);
    }
    responses->release_iterator(it);
    // The third answer leaves the first column's subtree and ends the walk.
    EXPECT_EQ(agent.state()["sizes"], nlohmann::json({2, 2, 2}));
}

TEST(AgentWalkArgs, RefusesAnInvalidRootAndAnEmptyRequest) {
    pmc_test::TestAgent agent(kPrinterTable);
    ASSERT_TRUE(agent.running()) << agent.error();
    auto object = open_agent(agent);
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
    EXPECT_EQ(object->walk(responses.get(), "1.3.6.1.2.1.43"), PMC_E_NO_VALUE);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.43", false), PMC_S_OK);
    EXPECT_EQ(object->walk(responses.get(), "1.3..6"), PMC_E_INVALID_ARG);
    EXPECT_EQ(responses->count(), 0u);
    EXPECT_EQ(agent.request_count(), 0);
}

}  // namespace
