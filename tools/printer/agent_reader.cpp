#include "printer/agent_reader.h"

#include "api/client_reason.h"

namespace pmtool {

NPmcClient::AgentOptions client_options(const AgentOptions& options) {
    NPmcClient::AgentOptions client;
    client.target = options.target;
    client.target.address = options.host.address;
    client.target.address_kind = options.host.kind;
    client.target.port = options.host.port;
    client.bulk = options.bulk;
    client.max_repetitions = options.max_repetitions;
    client.max_bytes = options.max_bytes;
    client.deadline = options.deadline;
    return client;
}

AgentReader::AgentReader(AgentOptions options)
    : options_(std::move(options)), agent_(client_options(options_)) {}

pmc_long AgentReader::ended(const NPmcClient::Outcome& outcome) {
    reason_ = outcome.reason;
    return outcome.status;
}

pmc_long AgentReader::get(const Oid& oid, Binding* out) {
    Bindings bindings;
    const pmc_long status = get_objects({oid}, &bindings);
    if (status == PMC_S_OK) *out = bindings.front();
    return status;
}

pmc_long AgentReader::get_objects(const std::vector<Oid>& oids, Bindings* out) {
    NPmcClient::GetOutcome outcome = agent_.get(oids);
    if (!outcome.ok()) return ended(outcome);
    // An object the agent lacks is no failure; any other refusal is.
    for (const AgentError& refusal : outcome.refusals) {
        if (refusal.status != PMS_ERR_NO_SUCH_NAME || refusal.oid.empty()) {
            reason_ = NPmcClient::error_status_reason(refusal.status, refusal.oid);
            return PMC_E_FAIL;
        }
    }
    *out = std::move(outcome.bindings);
    return PMC_S_OK;
}

pmc_long AgentReader::get_reporting(const std::vector<Oid>& oids, bool ask_again, Bindings* out,
                                    std::vector<AgentError>* errors) {
    NPmcClient::GetOutcome outcome = agent_.get(oids, ask_again);
    if (!outcome.ok()) return ended(outcome);
    std::vector<bool> refused(oids.size());
    for (const AgentError& refusal : outcome.refusals)
        if (refusal.index < refused.size()) refused[refusal.index] = true;
    out->clear();
    for (std::size_t i = 0; i < outcome.bindings.size(); ++i)
        if (!refused[i]) out->push_back(std::move(outcome.bindings[i]));
    *errors = std::move(outcome.refusals);
    return PMC_S_OK;
}

pmc_long AgentReader::walk(const Oid& root, Bindings* out) {
    out->clear();
    return ended(agent_.walk(root, [out](const Binding& binding) {
        out->push_back(binding);
        return PMC_S_OK;
    }));
}

pmc_long AgentReader::walk_columns(const std::vector<Oid>& roots, const Enough& enough,
                                   std::vector<Bindings>* out) {
    out->assign(roots.size(), Bindings());
    return ended(agent_.read_columns(roots, [out, &enough](std::size_t column, const Binding& binding) {
        (*out)[column].push_back(binding);
        return enough && enough(column, binding) ? NPmcClient::PMC_COLUMN_COMPLETE : PMC_S_OK;
    }));
}

pmc_long AgentReader::set_integer(const Oid& oid, pmc_long value) {
    return ended(agent_.set_integer(oid, value));
}

}  // namespace pmtool
