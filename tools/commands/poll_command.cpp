#include "commands/poll_command.h"

#include "cli/option_names.h"
#include "alerts/poll_observer.h"
#include "cli/exit_codes.h"
#include "commands/fleet_status.h"
#include "commands/report_command.h"

#include <ctime>
#include <map>
#include <mutex>
#include <thread>

namespace pmtool {

namespace {

bool fleet_options(const PollCommandLine& line, std::vector<AgentOptions>* fleet, std::string* reason) {
    for (const std::string& host : line.hosts) {
        AgentOptions options;
        if (!parse_host(host, line.port, &options.host, reason)) return false;
        options.target.version = kVersions.at(line.version);
        options.target.community = line.community;
        options.target.timeout_ms = line.timeout_ms;
        options.target.retries = line.retries;
        fleet->push_back(options);
    }
    return true;
}

}  // namespace

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
