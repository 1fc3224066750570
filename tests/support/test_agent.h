// Test fixture: runs tests/support/test_agent.py with a scenario on a
// loopback address and stops it (by its process id) when it goes away.
//
//   pmc_test::TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp"]}})");
//   ASSERT_TRUE(agent.running()) << agent.error();
//   ... send to 127.0.0.1:agent.port() ...
//   EXPECT_EQ(agent.request_count(), 1);
#ifndef PMSNMP_TESTS_SUPPORT_TEST_AGENT_H
#define PMSNMP_TESTS_SUPPORT_TEST_AGENT_H

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#ifndef PMSNMP_TEST_AGENT_SCRIPT
// The script lives beside this header.
#define PMSNMP_TEST_AGENT_SCRIPT                                                    \
    (std::string(__FILE__).substr(0, std::string(__FILE__).find_last_of('/') + 1) + \
     "test_agent.py")
#endif

extern char** environ;

namespace pmc_test {

class TestAgent {
public:
    // Starts the agent with scenario (a JSON object, see test_agent.py) on
    // bind_address; it ends by itself after lifetime_s seconds at the latest.
    // options go to the script as they are ("--port", "--reuse").
    explicit TestAgent(const std::string& scenario, const std::string& bind_address = "127.0.0.1",
                       int lifetime_s = 60, const std::vector<std::string>& options = {}) {
        char dir_template[] = "/tmp/pmsnmp_agent_XXXXXX";
        if (mkdtemp(dir_template) == nullptr) {
            error_ = "mkdtemp failed";
            return;
        }
        dir_ = dir_template;
        const std::string scenario_path = dir_ + "/scenario.json";
        state_path_ = dir_ + "/state.json";
        std::ofstream(scenario_path) << scenario;
        std::vector<std::string> args{"python3", PMSNMP_TEST_AGENT_SCRIPT, "--scenario", scenario_path,
                                      "--bind", bind_address, "--lifetime", std::to_string(lifetime_s),
                                      "--state", state_path_};
        args.insert(args.end(), options.begin(), options.end());
        start(args);
    }

    ~TestAgent() {
        stop();
        if (!dir_.empty()) {
            std::remove((dir_ + "/scenario.json").c_str());
            std::remove(state_path_.c_str());
            std::remove((state_path_ + ".tmp").c_str());
            rmdir(dir_.c_str());
        }
    }

    TestAgent(const TestAgent&) = delete;
    TestAgent& operator=(const TestAgent&) = delete;

    bool running() const { return port_ != 0; }
    unsigned short port() const { return port_; }
    const std::string& error() const { return error_; }

    // What the agent has seen so far: {"count", "ids", "sizes", "types"}.
    nlohmann::json state() const {
        std::ifstream in(state_path_);
        nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
        return json.is_discarded() ? nlohmann::json::object() : json;
    }
    // The number of datagrams received, decodable or not.
    int request_count() const {
        const nlohmann::json json = state();
        return json.contains("count") ? json["count"].get<int>() : -1;
    }

    // Sends SIGTERM to the agent (only to the process this fixture started)
    // and reaps it.
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        if (out_fd_ >= 0) {
            close(out_fd_);
            out_fd_ = -1;
        }
    }

private:
    void start(const std::vector<std::string>& args) {
        int pipe_fds[2];
        if (pipe(pipe_fds) != 0) {
            error_ = "pipe failed";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
        posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipe_fds[1]);
        out_fd_ = pipe_fds[0];
        if (spawned != 0) {
            pid_ = -1;
            error_ = "cannot start python3";
            return;
        }
        read_port();
    }

    // The first line is "PORT <n>"; waits at most 10 s for it.
    void read_port() {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd fd{out_fd_, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
            char chunk[64];
            const ssize_t got = read(out_fd_, chunk, sizeof chunk);
            if (got <= 0) break;
            line.append(chunk, static_cast<size_t>(got));
        }
        unsigned port = 0;
        if (std::sscanf(line.c_str(), "PORT %u", &port) == 1 && port > 0 && port < 65536) {
            port_ = static_cast<unsigned short>(port);
        } else {
            error_ = "test agent did not report its port: '" + line + "'";
            stop();
        }
    }

    pid_t pid_ = -1;
    int out_fd_ = -1;
    unsigned short port_ = 0;
    std::string dir_;
    std::string state_path_;
    std::string error_;
};

}  // namespace pmc_test

#endif
