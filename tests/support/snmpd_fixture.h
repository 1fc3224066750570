// A real snmpd for tests and benchmarks: started in the foreground on
// udp:127.0.0.1:PORT and udp6:[::1]:PORT at a free high port, with the
// project's own configuration (tests/support/snmpd.conf), an empty MIBS and
// a private persistent directory; stopped by its PID.
//
// Header-only. The including target defines PMSNMP_TEST_SUPPORT_DIR (the
// absolute path of tests/support) and may define PMSNMP_SNMPD_PROGRAM.
#ifndef PMSNMP_TESTS_SUPPORT_SNMPD_FIXTURE_H
#define PMSNMP_TESTS_SUPPORT_SNMPD_FIXTURE_H

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "loopback_socket.h"

#ifndef PMSNMP_SNMPD_PROGRAM
#define PMSNMP_SNMPD_PROGRAM "/usr/sbin/snmpd"
#endif

namespace pmstest {

using pmc_test::ChildOptions;
using pmc_test::ChildProcess;
using pmc_test::local_path;
using pmc_test::read_text_file;
using pmc_test::SharedTempDir;

struct ToolResult {
    int exit_code = -1;
    std::string out;
};

class SnmpdFixture {
public:
    static constexpr const char* kReadCommunity = "pmsread";
    static constexpr const char* kWriteCommunity = "pmswrite";
    // A read-write INTEGER (override in snmpd.conf), initially 7.
    static constexpr const char* kWritableInteger = "1.3.6.1.4.1.8072.9999.9999.1.0";

    // extra_config: the name of a further configuration file in
    // tests/support, read after snmpd.conf.
    explicit SnmpdFixture(std::string extra_config = {}) : extra_config_(std::move(extra_config)) {}
    SnmpdFixture(const SnmpdFixture&) = delete;
    SnmpdFixture& operator=(const SnmpdFixture&) = delete;
    ~SnmpdFixture() { stop(); }

    // Starts the agent and waits (at most 10 s) until it answers on both
    // addresses. false with *error set when it cannot.
    bool start(std::string* error) {
        if (!make_dir(error)) return false;
        bool spawned = false;
        for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
            port_ = free_port();
            if (port_ == 0) continue;
            if (!spawn_agent(error)) return false;
            spawned = true;
            if (wait_until_answering()) return true;
            stop_process();
        }
        *error = spawned ? "snmpd did not answer; its log:\n" + read_log()
                         : std::string("no port free on both 127.0.0.1 and ::1 (IPv6 loopback?)");
        return false;
    }

    // Stops the agent by its PID and removes its folder.
    void stop() {
        process_.stop();
        dir_.reset();
    }

    bool running() const { return !process_.ended(); }
    long pid() const { return process_.pid(); }
    unsigned short port() const { return port_; }
    // Peer names as the Net-SNMP tools take them.
    std::string ipv4_peer() const { return "udp:127.0.0.1:" + std::to_string(port_); }
    std::string ipv6_peer() const { return "udp6:[::1]:" + std::to_string(port_); }

    // Runs a Net-SNMP command-line tool (snmpget, snmpwalk, snmpset, ...)
    // with the agent's environment (empty MIBS, private configuration and
    // persistent folders) and collects its standard output; at most
    // kToolSeconds.
    ToolResult run_tool(const std::vector<std::string>& argv) const {
        ToolResult result;
        SharedTempDir out_dir("pmsnmp-tool-");
        if (argv.empty() || !out_dir.ok()) return result;
        ChildOptions options;
        options.env = environment_strings();
        options.out_path = out_dir.path() + "/out.txt";
        options.lifetime_s = kToolSeconds;
        ChildProcess tool;
        std::string ignored;
        if (!tool.start(argv, options, &ignored)) return result;
        result.exit_code = tool.wait(std::chrono::seconds(kToolSeconds + kToolSeconds));
        result.out = read_text_file(options.out_path);
        return result;
    }

    // The environment the agent and the tools run in: empty MIBS so no MIB
    // file is loaded, and private folders so no user file is read or written.
    std::vector<std::string> environment_strings() const {
        const std::string dir = dir_ ? dir_->path() : std::string("/nonexistent");
        return {"MIBS=", "SNMP_PERSISTENT_DIR=" + dir + "/persist", "SNMPCONFPATH=" + dir + "/conf"};
    }

private:
    static constexpr int kStartAttempts = 5;
    static constexpr int kProbeRounds = 200;       // 200 × 50 ms = 10 s
    static constexpr int kProbeWaitMs = 50;

    static constexpr int kToolSeconds = 30;
    // The agent ends by itself after this where nothing else can end it (a
    // Windows test that crashed).
    static constexpr int kAgentLifetimeS = 300;  // CTest's limit for a test program

    // The folder goes with the fixture, so failures quote the log itself.
    std::string read_log() const {
        const std::string text = read_text_file(dir_->path() + "/snmpd.log");
        return text.empty() ? "(no log)" : text;
    }

    bool make_dir(std::string* error) {
        if (dir_) return true;
        dir_ = std::make_unique<SharedTempDir>("pmsnmp-snmpd-");
        if (!dir_->ok()) {
            dir_.reset();
            *error = "cannot make a folder for snmpd";
            return false;
        }
        std::error_code code;
        std::filesystem::create_directory(local_path(dir_->path() + "/persist"), code);
        std::filesystem::create_directory(local_path(dir_->path() + "/conf"), code);
        return true;
    }

    // A port free on both loopback addresses at the moment of asking.
    static unsigned short free_port() {
        pmc_test::LoopbackSocket v4(AF_INET);
        pmc_test::LoopbackSocket v6(AF_INET6);
        if (!v4.bind(0)) return 0;
        const unsigned short port = v4.local_port();
        return v6.bind(port) ? port : 0;
    }

    // The agent gets SIGTERM when the test process dies without stopping it
    // (a crash, an abort).
    bool spawn_agent(std::string* error) {
        const std::string port = std::to_string(port_);
        const std::string support = PMSNMP_TEST_SUPPORT_DIR;
        std::string config = support + "/snmpd.conf";
        if (!extra_config_.empty()) config += "," + support + "/" + extra_config_;
        ChildOptions options;
        options.env = environment_strings();
        options.end_with_parent = true;
        options.lifetime_s = kAgentLifetimeS;
        return process_.start({PMSNMP_SNMPD_PROGRAM, "-f", "-Lf", dir_->path() + "/snmpd.log", "-C", "-c",
                               config, "-p", dir_->path() + "/snmpd.pid", "udp:127.0.0.1:" + port,
                               "udp6:[::1]:" + port},
                              options, error);
    }

    bool wait_until_answering() {
        for (int round = 0; round < kProbeRounds; ++round) {
            if (process_.ended()) return false;
            if (answers(AF_INET) && answers(AF_INET6)) return true;
        }
        return false;
    }

    // A hand-made SNMPv1 GetRequest for sysUpTime.0: any answer means ready.
    bool answers(int family) const {
        const std::string community = kReadCommunity;
        const unsigned char varbinds[] = {0x30, 0x0e, 0x30, 0x0c, 0x06, 0x08, 0x2b, 0x06, 0x01,
                                          0x02, 0x01, 0x01, 0x03, 0x00, 0x05, 0x00};
        std::string pdu = std::string("\x02\x01\x01\x02\x01\x00\x02\x01\x00", 9) +
                          std::string(reinterpret_cast<const char*>(varbinds), sizeof varbinds);
        std::string body = std::string("\x02\x01\x00", 3) + '\x04' +
                           static_cast<char>(community.size()) + community + '\xa0' +
                           static_cast<char>(pdu.size()) + pdu;
        std::string message = std::string(1, '\x30') + static_cast<char>(body.size()) + body;

        pmc_test::LoopbackSocket probe(family);
        if (!probe.send_to(port_, message)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kProbeWaitMs));
            return false;
        }
        char reply[2048];
        return probe.readable_within(kProbeWaitMs) && probe.receive(reply, sizeof reply) > 0;
    }

    void stop_process() { process_.stop(); }

    std::string extra_config_;
    std::unique_ptr<SharedTempDir> dir_;
    mutable ChildProcess process_;
    unsigned short port_ = 0;
};
// One agent for every test of a process, started on first use and stopped
// when the process exits. null when it could not start (*error says why).
inline SnmpdFixture* shared_snmpd(std::string* error = nullptr) {
    static std::unique_ptr<SnmpdFixture> agent;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        agent = std::make_unique<SnmpdFixture>();
        if (!agent->start(&failure)) agent.reset();
    }
    if (error != nullptr) *error = failure;
    return agent.get();
}

}  // namespace pmstest

#endif
