// The client layer the facade and the tool share: targets from options,
// typed exchanges, GetNext walks in both community versions and GetBulk
// walks.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <dirent.h>
#endif
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "api/client_agent.h"
#include "api/client_exchange.h"
#include "api/client_walk.h"
#include "api/snmpd_walk.h"
#include "message/snmp_target.h"
#include "support/snmpd_fixture.h"
#include "support/test_agent.h"

namespace {

using NPmcClient::Binding;
using NPmcClient::Oid;
using NPmcClient::TargetOptions;

Oid arcs(const std::string& text) { return Oid::parse(text).value_or(Oid()); }

std::vector<Oid> arcs(const std::vector<std::string>& texts) {
    std::vector<Oid> oids;
    for (const std::string& text : texts) oids.push_back(arcs(text));
    return oids;
}

TargetOptions loopback(unsigned short port, pmc_long version, const char* community) {
    TargetOptions options;
    options.address = "127.0.0.1";
    options.address_kind = PMC_ADDRESS_IPV4;
    options.port = port;
    options.version = version;
    options.community = community;
    options.retries = 0;
    return options;
}

Binding named(const char* oid, pmc_long type = PMS_TYPE_NULL, std::int64_t number = 0) {
    Binding binding;
    binding.oid = arcs(oid);
    binding.type = type;
    binding.number = number;
    return binding;
}

// The facade's tests cover user-based targets; a community target keeps the
// version asked for, which the facade always sets to SNMPv1.
TEST(ClientTarget, CommunityTargetKeepsItsVersionAndTheSizeCap) {
    TargetOptions v2c = loopback(1161, PMS_VERSION_2C, "pmsread");
    v2c.max_message_size = 5000;  // above the cap

    pmc::Owned<IPmsSnmpTarget> target;
    ASSERT_EQ(NPmcClient::make_target(v2c, &target), PMC_S_OK);
    EXPECT_EQ(target->get_version(), PMS_VERSION_2C);
    EXPECT_EQ(target->get_max_message_size(), static_cast<pmc_long>(PMC_MAX_MESSAGE_IP));
    void* view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(static_cast<IPmsCommunityTarget*>(view)->get_community(), "pmsread");
}

TEST(ClientExchange, TypedAnswerWithErrorStatusAndIndex) {
    pmc_test::TestAgent agent(R"({"table": {
        "1.3.6.1.2.1.1.5.0": ["octets", "printer-1"],
        "1.3.6.1.2.1.43.5.1.1.3.1": ["integer", 3]},
      "read_only": ["1.3.6.1.2.1.43.5.1.1.3.1"]})");
    ASSERT_TRUE(agent.running()) << agent.error();
    const TargetOptions v1 = loopback(agent.port(), PMS_VERSION_1, "public");
    const TargetOptions v2c = loopback(agent.port(), PMS_VERSION_2C, "public");

    auto answer = NPmcClient::exchange(v2c, PMS_PDU_GET, {named("1.3.6.1.2.1.1.5.0"), named("1.3.6.1.2.1.1.6.0")});
    ASSERT_EQ(answer.status, PMC_S_OK);
    ASSERT_EQ(answer.bindings.size(), 2u);
    EXPECT_EQ(answer.bindings[0].octets, "printer-1");
    EXPECT_EQ(answer.bindings[1].type, PMS_TYPE_NO_SUCH_OBJECT);

    answer = NPmcClient::exchange(v1, PMS_PDU_GET, {named("1.3.6.1.2.1.1.5.0"), named("1.3.6.1.2.1.1.6.0")});
    ASSERT_EQ(answer.status, PMC_S_OK);
    EXPECT_EQ(answer.error_status, PMS_ERR_NO_SUCH_NAME);
    EXPECT_EQ(answer.error_index, 2);

    answer = NPmcClient::exchange(v1, PMS_PDU_SET, {named("1.3.6.1.2.1.43.5.1.1.3.1", PMS_TYPE_INTEGER, 4)});
    ASSERT_EQ(answer.status, PMC_S_OK);
    EXPECT_EQ(answer.error_status, PMS_ERR_READ_ONLY);
    EXPECT_EQ(answer.error_index, 1);
    EXPECT_EQ(agent.state()["types"].back(), 0xA3);
}

TEST(ClientWalk, StepLimitStopsAnAgentThatNeverEnds) {
    pmc_test::TestAgent agent(R"({"table": {
        "1.3.6.1.2.1.43.11.1.1.9.1.1": ["integer", 10],
        "1.3.6.1.2.1.43.11.1.1.9.1.2": ["integer", 20],
        "1.3.6.1.2.1.43.11.1.1.9.1.3": ["integer", 30]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (const std::size_t limit : {std::size_t{2}, NPmcClient::PMC_WALK_UNBOUNDED}) {
        std::vector<std::int64_t> levels;
        const auto result = NPmcClient::walk(loopback(agent.port(), PMS_VERSION_2C, "public"),
                                             arcs("1.3.6.1.2.1.43.11.1.1.9"), limit, [&](const Binding& b) {
                                                 levels.push_back(b.number);
                                                 return PMC_S_OK;
                                             });
        const bool bounded = limit == 2;
        EXPECT_EQ(result.end, bounded ? NPmcClient::WalkEnd::kStepLimit : NPmcClient::WalkEnd::kDone);
        EXPECT_EQ(result.status, bounded ? PMC_E_FAIL : PMC_S_OK);
        const std::vector<std::int64_t> all = {10, 20, 30};
        EXPECT_EQ(levels, std::vector<std::int64_t>(all.begin(), all.begin() + (bounded ? 2 : 3)));
    }
}

// Descriptors on Linux; under Windows, handles, which sockets are too.
std::size_t open_descriptors() {
    std::size_t count = 0;
#ifdef _WIN32
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles)) count = handles;
#else
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
#endif
    return count;
}

// Every answer is sent twice, the copy while the next step waits: it must
// be passed over by its request id, and all steps go from one socket that
// the operation closes.
TEST(ClientWalk, StepsShareOneSocketAndLateDuplicatesStayOut) {
    const std::string base = "1.3.6.1.4.1.99999.7.";
    pmc_test::TestAgent agent("{\"delay_ms\": 60, \"duplicate_after_ms\": 30, \"table\": {\"" + base +
                              "1\": [\"integer\", 1], \"" + base + "2\": [\"integer\", 2], \"" + base +
                              "3\": [\"integer\", 3]}}");
    ASSERT_TRUE(agent.running()) << agent.error();
    const std::vector<std::string> all = {base + "1", base + "2", base + "3"};
    const std::size_t descriptors = open_descriptors();

    pmc::Owned<IPmcGetData> facade(pmc_create_get_data(nullptr));
    facade->set_community("public");
    ASSERT_EQ(facade->open("127.0.0.1", PMC_ADDRESS_IPV4, agent.port(), PMS_VERSION_1, nullptr, 0, 0, 0,
                           nullptr, nullptr, nullptr, 1000, 0, 0),
              PMC_S_OK);
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
    ASSERT_EQ(facade->add_get_variable("1.3.6.1.4.1.99999.7", false), PMC_S_OK);
    ASSERT_EQ(facade->walk(responses.get(), "1.3.6.1.4.1.99999.7"), PMC_S_OK);
    EXPECT_EQ(responses->count(), all.size());
    EXPECT_EQ(open_descriptors(), descriptors);

    std::vector<std::string> names;
    const auto keep = [&names](const Binding& b) {
        names.push_back(b.oid.text());
        return PMC_S_OK;
    };
    const TargetOptions v2c = loopback(agent.port(), PMS_VERSION_2C, "public");
    const auto result = NPmcClient::bulk_walk(v2c, arcs("1.3.6.1.4.1.99999.7"), 1, 10, keep);
    EXPECT_EQ(result.end, NPmcClient::WalkEnd::kDone) << result.asked.text();
    EXPECT_EQ(names, all);
    EXPECT_EQ(open_descriptors(), descriptors);

    // Four GetNext steps (the last one leaves the subtree), then four GetBulk.
    const nlohmann::json ports = agent.state()["ports"];
    ASSERT_EQ(ports.size(), 8u);
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(ports[i], ports[0]);
    for (std::size_t i = 5; i < 8; ++i) EXPECT_EQ(ports[i], ports[4]);
}

TEST(ClientBulkWalk, LoopProtectionsHoldInsideRepetitions) {
    const std::string base = "1.3.6.1.4.1.99999.8.";
    const std::string table = "\"table\": {\"" + base + "1\": [\"integer\", 1], \"" + base +
                              "2\": [\"integer\", 2], \"" + base + "3\": [\"integer\", 3]}";
    struct Case {
        std::string scenario;
        NPmcClient::WalkEnd end;
        std::size_t visited;
        std::string asked;
        std::size_t exchanges;
    } cases[] = {
        // The view ends in the middle of the second answer.
        {"{" + table + "}", NPmcClient::WalkEnd::kDone, 3, "", 2},
        // The second repetition repeats the first.
        {"{\"stuck_after\": \"" + base + "1\", " + table + "}", NPmcClient::WalkEnd::kNotAdvancing, 1,
         base + "1", 1},
        // The second answer starts where the first ended.
        {"{\"stuck_after\": \"" + base + "2\", " + table + "}", NPmcClient::WalkEnd::kNotAdvancing, 2,
         base + "2", 2},
        // tooBig to every size: asked again with one repetition, then given up.
        {"{\"too_big_above\": 0, " + table + "}", NPmcClient::WalkEnd::kFailed, 0, "", 2},
    };
    for (const Case& c : cases) {
        pmc_test::TestAgent agent(c.scenario);
        ASSERT_TRUE(agent.running()) << agent.error();
        std::size_t visited = 0;
        const auto result = NPmcClient::bulk_walk(loopback(agent.port(), PMS_VERSION_2C, "public"),
                                                  arcs("1.3.6.1.4.1.99999.8"), 2, 100, [&visited](const Binding&) {
                                                      ++visited;
                                                      return PMC_S_OK;
                                                  });
        EXPECT_EQ(result.end, c.end) << c.scenario;
        EXPECT_EQ(visited, c.visited) << c.scenario;
        EXPECT_EQ(result.asked.text(), c.asked) << c.scenario;
        EXPECT_EQ(result.exchanges, c.exchanges) << c.scenario;
        EXPECT_EQ(agent.state()["types"][0], 0xA5);
    }
}

// Columns of different lengths read together: each ends by itself (past its
// subtree, at endOfMibView in the middle of an answer, or empty) and leaves
// the requests after it, as does one the caller has enough of; an answer
// that goes back or stands still, cells out of place, and the step bound
// stop the whole read.
TEST(ClientBulkColumns, EachColumnEndsOnItsOwnAndFaultsStopTheRead) {
    const std::string base = "1.3.6.1.4.1.99999.9.";
    std::string table = "\"table\": {";
    for (const char* row : {"1.1", "1.2", "1.3", "2.1", "3.1", "3.2"})
        table += std::string(row == std::string("1.1") ? "" : ", ") + "\"" + base + row + "\": [\"integer\", 1]";
    table += "}";
    const std::vector<std::string> roots = {base + "1", base + "2", base + "3", base + "4"};
    struct Case {
        std::string scenario;
        std::size_t max_steps;
        NPmcClient::WalkEnd end;
        std::string asked;
        std::vector<std::size_t> request_sizes;
        bool first_cell_completes = false;  // the visitor has enough of column 0 after one cell
    } cases[] = {
        {"{" + table + "}", 100, NPmcClient::WalkEnd::kDone, "", {4, 2}},
        {"{" + table + "}", 100, NPmcClient::WalkEnd::kDone, "", {4, 1}, true},
        {"{\"back_after\": {\"" + base + "1.2\": \"" + base + "1.1\"}, " + table + "}", 100,
         NPmcClient::WalkEnd::kNotAdvancing, base + "1.2", {4, 2}},
        {"{\"stuck_after\": \"" + base + "3.1\", " + table + "}", 100, NPmcClient::WalkEnd::kNotAdvancing,
         base + "3.1", {4}},
        {"{" + table + "}", 4, NPmcClient::WalkEnd::kStepLimit, "", {4}},
        // tooBig: the same read asked again with half the columns.
        {"{\"too_big_above\": 2, " + table + "}", 100, NPmcClient::WalkEnd::kDone, "", {4, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        pmc_test::TestAgent agent(c.scenario);
        ASSERT_TRUE(agent.running()) << agent.error();
        std::vector<std::vector<std::string>> cells(roots.size());
        const auto result = NPmcClient::bulk_columns(loopback(agent.port(), PMS_VERSION_2C, "public"), arcs(roots), 2,
                                                     c.max_steps, [&](std::size_t column, const Binding& b) {
                                                         cells.at(column).push_back(b.oid.text());
                                                         return c.first_cell_completes && column == 0
                                                                    ? NPmcClient::PMC_COLUMN_COMPLETE
                                                                    : PMC_S_OK;
                                                     });
        EXPECT_EQ(result.end, c.end) << c.scenario;
        EXPECT_EQ(result.asked.text(), c.asked) << c.scenario;
        EXPECT_EQ(agent.state()["sizes"].get<std::vector<std::size_t>>(), c.request_sizes) << c.scenario;
        if (c.end != NPmcClient::WalkEnd::kDone) continue;
        std::vector<std::vector<std::string>> expected = {
            {base + "1.1", base + "1.2", base + "1.3"}, {base + "2.1"}, {base + "3.1", base + "3.2"}, {}};
        if (c.first_cell_completes) expected[0].resize(1);
        EXPECT_EQ(cells, expected);
    }
}

// GetNext in both community versions against snmpwalk, GetBulk with chosen
// and given repetitions against snmpbulkwalk.
TEST(ClientWalk, WalksMatchNetSnmpWalkers) {
    std::string error;
    pmstest::SnmpdFixture* snmpd = pmstest::shared_snmpd(&error);
    ASSERT_NE(snmpd, nullptr) << error;
    const char* root = "1.3.6.1.2.1.1";
    struct Case {
        const char* peer;
        pmc_long version;
        bool bulk;
        pmc_long repetitions;
    } cases[] = {{"snmpwalk", PMS_VERSION_1, false, 0},
                 {"snmpwalk", PMS_VERSION_2C, false, 0},
                 {"snmpbulkwalk", PMS_VERSION_2C, true, 0},
                 {"snmpbulkwalk", PMS_VERSION_2C, true, 3}};
    for (const Case& c : cases) {
        const std::vector<pmstest::WalkEntry> expected = pmstest::parse_snmpwalk(
            snmpd->run_tool({c.peer, c.bulk ? "-v2c" : "-v1", "-c", pmstest::SnmpdFixture::kReadCommunity,
                             "-On", snmpd->ipv4_peer(), root}).out);
        ASSERT_GT(expected.size(), 5u);
        std::vector<std::string> names;
        const auto keep = [&names](const Binding& b) {
            names.push_back(b.oid.text());
            return PMC_S_OK;
        };
        const TargetOptions options = loopback(snmpd->port(), c.version, pmstest::SnmpdFixture::kReadCommunity);
        const auto result =
            c.bulk ? NPmcClient::bulk_walk(options, arcs(root), c.repetitions, NPmcClient::PMC_WALK_UNBOUNDED, keep)
                   : NPmcClient::walk(options, arcs(root), NPmcClient::PMC_WALK_UNBOUNDED, keep);
        EXPECT_EQ(result.status, PMC_S_OK) << c.peer;
        ASSERT_EQ(names.size(), expected.size()) << c.peer;
        for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], expected[i].oid);
    }
}

// Columns read together against snmpd give what snmpbulkwalk gives for
// each column alone, with chosen and with given repetitions, and with a size
// cap that lets one column into a request; over SNMPv1, the agent object's
// GetNext rows give what snmpwalk gives.
TEST(ClientBulkColumns, ColumnsMatchSnmpBulkWalkOfEach) {
    std::string error;
    pmstest::SnmpdFixture* snmpd = pmstest::shared_snmpd(&error);
    ASSERT_NE(snmpd, nullptr) << error;
    const std::tuple<pmc_long, pmc_long, pmc_ulong> cases[] = {
        {PMS_VERSION_2C, 0, 0}, {PMS_VERSION_2C, 3, 0}, {PMS_VERSION_2C, 3, 64}, {PMS_VERSION_1, 0, 0}};
    for (const auto& [version, repetitions, max_size] : cases) {
        const bool v1 = version == PMS_VERSION_1;
        std::vector<std::string> roots = {"1.3.6.1.2.1.1.9.1.2", "1.3.6.1.2.1.1.5", "1.3.6.1.2.1.1.9.1.4"};
        if (v1) roots.push_back("1.3.6.1.2.1.25.1");
        std::vector<std::vector<std::string>> cells(roots.size());
        const auto keep = [&cells](std::size_t column, const Binding& b) {
            cells.at(column).push_back(b.oid.text());
            return PMC_S_OK;
        };
        TargetOptions options = loopback(snmpd->port(), version, pmstest::SnmpdFixture::kReadCommunity);
        options.max_message_size = max_size;
        if (v1) {
            NPmcClient::AgentOptions agent_options;
            agent_options.target = options;
            const NPmcClient::Outcome outcome = NPmcClient::Agent(agent_options).read_columns(arcs(roots), keep);
            EXPECT_TRUE(outcome.ok()) << outcome.reason;
        } else {
            const auto result =
                NPmcClient::bulk_columns(options, arcs(roots), repetitions, NPmcClient::PMC_WALK_UNBOUNDED, keep);
            EXPECT_EQ(result.end, NPmcClient::WalkEnd::kDone) << result.asked.text();
        }
        for (std::size_t i = 0; i < roots.size(); ++i) {
            std::vector<std::string> expected;
            for (const pmstest::WalkEntry& entry : pmstest::parse_snmpwalk(
                     snmpd->run_tool({v1 ? "snmpwalk" : "snmpbulkwalk", v1 ? "-v1" : "-v2c", "-c",
                                      pmstest::SnmpdFixture::kReadCommunity, "-On", snmpd->ipv4_peer(),
                                      roots[i].c_str()}).out))
                expected.push_back(entry.oid);
            EXPECT_FALSE(expected.empty()) << roots[i];
            EXPECT_EQ(cells[i], expected) << roots[i] << " repetitions " << repetitions << " cap " << max_size;
        }
    }
}

}  // namespace
