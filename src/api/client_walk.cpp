#include "api/client_walk.h"

#include "api/client_exchange.h"
#include "api/oid_order.h"
#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

namespace NPmcClient {

namespace {

// Records how the walk ended; false, so that a step can return it.
bool stop(WalkResult* result, pmc_long status, WalkEnd end) {
    result->status = status;
    result->end = end;
    return false;
}

// Ends the walk for a fault of the agent, naming what was asked for.
bool stop_at(WalkResult* result, WalkEnd end, const IPmsOid* asked) {
    result->asked = dotted_text_of(asked);
    return stop(result, PMC_E_FAIL, end);
}

// A GetNext answer ends the walk when it leaves the root's subtree. An
// answer above the root stays in, so the order check refuses it.
bool leaves_subtree(const IPmsOid* answer, const IPmsOid* root) {
    pmc_long status = PMC_S_OK;
    const pmc_long relation = answer->compare(root, &status);
    return status != PMC_S_OK || (relation != PMS_OID_BELOW && relation != PMS_OID_ABOVE);
}

// Whether the answer in pdu to asked continues the walk; records the end
// when it does not.
bool advances(IPmsPdu* pdu, const IPmsOid* root, const IPmsOid* asked, WalkResult* result) {
    // An SNMPv1 agent ends its view with noSuchName and the names unchanged.
    const pmc_long error = pdu->get_error_status();
    if (error == PMS_ERR_NO_SUCH_NAME) return stop(result, PMC_S_OK, WalkEnd::kDone);
    if (error != PMS_ERR_NO_ERROR) {
        result->error_status = error;
        result->error_index = pdu->get_error_index();
        return stop_at(result, WalkEnd::kAgentError, asked);
    }
    IPmsVarBind* answer = first_binding(pdu);
    if (answer == nullptr || answer->get_oid() == nullptr) {
        return stop(result, PMC_E_NO_VALUE, WalkEnd::kFailed);
    }
    const IPmsValue* value = answer->get_value();
    if (value != nullptr && value->get_type() == PMS_TYPE_END_OF_MIB_VIEW) {
        return stop(result, PMC_S_OK, WalkEnd::kDone);
    }
    if (leaves_subtree(answer->get_oid(), root)) return stop(result, PMC_S_OK, WalkEnd::kDone);
    int order = 0;
    const pmc_long status = NPmcOidOrder::compare(answer->get_oid(), asked, &order);
    if (status != PMC_S_OK || order <= 0) return stop_at(result, WalkEnd::kNotAdvancing, asked);
    return true;
}

// One GetNext; true while the walk goes on.
bool step(IPmsPdu* pdu, const IPmsOid* root, IPmsSnmpTarget* target, SessionDispatcher* dispatcher,
          const PduVisitor& visit, WalkResult* result) {
    IPmsVarBind* request = first_binding(pdu);
    if (request == nullptr || request->get_oid() == nullptr) {
        return stop(result, PMC_E_NO_VALUE, WalkEnd::kFailed);
    }
    pmc_long status = PMC_S_OK;
    // The answer overwrites the request, so keep the name asked for.
    pmc::Owned<IPmsOid> asked(request->get_oid()->clone_oid(&status));
    if (!asked) return stop(result, status, WalkEnd::kFailed);

    status = exchange_pdu(pdu, PMS_PDU_GET_NEXT, target, dispatcher);
    ++result->exchanges;
    result->exchange_status = status;
    if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
    if (!advances(pdu, root, asked.get(), result)) return false;

    status = visit(pdu);
    if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
    return true;
}

struct WalkSetup {
    pmc::Owned<IPmsSnmpTarget> target;
    pmc::Owned<IPmsOid> root;
    pmc::Owned<IPmsPdu> pdu;
    pmc::Owned<SessionDispatcher> dispatcher;
};

// The target, the root and a GetNext request for the root itself.
pmc_long prepare(const TargetOptions& options, const std::string& root, WalkSetup* setup) {
    pmc_long status = make_target(options, &setup->target);
    if (status != PMC_S_OK) return status;
    setup->root.reset(pms_create_oid_from_text(root.c_str(), &status));
    if (!setup->root) return status;
    pmc::Owned<IPmsOid> start(setup->root->clone_oid(&status));
    if (!start) return status;
    setup->pdu.reset(create_pdu(&status));
    if (!setup->pdu) return status;
    status = setup->pdu->add_varbind(start.get(), nullptr);
    if (status != PMC_S_OK) return status;
    start.release();
    setup->dispatcher.reset(create_session_dispatcher(&status));
    return status;
}

}  // namespace

WalkResult walk_pdu(IPmsPdu* pdu, const IPmsOid* root, IPmsSnmpTarget* target,
                    SessionDispatcher* dispatcher, std::size_t max_steps, const PduVisitor& visit) {
    WalkResult result;
    for (std::size_t i = 0; i < max_steps; ++i) {
        if (!step(pdu, root, target, dispatcher, visit, &result)) return result;
    }
    stop(&result, PMC_E_FAIL, WalkEnd::kStepLimit);
    return result;
}

WalkResult walk(const TargetOptions& options, const std::string& root, std::size_t max_steps,
                const BindingVisitor& visit) {
    WalkSetup setup;
    const pmc_long status = prepare(options, root, &setup);
    if (status != PMC_S_OK) {
        WalkResult result;
        stop(&result, status, WalkEnd::kFailed);
        return result;
    }
    return walk_pdu(setup.pdu.get(), setup.root.get(), setup.target.get(), setup.dispatcher.get(),
                    max_steps,
                    [&visit](IPmsPdu* answer) { return visit(binding_of(first_binding(answer))); });
}

}  // namespace NPmcClient
