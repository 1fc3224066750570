#include "commands/fleet_status.h"

#include "cli/cli.h"
#include "render/render.h"
#include "render/summary_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace pmtool {

namespace {

void poll_one(const AgentOptions& options, HostOutcome* outcome) {
    SnmpAgent agent(options);
    outcome->report.host = options.host.display();
    outcome->answered = read_printer_report(agent, &outcome->report) == PMC_S_OK;
    if (!outcome->answered) outcome->reason = agent.reason();
}

nlohmann::json report_json(const HostOutcome& outcome) {
    if (!outcome.answered) return {{"host", outcome.report.host}, {"error", outcome.reason}};
    return nlohmann::json::parse(render_report_json(outcome.report));
}

}  // namespace

std::vector<HostOutcome> poll_printers(const std::vector<AgentOptions>& hosts, unsigned parallel) {
    std::vector<HostOutcome> outcomes(hosts.size());
    std::atomic<std::size_t> next{0};
    auto work = [&]() {
        for (std::size_t i = next++; i < hosts.size(); i = next++) poll_one(hosts[i], &outcomes[i]);
    };
    const std::size_t helpers = std::min<std::size_t>(std::max(parallel, 1u), hosts.size()) - (hosts.empty() ? 0 : 1);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer at a time: this thread polls the rest with them
        }
    }
    work();
    for (std::thread& thread : threads) thread.join();
    return outcomes;
}

int run_fleet_status(const std::vector<AgentOptions>& hosts, unsigned parallel, bool summary,
                     const Output& output) {
    const std::vector<HostOutcome> outcomes = poll_printers(hosts, parallel);
    const bool all_answered = std::all_of(outcomes.begin(), outcomes.end(),
                                          [](const HostOutcome& outcome) { return outcome.answered; });
    if (output.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const HostOutcome& outcome : outcomes)
            list.push_back(summary ? summary_json(outcome) : report_json(outcome));
        output.out << list.dump(2) << '\n';
    } else {
        for (const HostOutcome& outcome : outcomes) {
            if (summary) {
                output.out << summary_line(outcome) << '\n';
            } else if (outcome.answered) {
                output.out << render_report_text(outcome.report);
            } else {
                output.err << "pmsnmp: " << outcome.report.host << ": " << outcome.reason << std::endl;
            }
        }
    }
    return all_answered ? kExitOk : kExitFailure;
}

}  // namespace pmtool
