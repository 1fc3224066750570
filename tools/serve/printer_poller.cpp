#include "serve/printer_poller.h"

namespace pmtool {

namespace {

const Oid kSysLocation{1, 3, 6, 1, 2, 1, 1, 6, 0};

}  // namespace

PollOutcome poll_printer(const AgentOptions& options, ReadScope scope, StaticObjects* memory) {
    PollOutcome outcome;
    AgentReader agent(options);
    outcome.report.host = options.host.display();
    ReadScope done = scope;
    const pmc_long status = read_printer_report_split(agent, scope, memory, &outcome.report, &done);
    outcome.answered = status == PMC_S_OK;
    if (!outcome.answered) {
        outcome.timed_out = status == PMC_E_TIMEOUT;
        outcome.reason = agent.reason();
        return outcome;
    }
    outcome.whole = done == ReadScope::kWhole;
    Binding location;
    if (outcome.whole && agent.get(kSysLocation, &location) == PMC_S_OK && location.type == PMS_TYPE_OCTET_STRING)
        outcome.location = location.octets;
    return outcome;
}

}  // namespace pmtool
