// A real snmpd for tests and benchmarks: started in the foreground on
// udp:127.0.0.1:PORT and udp6:[::1]:PORT at a free high port, with the
// project's own configuration (tests/support/snmpd.conf), an empty MIBS and
// a private persistent directory; stopped by its PID.
//
// Header-only. The including target defines PMSNMP_TEST_SUPPORT_DIR (the
// absolute path of tests/support) and may define PMSNMP_SNMPD_PROGRAM.
#ifndef PMSNMP_TESTS_SUPPORT_SNMPD_FIXTURE_H
#define PMSNMP_TESTS_SUPPORT_SNMPD_FIXTURE_H

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

#ifndef PMSNMP_SNMPD_PROGRAM
#define PMSNMP_SNMPD_PROGRAM "/usr/sbin/snmpd"
#endif

namespace pmstest {

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
        stop_process();
        if (!dir_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
            dir_.clear();
        }
    }

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    unsigned short port() const { return port_; }
    // Peer names as the Net-SNMP tools take them.
    std::string ipv4_peer() const { return "udp:127.0.0.1:" + std::to_string(port_); }
    std::string ipv6_peer() const { return "udp6:[::1]:" + std::to_string(port_); }

    // Runs a Net-SNMP command-line tool (snmpget, snmpwalk, snmpset, ...)
    // with the agent's environment (empty MIBS, private configuration and
    // persistent folders) and collects its standard output.
    ToolResult run_tool(const std::vector<std::string>& argv) const {
        ToolResult result;
        int fds[2];
        if (argv.empty() || pipe(fds) != 0) return result;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        Strings args(argv);
        Strings env = environment();
        pid_t child = -1;
        const int rc = posix_spawnp(&child, argv[0].c_str(), &actions, nullptr, args.get(),
                                    env.get());
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc == 0) {
            char chunk[4096];
            ssize_t n;
            while ((n = read(fds[0], chunk, sizeof chunk)) > 0) result.out.append(chunk, n);
            int wstatus = 0;
            waitpid(child, &wstatus, 0);
            result.exit_code = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        }
        close(fds[0]);
        return result;
    }

    // The environment the agent and the tools run in: empty MIBS so no MIB
    // file is loaded, and private folders so no user file is read or written.
    std::vector<std::string> environment_strings() const {
        std::vector<std::string> env;
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            const std::string text(*entry);
            if (text.rfind("MIBS=", 0) == 0 || text.rfind("MIBDIRS=", 0) == 0 ||
                text.rfind("SNMP_PERSISTENT_DIR=", 0) == 0 ||
                text.rfind("SNMPCONFPATH=", 0) == 0) {
                continue;
            }
            env.push_back(text);
        }
        env.push_back("MIBS=");
        env.push_back("SNMP_PERSISTENT_DIR=" + dir_ + "/persist");
        env.push_back("SNMPCONFPATH=" + dir_ + "/conf");
        return env;
    }

private:
    static constexpr int kStartAttempts = 5;
    static constexpr int kProbeRounds = 200;       // 200 × 50 ms = 10 s
    static constexpr int kProbeWaitMs = 50;
    static constexpr int kStopRounds = 100;        // 100 × 20 ms = 2 s before SIGKILL

    // NUL-terminated argv/envp built from strings it keeps alive.
    class Strings {
    public:
        explicit Strings(std::vector<std::string> items) : items_(std::move(items)) {
            for (std::string& item : items_) pointers_.push_back(item.data());
            pointers_.push_back(nullptr);
        }
        char* const* get() { return pointers_.data(); }

    private:
        std::vector<std::string> items_;
        std::vector<char*> pointers_;
    };

    Strings environment() const { return Strings(environment_strings()); }

    // The folder goes with the fixture, so failures quote the log itself.
    std::string read_log() const {
        std::string text;
        FILE* file = std::fopen((dir_ + "/snmpd.log").c_str(), "r");
        if (file == nullptr) return "(no log)";
        char chunk[1024];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
        std::fclose(file);
        return text;
    }

    bool make_dir(std::string* error) {
        if (!dir_.empty()) return true;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pmsnmp-snmpd-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            *error = "mkdtemp failed";
            return false;
        }
        dir_ = pattern;
        std::error_code code;
        std::filesystem::create_directory(dir_ + "/persist", code);
        std::filesystem::create_directory(dir_ + "/conf", code);
        return true;
    }

    // A port free on both loopback addresses at the moment of asking.
    static unsigned short free_port() {
        int v4 = socket(AF_INET, SOCK_DGRAM, 0);
        int v6 = socket(AF_INET6, SOCK_DGRAM, 0);
        unsigned short port = 0;
        sockaddr_in a4{};
        a4.sin_family = AF_INET;
        a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a4;
        if (v4 >= 0 && v6 >= 0 && bind(v4, reinterpret_cast<sockaddr*>(&a4), sizeof a4) == 0 &&
            getsockname(v4, reinterpret_cast<sockaddr*>(&a4), &len) == 0) {
            sockaddr_in6 a6{};
            a6.sin6_family = AF_INET6;
            a6.sin6_addr = in6addr_loopback;
            a6.sin6_port = a4.sin_port;
            if (bind(v6, reinterpret_cast<sockaddr*>(&a6), sizeof a6) == 0) {
                port = ntohs(a4.sin_port);
            }
        }
        if (v4 >= 0) close(v4);
        if (v6 >= 0) close(v6);
        return port;
    }

    // fork/exec rather than posix_spawn so that the agent gets SIGTERM when
    // the test process dies without stopping it (a crash, an abort).
    bool spawn_agent(std::string* error) {
        const std::string port = std::to_string(port_);
        const std::string support = PMSNMP_TEST_SUPPORT_DIR;
        std::string config = support + "/snmpd.conf";
        if (!extra_config_.empty()) config += "," + support + "/" + extra_config_;
        Strings args({PMSNMP_SNMPD_PROGRAM, "-f", "-Lf", dir_ + "/snmpd.log", "-C", "-c", config, "-p",
                      dir_ + "/snmpd.pid", "udp:127.0.0.1:" + port, "udp6:[::1]:" + port});
        Strings env = environment();
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ < 0) {
            pid_ = -1;
            *error = std::string("fork: ") + std::strerror(errno);
            return false;
        }
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            const int null_fd = open("/dev/null", O_RDWR);
            if (null_fd >= 0) {
                dup2(null_fd, STDIN_FILENO);
                dup2(null_fd, STDOUT_FILENO);
                dup2(null_fd, STDERR_FILENO);
            }
            execve(PMSNMP_SNMPD_PROGRAM, args.get(), env.get());
            _exit(127);
        }
        return true;
    }

    bool exited() {
        int wstatus = 0;
        if (pid_ > 0 && waitpid(pid_, &wstatus, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        return pid_ <= 0;
    }

    bool wait_until_answering() {
        for (int round = 0; round < kProbeRounds; ++round) {
            if (exited()) return false;
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

        int fd = socket(family, SOCK_DGRAM, 0);
        if (fd < 0) return false;
        sockaddr_storage peer{};
        socklen_t peer_len;
        if (family == AF_INET) {
            auto* a4 = reinterpret_cast<sockaddr_in*>(&peer);
            a4->sin_family = AF_INET;
            a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a4->sin_port = htons(port_);
            peer_len = sizeof *a4;
        } else {
            auto* a6 = reinterpret_cast<sockaddr_in6*>(&peer);
            a6->sin6_family = AF_INET6;
            a6->sin6_addr = in6addr_loopback;
            a6->sin6_port = htons(port_);
            peer_len = sizeof *a6;
        }
        bool answered = false;
        if (sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&peer),
                   peer_len) == static_cast<ssize_t>(message.size())) {
            pollfd waiting{fd, POLLIN, 0};
            char reply[2048];
            answered = poll(&waiting, 1, kProbeWaitMs) == 1 &&
                       recv(fd, reply, sizeof reply, 0) > 0;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kProbeWaitMs));
        }
        close(fd);
        return answered;
    }

    void stop_process() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int round = 0; round < kStopRounds; ++round) {
            if (exited()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    std::string extra_config_;
    std::string dir_;
    pid_t pid_ = -1;
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
