#include "agent/snmp_agent.h"

#include "api/client_exchange.h"

#include <optional>

namespace pmtool {

namespace {

// A walk stops here even if the agent never ends its subtree.
constexpr int kMaxWalkSteps = 100000;

Binding absent_binding(const std::string& oid) {
    Binding binding;
    binding.oid = oid;
    binding.type = PMS_TYPE_NO_SUCH_OBJECT;
    return binding;
}

Binding request_for(const std::string& oid) {
    Binding binding;
    binding.oid = oid;
    return binding;
}

}  // namespace

pmc_long SnmpAgent::fail(pmc_long status) {
    reason_ = describe_status(status, options_);
    return status;
}

pmc_long SnmpAgent::agent_error(pmc_long error_status, pmc_long error_index,
                                const std::vector<std::string>& oids) {
    reason_ = "the agent answered " + error_status_name(error_status);
    if (error_index >= 1 && static_cast<std::size_t>(error_index) <= oids.size())
        reason_ += " for ." + oids[static_cast<std::size_t>(error_index) - 1];
    return PMC_E_FAIL;
}

NPmcClient::TargetOptions SnmpAgent::target() const {
    NPmcClient::TargetOptions target = options_.target;
    target.address = options_.host.address;
    target.address_kind = options_.host.kind;
    target.port = options_.host.port;
    return target;
}

pmc_long SnmpAgent::get(const std::string& oid, Binding* out) {
    Bindings bindings;
    const pmc_long status = get_many({oid}, &bindings);
    if (status == PMC_S_OK) *out = bindings.front();
    return status;
}

pmc_long SnmpAgent::get_many(const std::vector<std::string>& oids, Bindings* out) {
    return get_bindings(oids, nullptr, true, out);
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

pmc_long SnmpAgent::get_reporting(const std::vector<std::string>& oids, bool ask_again, Bindings* out,
                                  std::vector<AgentError>* errors) {
    return get_bindings(oids, errors, ask_again, out);
}

pmc_long SnmpAgent::get_bindings(const std::vector<std::string>& oids, std::vector<AgentError>* errors,
                                 bool ask_again, Bindings* out) {
    std::vector<std::string> asked;
    if (!numeric_oids(oids, kObjectExample, &asked)) return PMC_E_INVALID_ARG;
    std::vector<std::optional<Binding>> results(asked.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < asked.size(); ++i) pending.push_back(i);

    // An error status answers for the whole request: drop the binding it
    // names and ask again for the rest. Without errors to report, SNMPv1's
    // noSuchName just marks the object absent.
    while (!pending.empty()) {
        std::vector<std::string> names;
        Bindings request;
        for (const std::size_t i : pending) {
            names.push_back(asked[i]);
            request.push_back(request_for(asked[i]));
        }
        NPmcClient::ExchangeResult answer = NPmcClient::exchange(target(), PMS_PDU_GET, request);
        if (answer.status != PMC_S_OK) return fail(answer.status);
        const pmc_long error = answer.error_status;
        const pmc_long index = answer.error_index;
        const bool named = index >= 1 && static_cast<std::size_t>(index) <= pending.size();
        if (error != PMS_ERR_NO_ERROR && errors != nullptr) {
            errors->push_back({error, named ? names[static_cast<std::size_t>(index) - 1] : std::string()});
            if (!named || !ask_again) break;
            pending.erase(pending.begin() + (index - 1));
            continue;
        }
        if (error == PMS_ERR_NO_SUCH_NAME && named) {
            const std::size_t missing = pending[static_cast<std::size_t>(index) - 1];
            results[missing] = absent_binding(asked[missing]);
            pending.erase(pending.begin() + (index - 1));
            continue;
        }
        if (error != PMS_ERR_NO_ERROR) return agent_error(error, index, names);
        if (answer.bindings.size() != pending.size()) {
            reason_ = "the agent's answer does not match the request";
            return PMC_E_FAIL;
        }
        for (std::size_t i = 0; i < pending.size(); ++i) results[pending[i]] = std::move(answer.bindings[i]);
        pending.clear();
    }
    out->clear();
    for (std::optional<Binding>& result : results)
        if (result) out->push_back(std::move(*result));
    return PMC_S_OK;
}

bool SnmpAgent::bulk_reads() const {
    // SNMPv1 has no GetBulk.
    return options_.bulk && options_.target.version != PMS_VERSION_1;
}

NPmcClient::WalkResult SnmpAgent::walk_subtree(const std::string& root, Bindings* out) const {
    const auto keep = [out](const Binding& binding) {
        out->push_back(binding);
        return PMC_S_OK;
    };
    if (bulk_reads()) return NPmcClient::bulk_walk(target(), root, options_.max_repetitions, kMaxWalkSteps, keep);
    return NPmcClient::walk(target(), root, kMaxWalkSteps, keep);
}

pmc_long SnmpAgent::walk_ended(const NPmcClient::WalkResult& result, const std::string& what) {
    switch (result.end) {
    case NPmcClient::WalkEnd::kDone:
        return PMC_S_OK;
    case NPmcClient::WalkEnd::kAgentError:
        return agent_error(result.error_status, result.error_index, {result.asked});
    case NPmcClient::WalkEnd::kNotAdvancing:
        reason_ = "the agent's answers do not increase after ." + result.asked;
        return result.status;
    case NPmcClient::WalkEnd::kStepLimit:
        reason_ = "the walk of " + what + " did not end within " + std::to_string(kMaxWalkSteps) + " steps";
        return result.status;
    default:
        return fail(result.status);
    }
}

pmc_long SnmpAgent::walk(const std::string& root_text, Bindings* out) {
    std::vector<std::string> roots;
    if (!numeric_oids({root_text}, kSubtreeExample, &roots)) return PMC_E_INVALID_ARG;
    const std::string& root = roots.front();
    out->clear();
    return walk_ended(walk_subtree(root, out), "." + root);
}

pmc_long SnmpAgent::get_objects(const std::vector<std::string>& oids, Bindings* out) {
    if (!bulk_reads()) return MibReader::get_objects(oids, out);
    return get_many(oids, out);
}

pmc_long SnmpAgent::walk_columns(const std::vector<std::string>& root_texts, const Enough& enough,
                                 std::vector<Bindings>* out) {
    if (!bulk_reads()) return MibReader::walk_columns(root_texts, enough, out);
    std::vector<std::string> roots;
    if (!numeric_oids(root_texts, kSubtreeExample, &roots)) return PMC_E_INVALID_ARG;
    out->assign(roots.size(), Bindings());
    const auto keep = [out, &enough](std::size_t column, const Binding& binding) {
        (*out)[column].push_back(binding);
        return enough && enough(column, binding) ? NPmcClient::PMC_COLUMN_COMPLETE : PMC_S_OK;
    };
    const NPmcClient::WalkResult result =
        NPmcClient::bulk_columns(target(), roots, options_.max_repetitions, kMaxWalkSteps, keep);
    return walk_ended(result, std::to_string(roots.size()) + " columns");
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
    Binding request = request_for(oid);
    request.type = PMS_TYPE_INTEGER;
    request.number = value;
    // The facade's set() reports readOnly and badValue as success; the tool
    // must say when the agent refused, so it reads the error status itself.
    const NPmcClient::ExchangeResult answer = NPmcClient::exchange(target(), PMS_PDU_SET, {request});
    if (answer.status != PMC_S_OK) return fail(answer.status);
    if (answer.error_status != PMS_ERR_NO_ERROR) return agent_error(answer.error_status, answer.error_index, {oid});
    if (written != nullptr) *written = oid;
    return PMC_S_OK;
}

}  // namespace pmtool
