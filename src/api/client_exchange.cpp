#include "api/client_exchange.h"

#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

namespace NPmcClient {

namespace {

pmc_long add_binding(IPmsPdu* pdu, const Binding& binding) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> name(pms_create_oid_from_text(binding.oid.c_str(), &status));
    if (!name) return status;
    pmc::Owned<IPmsValue> value;
    if (binding.type == PMS_TYPE_INTEGER) {
        value.reset(pms_create_value_from_int(static_cast<pmc_long>(binding.number),
                                              PMS_TYPE_INTEGER, &status));
        if (!value) return status;
    }
    // A failed add takes nothing: both stay ours to release.
    status = pdu->add_varbind(name.get(), value.get());
    if (status != PMC_S_OK) return status;
    name.release();
    value.release();
    return PMC_S_OK;
}

void fill_result(IPmsPdu* answer, ExchangeResult* result) {
    result->error_status = answer->get_error_status();
    result->error_index = answer->get_error_index();
    IPmsVarBindList* list = answer->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    for (pmc_ulong i = 0; i < count; ++i) result->bindings.push_back(binding_of(list->get_at(i)));
}

}  // namespace

IPmsVarBind* first_binding(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->get_at(0) : nullptr;
}

pmc_long exchange_pdu(IPmsPdu* pdu, pmc_long pdu_type, IPmsSnmpTarget* target,
                      SessionDispatcher* dispatcher) {
    pmc::Owned<SessionDispatcher> own;
    if (dispatcher == nullptr) {
        pmc_long status = PMC_S_OK;
        own.reset(create_session_dispatcher(&status));
        if (!own) return status;
        dispatcher = own.get();
    }
    pdu->set_type(pdu_type);
    return dispatcher->send_sync(pdu, target);
}

ExchangeResult exchange(const TargetOptions& options, pmc_long pdu_type, const Bindings& request) {
    ExchangeResult result;
    pmc::Owned<IPmsSnmpTarget> target;
    result.status = make_target(options, &target);
    if (result.status != PMC_S_OK) return result;
    pmc::Owned<IPmsPdu> pdu(create_pdu(&result.status));
    if (!pdu) return result;
    for (const Binding& binding : request) {
        result.status = add_binding(pdu.get(), binding);
        if (result.status != PMC_S_OK) return result;
    }
    result.status = exchange_pdu(pdu.get(), pdu_type, target.get());
    if (result.status == PMC_S_OK) fill_result(pdu.get(), &result);
    return result;
}

}  // namespace NPmcClient
