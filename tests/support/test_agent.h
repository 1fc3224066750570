// Test fixture: runs tests/support/test_agent.py with a scenario on a
// loopback address and stops it (by its process id) when it goes away.
//
//   pmc_test::TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp"]}})");
//   ASSERT_TRUE(agent.running()) << agent.error();
//   ... send to 127.0.0.1:agent.port() ...
//   EXPECT_EQ(agent.request_count(), 1);
#ifndef PMSNMP_TESTS_SUPPORT_TEST_AGENT_H
#define PMSNMP_TESTS_SUPPORT_TEST_AGENT_H

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "child_process.h"

#ifndef PMSNMP_TEST_AGENT_SCRIPT
// The script lives beside this header.
#define PMSNMP_TEST_AGENT_SCRIPT                                                      \
    (std::string(__FILE__).substr(0, std::string(__FILE__).find_last_of("/\\") + 1) + \
     "test_agent.py")
#endif

namespace pmc_test {

class TestAgent {
public:
    // Starts the agent with scenario (a JSON object, see test_agent.py) on
    // bind_address; it ends by itself after lifetime_s seconds at the latest.
    // options go to the script as they are ("--port", "--reuse").
    explicit TestAgent(const std::string& scenario, const std::string& bind_address = "127.0.0.1",
                       int lifetime_s = 60, const std::vector<std::string>& options = {})
        : dir_("pmsnmp_agent_") {
        if (!dir_.ok()) {
            error_ = "cannot make a folder for the agent";
            return;
        }
        const std::string scenario_path = dir_.path() + "/scenario.json";
        state_path_ = dir_.path() + "/state.json";
        out_path_ = dir_.path() + "/out.txt";
        std::ofstream(local_path(scenario_path)) << scenario;
        std::vector<std::string> args{"python3", PMSNMP_TEST_AGENT_SCRIPT, "--scenario", scenario_path,
                                      "--bind", bind_address, "--lifetime", std::to_string(lifetime_s),
                                      "--state", state_path_};
        args.insert(args.end(), options.begin(), options.end());
        ChildOptions child_options;
        child_options.out_path = out_path_;
        child_options.err_path = dir_.path() + "/err.txt";
        child_options.lifetime_s = lifetime_s + kLifetimeMarginS;
        if (!process_.start(args, child_options, &error_)) return;
        read_port();
    }

    ~TestAgent() { stop(); }

    TestAgent(const TestAgent&) = delete;
    TestAgent& operator=(const TestAgent&) = delete;

    bool running() const { return port_ != 0; }
    unsigned short port() const { return port_; }
    const std::string& error() const { return error_; }

    // What the agent has seen so far: {"count", "ids", "sizes", "types"}.
    nlohmann::json state() const {
        std::ifstream in(local_path(state_path_));
        nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
        return json.is_discarded() ? nlohmann::json::object() : json;
    }
    // The number of datagrams received, decodable or not.
    int request_count() const {
        const nlohmann::json json = state();
        return json.contains("count") ? json["count"].get<int>() : -1;
    }

    // Ends the agent (only the process this fixture started) and waits for
    // it.
    void stop() { process_.stop(); }

private:
    static constexpr int kLifetimeMarginS = 5;
    static constexpr std::chrono::seconds kPortWait{10};
    static constexpr std::chrono::milliseconds kPortPoll{10};

    // The first line is "PORT <n>"; waits at most 10 s for it.
    void read_port() {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + kPortWait;
        while (std::chrono::steady_clock::now() < deadline) {
            text = read_text_file(out_path_);
            if (text.find('\n') != std::string::npos || process_.ended()) break;
            std::this_thread::sleep_for(kPortPoll);
        }
        const std::string line = text.substr(0, text.find('\n'));
        unsigned port = 0;
        if (std::sscanf(line.c_str(), "PORT %u", &port) == 1 && port > 0 && port < 65536) {
            port_ = static_cast<unsigned short>(port);
        } else {
            error_ = "test agent did not report its port: '" + line + "' " +
                     read_text_file(dir_.path() + "/err.txt");
            stop();
        }
    }

    SharedTempDir dir_;
    ChildProcess process_;
    unsigned short port_ = 0;
    std::string state_path_;
    std::string out_path_;
    std::string error_;
};

}  // namespace pmc_test

#endif
