#include "api/client_agent.h"

#include <optional>

#include "api/client_reason.h"

namespace NPmcClient {

namespace {

Binding absent_binding(const Oid& oid) {
    Binding binding;
    binding.oid = oid;
    binding.type = PMS_TYPE_NO_SUCH_OBJECT;
    return binding;
}

Binding request_for(const Oid& oid) {
    Binding binding;
    binding.oid = oid;
    return binding;
}

std::size_t octets_of(const Binding& binding) {
    return (binding.oid.size() + binding.oid_value.size()) * sizeof(pmc_ulong) + binding.octets.size();
}

}  // namespace

Agent::Agent(AgentOptions options) : options_(std::move(options)) {
    open_status_ = road_.open(options_.target);
    deadline_ = std::chrono::steady_clock::now() + options_.deadline;
}

Agent::~Agent() = default;

bool Agent::bulk_reads() const {
    // SNMPv1 has no GetBulk.
    return options_.bulk && options_.target.version != PMS_VERSION_1;
}

Outcome Agent::fail(pmc_long status, PmsSecurityRefusal refusal) {
    Outcome outcome;
    outcome.status = status;
    outcome.reason = status_reason(status, options_.target, security_refusal(refusal));
    return outcome;
}

bool Agent::within_bounds(const Binding& binding) {
    bytes_ += octets_of(binding);
    if (options_.max_bytes != 0 && bytes_ > options_.max_bytes) {
        bound_reason_ = "the agent's answers passed " + std::to_string(options_.max_bytes) + " octets";
    } else if (options_.deadline.count() != 0 && std::chrono::steady_clock::now() > deadline_) {
        bound_reason_ = "no complete answer within the deadline of " + std::to_string(options_.deadline.count()) + " ms";
    }
    return bound_reason_.empty();
}

pmc_long Agent::exchange(pmc_long type, const Bindings& request, ExchangeResult* answer) {
    if (open_status_ != PMC_S_OK) return open_status_;
    *answer = NPmcClient::exchange(road_.road(), type, request);
    return answer->status;
}

GetOutcome Agent::get(const std::vector<Oid>& oids, bool ask_again) {
    GetOutcome outcome;
    std::vector<std::optional<Binding>> results(oids.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < oids.size(); ++i) pending.push_back(i);

    // An error status answers for the whole request: the object it names is
    // dropped and the rest asked again.
    while (!pending.empty()) {
        Bindings request;
        for (const std::size_t i : pending) request.push_back(request_for(oids[i]));
        ExchangeResult answer;
        const pmc_long status = exchange(PMS_PDU_GET, request, &answer);
        if (status != PMC_S_OK) {
            static_cast<Outcome&>(outcome) = fail(status, answer.refusal);
            return outcome;
        }
        const pmc_long error = answer.error_status;
        const pmc_long index = answer.error_index;
        if (error != PMS_ERR_NO_ERROR) {
            outcome.error_status = error;
            outcome.error_index = index;
            const bool named = index >= 1 && static_cast<std::size_t>(index) <= pending.size();
            if (!named) {
                outcome.refusals.push_back({error, {}, Refusal::kUnnamed});
                return outcome;
            }
            const std::size_t refused = pending[static_cast<std::size_t>(index) - 1];
            outcome.refusals.push_back({error, oids[refused], refused});
            if (!ask_again) return outcome;
            results[refused] = absent_binding(oids[refused]);
            pending.erase(pending.begin() + (index - 1));
            continue;
        }
        if (answer.bindings.size() != pending.size()) {
            outcome.status = PMC_E_FAIL;
            outcome.reason = "the agent's answer does not match the request";
            return outcome;
        }
        for (std::size_t i = 0; i < pending.size(); ++i) results[pending[i]] = std::move(answer.bindings[i]);
        pending.clear();
    }
    for (std::optional<Binding>& result : results) outcome.bindings.push_back(std::move(*result));
    return outcome;
}

Outcome Agent::walk_ended(const WalkResult& result, const std::string& what) {
    Outcome outcome;
    outcome.status = result.status;
    outcome.error_status = result.error_status;
    outcome.error_index = result.error_index;
    switch (result.end) {
    case WalkEnd::kDone:
        break;
    case WalkEnd::kAgentError:
        outcome.reason = error_status_reason(result.error_status, result.error_index == 1 ? result.asked : Oid());
        break;
    case WalkEnd::kNotAdvancing:
        outcome.reason = "the agent's answers do not increase after ." + result.asked.text();
        break;
    case WalkEnd::kStepLimit:
        outcome.reason =
            "the walk of " + what + " did not end within " + std::to_string(options_.max_cells) + " steps";
        break;
    case WalkEnd::kFailed:
        if (!bound_reason_.empty()) {
            outcome.reason = bound_reason_;
            break;
        }
        return fail(result.status, result.refusal);
    }
    return outcome;
}

Outcome Agent::walk(const Oid& root, const BindingVisitor& visit) {
    if (open_status_ != PMC_S_OK) return fail(open_status_);
    const auto bounded = [this, &visit](const Binding& binding) {
        return within_bounds(binding) ? visit(binding) : PMC_E_FAIL;
    };
    const WalkResult result = bulk_reads()
        ? bulk_walk(road_.road(), root, options_.max_repetitions, options_.max_cells, bounded)
        : NPmcClient::walk(road_.road(), root, options_.max_cells, bounded);
    return walk_ended(result, "." + root.text());
}

Outcome Agent::read_columns(const std::vector<Oid>& roots, const ColumnVisitor& visit) {
    if (open_status_ != PMC_S_OK) return fail(open_status_);
    const auto bounded = [this, &visit](std::size_t column, const Binding& binding) {
        return within_bounds(binding) ? visit(column, binding) : PMC_E_FAIL;
    };
    const WalkResult result = bulk_reads()
        ? bulk_columns(road_.road(), roots, options_.max_repetitions, options_.max_cells, bounded)
        : next_columns(road_.road(), roots, options_.max_cells, bounded);
    return walk_ended(result, std::to_string(roots.size()) + " columns");
}

Outcome Agent::set_integer(const Oid& oid, pmc_long value) {
    Binding request = request_for(oid);
    request.type = PMS_TYPE_INTEGER;
    request.number = value;
    ExchangeResult answer;
    const pmc_long status = exchange(PMS_PDU_SET, {request}, &answer);
    if (status != PMC_S_OK) return fail(status, answer.refusal);
    Outcome outcome;
    if (answer.error_status == PMS_ERR_NO_ERROR) return outcome;
    outcome.status = PMC_E_FAIL;
    outcome.error_status = answer.error_status;
    outcome.error_index = answer.error_index;
    outcome.reason = error_status_reason(answer.error_status, answer.error_index == 1 ? oid : Oid());
    return outcome;
}

BroadcastResult Agent::broadcast(pmc_long pdu_type, const Bindings& request) const {
    return NPmcClient::broadcast(options_.target, pdu_type, request);
}

}  // namespace NPmcClient
