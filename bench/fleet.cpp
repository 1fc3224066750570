// Fleet polling: the printer report of 64 simulated printers (snmpsim serving
// the printer recordings on 127.0.0.2 ... 127.0.0.65), once with the tool's
// concurrent polling, once with the same requests made by snmpget/snmpwalk
// processes, 16 printers at a time. Prints both times, their ratio
//   fleet vs net-snmp tools: R   (theirs over ours)
// and the resident memory the polling took per printer. Then the status
// report of the sharp recording by the built tool as a process, SNMPv1 and
// SNMPv2c in turns, the median wall time of each and their ratio
//   status v2c vs v1: R   (SNMPv1 over SNMPv2c)
//   bench_fleet [--printers N] [--parallel N] [--status-runs N]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "commands/fleet_status.h"
#include "printer/printer_mib.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kRecordings[] = {"brother", "epson", "jetdirect", "sharp", "xerox"};
constexpr pmc_long kTimeoutMs = 2000;

struct Options {
    int printers = 64;
    unsigned parallel = pmtool::kDefaultParallel;
    int status_runs = 15;
};

// 127.0.0.2 ... 127.0.0.254: one loopback address each.
constexpr int kMostPrinters = 253;

// The printer whose recording is the sharp one.
constexpr int kSharpPrinter = 3;

std::string host_address(int index) { return "127.0.0." + std::to_string(index + 2); }

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long resident_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return 0;
}

pid_t spawn(const std::vector<std::string>& args, bool quiet) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int run(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args, true);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// snmpsimd serving one recording per address (snmpsim picks the data file
// by the endpoint's transport identifier), or with printers 0 the sharp
// recording alone on 127.0.0.1, community "sharp", in snmpsim's standard
// engine as the tool's tests serve it; stopped by its process id.
class Simulator {
public:
    Simulator(const fs::path& recordings, int printers, unsigned short port) {
        dir_ = fs::temp_directory_path() /
               ("pmsnmp-bench-fleet-" + std::to_string(getpid()) + (printers == 0 ? "-sharp" : ""));
        fs::create_directories(dir_ / "data" / "public");
        fs::create_directories(dir_ / "cache");
        std::vector<std::string> args{"snmpsimd", "--data-dir=" + (dir_ / "data").string(),
                                      "--cache-dir=" + (dir_ / "cache").string(),
                                      "--logging-method=file:" + (dir_ / "log").string()};
        if (printers == 0) {
            fs::copy_file(recordings / "sharp.snmprec", dir_ / "data" / "sharp.snmprec");
            args.push_back("--agent-udpv4-endpoint=127.0.0.1:" + std::to_string(port));
        } else {
            args.insert(args.begin() + 1, "--v2c-arch");
        }
        for (int i = 0; i < printers; ++i) {
            const char* name = kRecordings[i % 5];
            fs::copy_file(recordings / (std::string(name) + ".snmprec"),
                          dir_ / "data" / "public" / ("1.3.6.1.6.1.1." + std::to_string(i) + ".snmprec"));
            args.push_back("--agent-udpv4-endpoint=" + host_address(i) + ":" + std::to_string(port));
        }
        if (geteuid() == 0) {
            // snmpsimd will not run as root.
            run({"chown", "-R", "nobody:nogroup", dir_.string()});
            args.push_back("--process-user=nobody");
            args.push_back("--process-group=nogroup");
        }
        pid_ = spawn(args, true);
    }
    ~Simulator() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    bool started() const { return pid_ > 0; }

private:
    fs::path dir_;
    pid_t pid_ = -1;
};

// The printer report's requests, as the Net-SNMP tools would make them.
class RecordingReader : public pmtool::MibReader {
public:
    explicit RecordingReader(pmtool::AgentReader& agent, std::vector<std::vector<std::string>>* commands)
        : agent_(agent), commands_(commands) {}
    pmc_long get(const pmtool::Oid& oid, pmtool::Binding* out) override {
        commands_->push_back(with_target("snmpget", oid.text()));
        return agent_.get(oid, out);
    }
    pmc_long walk(const pmtool::Oid& root, pmtool::Bindings* out) override {
        commands_->push_back(with_target("snmpwalk", root.text()));
        return agent_.walk(root, out);
    }

private:
    std::vector<std::string> with_target(const char* program, const std::string& oid) const {
        const pmtool::AgentOptions& options = agent_.options();
        return {program, "-v1", "-c", "public", "-On", "-t", std::to_string(kTimeoutMs / 1000), "-r", "1",
                options.host.display(), oid};
    }
    pmtool::AgentReader& agent_;
    std::vector<std::vector<std::string>>* commands_;
};

pmtool::AgentOptions printer(int index, unsigned short port) {
    pmtool::AgentOptions options;
    options.host.host = options.host.address = host_address(index);
    options.host.kind = PMC_ADDRESS_IPV4;
    options.host.port = port;
    options.target.timeout_ms = kTimeoutMs;
    return options;
}

bool wait_until_answering(const pmtool::AgentOptions& last) {
    for (int attempt = 0; attempt < 150; ++attempt) {
        pmtool::AgentReader agent(last);
        pmtool::Binding binding;
        if (agent.get(pmtool::mib::kSysDescr, &binding) == PMC_S_OK) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

// Each printer's commands one after another, parallel printers at a time.
double time_net_snmp(const std::vector<std::vector<std::vector<std::string>>>& jobs, unsigned parallel) {
    std::atomic<std::size_t> next{0};
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < parallel; ++i) {
        workers.emplace_back([&]() {
            for (std::size_t job = next++; job < jobs.size(); job = next++) {
                for (const auto& command : jobs[job]) run(command);
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    return seconds_since(start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// pmsnmp status against one printer in both versions, alternately, so that
// both meet the same load; false when a run failed.
bool time_status_versions(const pmtool::AgentOptions& printer, const std::string& community, int runs,
                          const char* simulator, const char* ratio_name) {
    const char* tool = std::getenv("PMSNMP_TOOL");
    const std::string host = printer.host.address + ":" + std::to_string(printer.host.port);
    std::vector<double> v1;
    std::vector<double> v2c;
    for (int i = 0; i < runs; ++i) {
        for (std::vector<double>* times : {&v1, &v2c}) {
            const Clock::time_point start = Clock::now();
            const int code = run({tool != nullptr ? tool : PMSNMP_TOOL, "status", "-v", times == &v1 ? "1" : "2c",
                                  "-c", community, host});
            if (code != 0) return false;
            times->push_back(seconds_since(start));
        }
    }
    std::printf("status of the sharp recording (%s): SNMPv1 %.3f s, SNMPv2c %.3f s (medians of %d runs)\n",
                simulator, median(v1), median(v2c), runs);
    std::printf("%s: %.1f\n", ratio_name, median(v1) / median(v2c));
    return true;
}

// The status comparison against the sharp recording served alone.
bool time_status_alone(const fs::path& recordings, int runs) {
    const unsigned short port = static_cast<unsigned short>(20000 + (getpid() + 1) % 20000);
    Simulator simulator(recordings, 0, port);
    pmtool::AgentOptions sharp = printer(0, port);
    sharp.host.host = sharp.host.address = "127.0.0.1";
    sharp.target.community = "sharp";
    if (!simulator.started() || !wait_until_answering(sharp)) return false;
    return time_status_versions(sharp, "sharp", runs, "snmpsim standard engine", "status v2c vs v1");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int parallel = static_cast<int>(options.parallel);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--printers") == 0) options.printers = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--parallel") == 0) parallel = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--status-runs") == 0) options.status_runs = std::atoi(argv[i + 1]);
    }
    // The fleet and its status comparison need at least one printer to ask.
    if (options.printers < 1 || options.printers > kMostPrinters || parallel < 1 || options.status_runs < 0) {
        std::fprintf(stderr, "usage: bench_fleet [--printers 1..%d] [--parallel N>=1] [--status-runs N>=0]\n",
                     kMostPrinters);
        return 2;
    }
    options.parallel = static_cast<unsigned>(parallel);
    const char* data = std::getenv("PMSNMP_PRINTER_DATA");
    const fs::path recordings = data != nullptr ? fs::path(data) : fs::path(PMSNMP_SOURCE_DIR) / ".." / "shared" / "data" / "printers";
    if (!fs::exists(recordings / "sharp.snmprec")) {
        std::printf("fleet: skipped, no printer recordings in %s\n", recordings.c_str());
        return 0;
    }
    const unsigned short port = static_cast<unsigned short>(20000 + getpid() % 20000);
    Simulator simulator(recordings, options.printers, port);
    std::vector<pmtool::AgentOptions> hosts;
    for (int i = 0; i < options.printers; ++i) hosts.push_back(printer(i, port));
    if (!simulator.started() || !wait_until_answering(hosts.back())) {
        std::fprintf(stderr, "fleet: snmpsimd did not answer\n");
        return 1;
    }

    // The requests of every printer's report, for the Net-SNMP tools.
    std::vector<std::vector<std::vector<std::string>>> jobs(hosts.size());
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        pmtool::AgentReader agent(hosts[i]);
        RecordingReader reader(agent, &jobs[i]);
        pmtool::PrinterReport report;
        pmtool::read_printer_report(reader, &report);
    }

    const long before_kib = resident_kib("VmRSS:");
    const Clock::time_point start = Clock::now();
    const std::vector<pmtool::HostOutcome> outcomes = pmtool::poll_printers(hosts, options.parallel);
    const double ours = seconds_since(start);
    const long peak_kib = resident_kib("VmHWM:");
    int failed = 0;
    for (const pmtool::HostOutcome& outcome : outcomes) failed += outcome.answered ? 0 : 1;
    const double theirs = time_net_snmp(jobs, options.parallel);

    std::size_t commands = 0;
    for (const auto& job : jobs) commands += job.size();
    std::printf("printers: %d, %u at a time, %zu snmpget/snmpwalk commands for the same reports (%d printers failed)\n", options.printers,
                options.parallel, commands, failed);
    std::printf("pmsnmp fleet polling: %.2f s\n", ours);
    std::printf("snmpget/snmpwalk processes: %.2f s\n", theirs);
    std::printf("fleet vs net-snmp tools: %.1f\n", theirs / ours);
    std::printf("memory per polled printer: %.1f KiB (peak resident growth / printers)\n",
                static_cast<double>(peak_kib > before_kib ? peak_kib - before_kib : 0) / options.printers);
    bool status_ran = true;
    if (options.printers > kSharpPrinter && options.status_runs > 0) {
        status_ran = time_status_versions(hosts[kSharpPrinter], "public", options.status_runs,
                                          "fleet simulator, --v2c-arch", "status v2c vs v1, fleet simulator");
    }
    if (status_ran && options.status_runs > 0) status_ran = time_status_alone(recordings, options.status_runs);
    if (!status_ran) std::fprintf(stderr, "fleet: pmsnmp status failed\n");
    return failed == 0 && status_ran ? 0 : 1;
}
