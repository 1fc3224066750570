// The operations of the get-data facade that talk to the agent.
#include <cstring>
#include <limits>

#include "api/client_exchange.h"
#include "api/client_walk.h"
#include "api/get_data.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

using NPmcClient::first_binding;

namespace {

// No bound: the caller promised a buffer large enough for any text.
constexpr pmc_ulong kUnboundedBuffer = std::numeric_limits<pmc_ulong>::max();

// A copy of answer at the end of responses.
pmc_long add_copy(IPmcPtrList<IPmsPdu>* responses, IPmsPdu* answer) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsPdu> copy(answer->clone(&status));
    if (!copy) return status;
    status = responses->add(copy.get());
    if (status == PMC_S_OK) copy.release();
    return status;
}

// The octets a response holds as the walk counts them: 4 per arc of a name
// or identifier value, 8 per number, the bytes of a string.
std::size_t held_octets(IPmsPdu* answer) {
    constexpr std::size_t kArc = 4;
    constexpr std::size_t kNumber = 8;
    IPmsVarBindList* list = answer->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    std::size_t octets = 0;
    for (pmc_ulong i = 0; i < count; ++i) {
        const IPmsVarBind* binding = list->get_at(i);
        if (binding->get_oid() != nullptr) octets += kArc * binding->get_oid()->get_length();
        const IPmsValue* value = binding->get_value();
        if (value == nullptr) continue;
        const pmc_long type = value->get_type();
        if (type == PMS_TYPE_OID) {
            octets += kArc * value->get_length();
        } else if (type == PMS_TYPE_OCTET_STRING || type == PMS_TYPE_OPAQUE || type == PMS_TYPE_IP_ADDRESS) {
            octets += value->get_length();
        } else {
            octets += kNumber;
        }
    }
    return octets;
}

}  // namespace

pmc_long CPmcGetData::exchange(pmc_long type) {
    return note_exchange(NPmcClient::exchange_pdu(pdu_.get(), type, current_target()));
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
    // An agent whose subtree never ends would fill the host's memory.
    struct Held {
        CPmcGetData* self;
        IPmcPtrList<IPmsPdu>* responses;
        std::size_t added = 0;
        std::size_t octets = 0;
    } held{this, responses};
    // One captured pointer keeps the callback inside std::function's own
    // storage: a walk must not throw when memory runs short.
    const NPmcClient::WalkResult result = NPmcClient::walk_pdu(
        pdu_.get(), root.get(), current_target(), dispatcher.get(), NPmcClient::PMC_WALK_UNBOUNDED,
        [h = &held](IPmsPdu* answer) {
            h->octets += held_octets(answer);
            if (++h->added > h->self->walk_max_responses_ || h->octets > h->self->walk_max_octets_) return PMC_E_FAIL;
            return add_copy(h->responses, answer);
        });
    if (result.exchanges > 0) note_exchange(result.exchange_status);
    return result.status;
}
