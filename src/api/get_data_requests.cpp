// The operations of the get-data facade that talk to the agent.
#include <cstring>
#include <limits>

#include "api/get_data.h"
#include "api/oid_order.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

namespace {

// No bound: the caller promised a buffer large enough for any text.
constexpr pmc_ulong kUnboundedBuffer = std::numeric_limits<pmc_ulong>::max();

IPmsVarBind* first_binding(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->get_at(0) : nullptr;
}

}  // namespace

pmc_long CPmcGetData::exchange(pmc_long type) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&status));
    if (!dispatcher) return note_exchange(status);
    return exchange(dispatcher.get(), type);
}

pmc_long CPmcGetData::exchange(SessionDispatcher* dispatcher, pmc_long type) {
    pdu_->set_type(type);
    return note_exchange(dispatcher->send_sync(pdu_.get(), current_target()));
}

pmc_long CPmcGetData::note_exchange(pmc_long status) {
    error_status_ = status == PMC_S_OK ? pdu_->get_error_status() : status;
    error_index_ = status == PMC_S_OK ? pdu_->get_error_index() : 0;
    return status;
}

pmc_long CPmcGetData::get_error_status(pmc_long* error_status, pmc_long* error_index) {
    if (error_status == nullptr || error_index == nullptr) return PMC_E_INVALID_ARG;
    *error_status = error_status_;
    *error_index = error_index_;
    return PMC_S_OK;
}

pmc::Owned<IPmsValue> CPmcGetData::pop_value() {
    IPmsValue* value = nullptr;
    if (first_binding(pdu_.get()) != nullptr) pdu_->pop_varbind(nullptr, &value);
    return pmc::Owned<IPmsValue>(value);
}

pmc_long CPmcGetData::set() {
    if (!is_open()) return PMC_E_NOT_OPEN;
    const pmc_long status = exchange(PMS_PDU_SET);
    if (status != PMC_S_OK) return status;
    const pmc_long error = pdu_->get_error_status();
    return (error == PMS_ERR_NO_SUCH_NAME || error == PMS_ERR_NO_ACCESS) ? PMC_E_NO_VALUE
                                                                          : PMC_S_OK;
}

pmc_long CPmcGetData::get_integer(pmc_long* value) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    return get_integer_array(value, 1);
}

pmc_long CPmcGetData::get_integer_array(pmc_long* values, pmc_long count) {
    if (!is_open()) return PMC_E_NOT_OPEN;
    if (values == nullptr && count > 0) return PMC_E_INVALID_ARG;
    const pmc_long status = exchange(PMS_PDU_GET);
    if (status != PMC_S_OK) return status;
    for (pmc_long i = 0; i < count; ++i) {
        pmc::Owned<IPmsValue> value = pop_value();
        if (!value) return PMC_E_NO_VALUE;
        values[i] = value->get_int(nullptr);
    }
    return PMC_S_OK;
}

pmc_long CPmcGetData::get_string(char* buffer) {
    return get_string_n(buffer, kUnboundedBuffer);
}

pmc_long CPmcGetData::get_string_n(char* buffer, pmc_ulong size) {
    if (!is_open()) return PMC_E_NOT_OPEN;
    if (buffer == nullptr || size == 0) return PMC_E_INVALID_ARG;
    pmc_long status = exchange(PMS_PDU_GET);
    if (status != PMC_S_OK) return status;
    IPmsVarBind* binding = first_binding(pdu_.get());
    if (binding == nullptr || binding->get_value() == nullptr) return PMC_E_NO_VALUE;
    // Kinds without a text form (NULL, exceptions) read as the empty text.
    pmc::Owned<IPmcByteString> text(binding->get_value()->get_text_new(&status));
    if (!text) return PMC_E_NO_MEMORY;
    const pmc_ulong length = text->get_length();
    if (length >= size) {
        buffer[0] = '\0';
        return PMC_E_INVALID_ARG;
    }
    if (length > 0) std::memcpy(buffer, text->get_data(), length);
    buffer[length] = '\0';
    pop_value();
    return PMC_S_OK;
}

pmc_long CPmcGetData::walk(IPmcPtrList<IPmsPdu>* responses, const char* root_oid) {
    if (!is_open()) return PMC_E_NOT_OPEN;
    if (responses == nullptr || root_oid == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> root(pms_create_oid_from_text(root_oid, &status));
    if (!root) return status;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&status));
    if (!dispatcher) return note_exchange(status);
    bool done = false;
    while (!done) {
        status = walk_step(dispatcher.get(), root.get(), responses, &done);
    }
    return status;
}

pmc_long CPmcGetData::walk_step(SessionDispatcher* dispatcher, const IPmsOid* root,
                                 IPmcPtrList<IPmsPdu>* responses, bool* done) {
    *done = true;
    IPmsVarBind* request = first_binding(pdu_.get());
    if (request == nullptr || request->get_oid() == nullptr) return PMC_E_NO_VALUE;
    pmc_long status = PMC_S_OK;
    // The answer overwrites the request, so keep the name asked for.
    pmc::Owned<IPmsOid> asked(request->get_oid()->clone_oid(&status));
    if (!asked) return status;

    status = exchange(dispatcher, PMS_PDU_GET_NEXT);
    if (status != PMC_S_OK) return status;

    // An SNMPv1 agent ends its view with noSuchName and the names unchanged.
    const pmc_long error = pdu_->get_error_status();
    if (error == PMS_ERR_NO_SUCH_NAME) return PMC_S_OK;
    if (error != PMS_ERR_NO_ERROR) return PMC_E_FAIL;
    IPmsVarBind* answer = first_binding(pdu_.get());
    if (answer == nullptr || answer->get_oid() == nullptr) return PMC_E_NO_VALUE;
    const IPmsValue* value = answer->get_value();
    if (value != nullptr && value->get_type() == PMS_TYPE_END_OF_MIB_VIEW) return PMC_S_OK;

    const pmc_long relation = answer->get_oid()->compare(root, &status);
    if (status != PMC_S_OK || (relation != PMS_OID_BELOW && relation != PMS_OID_ABOVE)) {
        return PMC_S_OK;
    }
    // A name that does not advance would be asked for again and again.
    int order = 0;
    status = NPmcOidOrder::compare(answer->get_oid(), asked.get(), &order);
    if (status != PMC_S_OK || order <= 0) return PMC_E_FAIL;

    pmc::Owned<IPmsPdu> copy(pdu_->clone(&status));
    if (!copy) return status;
    status = responses->add(copy.get());
    if (status != PMC_S_OK) return status;
    copy.release();
    *done = false;
    return PMC_S_OK;
}
