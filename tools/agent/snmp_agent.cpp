#include "agent/snmp_agent.h"

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

SnmpAgent::SnmpAgent(AgentOptions options)
    : options_(std::move(options)), agent_(client_options(options_)) {}

pmc_long SnmpAgent::ended(const NPmcClient::Outcome& outcome) {
    reason_ = outcome.reason;
    return outcome.status;
}

bool SnmpAgent::numeric_oids(const std::vector<std::string>& texts, const char* example,
                             std::vector<std::string>* oids) {
    for (const std::string& text : texts) {
        oids->push_back(normalize_oid(text));
        if (oids->back().empty()) {
            reason_ = "bad OID '" + text + "': expected numeric form such as " + example;
            return false;
        }
    }
    return true;
}

pmc_long SnmpAgent::get(const std::string& oid, Binding* out) {
    Bindings bindings;
    const pmc_long status = get_many({oid}, &bindings);
    if (status == PMC_S_OK) *out = bindings.front();
    return status;
}

pmc_long SnmpAgent::get_many(const std::vector<std::string>& texts, Bindings* out) {
    std::vector<std::string> oids;
    if (!numeric_oids(texts, kObjectExample, &oids)) return PMC_E_INVALID_ARG;
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

pmc_long SnmpAgent::get_reporting(const std::vector<std::string>& texts, bool ask_again, Bindings* out,
                                  std::vector<AgentError>* errors) {
    std::vector<std::string> oids;
    if (!numeric_oids(texts, kObjectExample, &oids)) return PMC_E_INVALID_ARG;
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

pmc_long SnmpAgent::walk(const std::string& root_text, Bindings* out) {
    std::vector<std::string> roots;
    if (!numeric_oids({root_text}, kSubtreeExample, &roots)) return PMC_E_INVALID_ARG;
    out->clear();
    return ended(agent_.walk(roots.front(), [out](const Binding& binding) {
        out->push_back(binding);
        return PMC_S_OK;
    }));
}

pmc_long SnmpAgent::get_objects(const std::vector<std::string>& oids, Bindings* out) {
    return get_many(oids, out);
}

pmc_long SnmpAgent::walk_columns(const std::vector<std::string>& root_texts, const Enough& enough,
                                 std::vector<Bindings>* out) {
    std::vector<std::string> roots;
    if (!numeric_oids(root_texts, kSubtreeExample, &roots)) return PMC_E_INVALID_ARG;
    out->assign(roots.size(), Bindings());
    return ended(agent_.read_columns(roots, [out, &enough](std::size_t column, const Binding& binding) {
        (*out)[column].push_back(binding);
        return enough && enough(column, binding) ? NPmcClient::PMC_COLUMN_COMPLETE : PMC_S_OK;
    }));
}

pmc_long SnmpAgent::set_integer(const std::string& oid_text, const std::string& instance, pmc_long value,
                                std::string* written) {
    std::string oid = normalize_oid(oid_text);
    const std::string suffix = instance.empty() ? std::string() : normalize_oid("0." + instance);
    if (oid.empty() || (!instance.empty() && suffix.empty())) {
        reason_ = "bad OID '" + oid_text + (instance.empty() ? "" : "' or instance '" + instance) + "'";
        return PMC_E_INVALID_ARG;
    }
    if (!instance.empty()) oid += suffix.substr(1);
    const pmc_long status = ended(agent_.set_integer(oid, value));
    if (status == PMC_S_OK && written != nullptr) *written = oid;
    return status;
}

}  // namespace pmtool
