#include "commands/fleet_status.h"

#include "cli/exit_codes.h"
#include "render/render.h"
#include "render/safe_text.h"
#include "render/summary_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace pmtool {

namespace {

// Descriptors kept for the standard streams, a trace file and the
// libraries; each host in flight holds one socket at a time, counted twice
// for an SNMPv3 session's own.
constexpr unsigned kReservedDescriptors = 16;
constexpr unsigned kDescriptorsPerHost = 2;

// Runs on helper threads: nothing may leave it.
void poll_one(const AgentOptions& options, HostOutcome* outcome) {
    *outcome = HostOutcome();
    outcome->report.host = options.host.display();
    try {
        AgentReader agent(options);
        outcome->status = read_printer_report(agent, &outcome->report);
        outcome->answered = outcome->status == PMC_S_OK;
        if (!outcome->answered) outcome->reason = agent.reason();
    } catch (const std::exception& error) {
        outcome->status = PMC_E_FAIL;
        outcome->reason = std::string("internal error: ") + error.what();
    }
}

void poll_all(const std::vector<AgentOptions>& hosts, unsigned parallel, std::vector<HostOutcome>* outcomes) {
    std::atomic<std::size_t> next{0};
    auto work = [&]() {
        for (std::size_t i = next++; i < hosts.size(); i = next++) poll_one(hosts[i], &(*outcomes)[i]);
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
}

nlohmann::json report_json(const HostOutcome& outcome) {
    if (!outcome.answered) return {{"host", outcome.report.host}, {"error", outcome.reason}};
    // The list's keys come in name order, as they always have.
    return nlohmann::json(report_document(outcome.report));
}

}  // namespace

unsigned parallel_within_descriptors(unsigned parallel) {
#ifndef _WIN32
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const rlim_t room = limit.rlim_cur > kReservedDescriptors ? limit.rlim_cur - kReservedDescriptors : 0;
        const rlim_t hosts = std::max<rlim_t>(1, room / kDescriptorsPerHost);
        if (hosts < parallel) return static_cast<unsigned>(hosts);
    }
#endif
    return parallel;
}

std::vector<HostOutcome> poll_printers(const std::vector<AgentOptions>& hosts, unsigned parallel) {
    std::vector<HostOutcome> outcomes(hosts.size());
    poll_all(hosts, parallel_within_descriptors(parallel), &outcomes);
    // Descriptors the process holds elsewhere count against the limit too: a
    // host that met it asks again alone, when the others have let theirs go.
    for (std::size_t i = 0; i < hosts.size(); ++i)
        if (outcomes[i].status == PMC_E_SOCKET_CREATE) poll_one(hosts[i], &outcomes[i]);
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
        output.out << json_text(list) << '\n';
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
