#include "commands/poll_command.h"

#include "alerts/poll_observer.h"
#include "cli/cli.h"
#include "commands/fleet_status.h"
#include "commands/report_command.h"

#include <ctime>
#include <map>
#include <mutex>
#include <thread>

namespace pmtool {

namespace {

constexpr int kMaxRepeat = 100000;

const std::map<std::string, pmc_long> kCommunityVersions = {{"1", PMS_VERSION_1}, {"2c", PMS_VERSION_2C}};

bool fleet_options(const PollCommandLine& line, std::vector<AgentOptions>* fleet, std::string* reason) {
    for (const std::string& host : line.hosts) {
        AgentOptions options;
        if (!parse_host(host, line.port, &options.host, reason)) return false;
        options.target.version = kCommunityVersions.at(line.version);
        options.target.community = line.community;
        options.target.timeout_ms = line.timeout_ms;
        options.target.retries = line.retries;
        fleet->push_back(options);
    }
    return true;
}

}  // namespace

CLI::App* add_poll_command(CLI::App& app, PollCommandLine& line) {
    CLI::App* command = app.add_subcommand(
        "poll", "poll printers and feed serve's alerts and history with the result (for cron, without serve)");
    command->add_option("HOST", line.hosts, "printer addresses")->required()->type_name("");
    command->add_option("--config", line.config, "serve's YAML file (its alerts: and history: sections)")
        ->required()
        ->type_name("FILE");
    command->add_option("-v,--snmp-version", line.version, "SNMP version (default 1)")
        ->check(CLI::IsMember({"1", "2c"}).description(""))
        ->type_name("1|2c");
    command->add_option("-c,--community", line.community, "community (default public)")->type_name("COMMUNITY");
    command->add_option("-p,--port", line.port, "agents' UDP port unless HOST gives one (default 161)")
        ->check(CLI::Range(1, 65535).description(""))
        ->type_name("PORT");
    command->add_option("-t,--timeout", line.timeout_ms, "time-out of each try in milliseconds (default 1000)")
        ->check(CLI::Range(1, 600000).description(""))
        ->type_name("MS");
    command->add_option("-r,--retries", line.retries, "tries after the first (default 1)")
        ->check(CLI::Range(0, 100).description(""))
        ->type_name("N");
    command->add_option("--time", line.time, "record the poll at this time instead of now (back-filling)")
        ->type_name("TIME");
    command->add_option("--repeat", line.repeat, "polls of every host (default 1)")
        ->check(CLI::Range(1, kMaxRepeat).description(""))
        ->type_name("N");
    command->add_option("--interval", line.interval_ms, "between repeated polls, in milliseconds (default 60000)")
        ->check(CLI::Range(0, 86400000).description(""))
        ->type_name("MS");
    command->add_option("--deliver", line.deliver_ms, "time the webhook may take at the end, in ms (default 10000)")
        ->check(CLI::Range(0, 3600000).description(""))
        ->type_name("MS");
    return command;
}

int run_poll(const PollCommandLine& line, std::ostream& out, std::ostream& err) {
    std::mutex log_mutex;
    const LogLine log = [&out, &log_mutex](const std::string& text) {
        std::lock_guard<std::mutex> lock(log_mutex);
        out << text << '\n' << std::flush;
    };
    AlertConfig alerts;
    HistoryConfig history;
    std::string reason;
    std::vector<AgentOptions> fleet;
    std::int64_t fixed_time = 0;
    if (!parse_alert_config_file(line.config, &alerts, &reason) ||
        !parse_history_config_file(line.config, &history, &reason) || !fleet_options(line, &fleet, &reason)) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitUsage;
    }
    if (!line.time.empty() && !parse_time(line.time, &fixed_time)) {
        err << "pmsnmp: bad time '" << line.time << "'" << std::endl;
        return kExitUsage;
    }
    PollObserver observer(alerts, history, log);
    if (!observer.open(&reason)) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitFailure;
    }
    for (int round = 0; round < line.repeat; ++round) {
        if (round > 0) std::this_thread::sleep_for(std::chrono::milliseconds(line.interval_ms));
        const std::vector<HostOutcome> outcomes = poll_printers(fleet, kDefaultParallel);
        const std::int64_t now = line.time.empty() ? static_cast<std::int64_t>(std::time(nullptr)) : fixed_time + round;
        for (const HostOutcome& outcome : outcomes) {
            if (outcome.answered)
                observer.on_report(outcome.report.host, now, outcome.report);
            else
                observer.on_failure(outcome.report.host, now, outcome.reason);
        }
    }
    if (!observer.deliver_within(std::chrono::milliseconds(line.deliver_ms))) {
        err << "pmsnmp: webhook: events wait in the outbox for the next run" << std::endl;
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace pmtool
