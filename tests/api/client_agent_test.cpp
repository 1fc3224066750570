// The client layer's agent object: one socket for all its operations, and
// requests whose names go without values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/client_agent.h"
#include "support/test_agent.h"

namespace {

using NPmcClient::Binding;

NPmcClient::AgentOptions loopback(unsigned short port, pmc_long version, const char* community) {
    NPmcClient::AgentOptions options;
    options.target.address = "127.0.0.1";
    options.target.address_kind = PMC_ADDRESS_IPV4;
    options.target.port = port;
    options.target.version = version;
    options.target.community = community;
    options.target.retries = 0;
    return options;
}

// Values longer than a request may be: sent back, the next GetNext would
// not fit the size cap.
TEST(ClientAgent, OneSocketAndNoValuesInRequests) {
    const std::string base = "1.3.6.1.4.1.99999.5.";
    const std::string long_text(1400, 'x');
    pmc_test::TestAgent agent("{\"table\": {\"" + base + "1.1\": [\"octets\", \"" + long_text + "\"], \"" + base +
                              "1.2\": [\"octets\", \"" + long_text + "\"], \"" + base + "2.1\": [\"integer\", 7]}}");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (const pmc_long version : {PMS_VERSION_1, PMS_VERSION_2C}) {
        NPmcClient::Agent client(loopback(agent.port(), version, "public"));
        std::size_t cells = 0;
        const auto count = [&cells](const Binding&) {
            ++cells;
            return PMC_S_OK;
        };
        EXPECT_TRUE(client.get({*NPmcClient::Oid::parse(base + "2.1")}).ok());
        const NPmcClient::Outcome walked = client.walk(*NPmcClient::Oid::parse(base + "1"), count);
        EXPECT_TRUE(walked.ok()) << walked.reason;
        const NPmcClient::Outcome read = client.read_columns(
            {*NPmcClient::Oid::parse(base + "1"), *NPmcClient::Oid::parse(base + "2")},
            [&count](std::size_t, const Binding& b) { return count(b); });
        EXPECT_TRUE(read.ok()) << read.reason;
        EXPECT_EQ(cells, 5u);
    }
    const nlohmann::json state = agent.state();
    const auto ports = state["ports"].get<std::vector<int>>();
    ASSERT_GE(ports.size(), 6u);
    EXPECT_EQ(std::count(ports.begin(), ports.begin() + 3, ports[0]), 3);  // SNMPv1's agent
    EXPECT_EQ(std::count(ports.end() - 3, ports.end(), ports.back()), 3);  // SNMPv2c's agent
    for (const auto& values : state["values"]) EXPECT_EQ(values, 0);
}

}  // namespace
