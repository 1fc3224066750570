#include "session/v3_response_converter.h"

#include <cstring>
#include <string>

#include "message/pdu_factory.h"
#include "net/network_address.h"
#include "session/v3_session_fields.h"
#include "session/v3_status.h"
#include "session/v3_transport.h"
#include "value/oid_arcs.h"
#include "value/value_factory.h"

namespace {

struct Mapping {
    int from;
    pmc_long to;
};

const Mapping kPduTypes[] = {
    {SNMP_MSG_GET, PMS_PDU_GET},         {SNMP_MSG_GETNEXT, PMS_PDU_GET_NEXT},
    {SNMP_MSG_RESPONSE, PMS_PDU_RESPONSE}, {SNMP_MSG_SET, PMS_PDU_SET},
    {SNMP_MSG_GETBULK, PMS_PDU_GET_BULK}, {SNMP_MSG_INFORM, PMS_PDU_INFORM},
    {SNMP_MSG_TRAP2, PMS_PDU_TRAP},       {SNMP_MSG_REPORT, PMS_PDU_REPORT},
};

const Mapping kValueKinds[] = {
    {ASN_INTEGER, PMS_TYPE_INTEGER},       {ASN_OCTET_STR, PMS_TYPE_OCTET_STRING},
    {ASN_PRIV_IMPLIED_OCTET_STR, PMS_TYPE_OCTET_STRING}, {ASN_NULL, PMS_TYPE_NULL},
    {ASN_OBJECT_ID, PMS_TYPE_OID},         {ASN_IPADDRESS, PMS_TYPE_IP_ADDRESS},
    {ASN_COUNTER, PMS_TYPE_COUNTER32},     {ASN_GAUGE, PMS_TYPE_GAUGE32},
    {ASN_UINTEGER, PMS_TYPE_GAUGE32},      {ASN_TIMETICKS, PMS_TYPE_TIME_TICKS},
    {ASN_OPAQUE, PMS_TYPE_OPAQUE},         {ASN_COUNTER64, PMS_TYPE_COUNTER64},
    {SNMP_NOSUCHOBJECT, PMS_TYPE_NO_SUCH_OBJECT},
    {SNMP_NOSUCHINSTANCE, PMS_TYPE_NO_SUCH_INSTANCE},
    {SNMP_ENDOFMIBVIEW, PMS_TYPE_END_OF_MIB_VIEW},
};

template <std::size_t N>
pmc_long look_up(const Mapping (&table)[N], int from, pmc_long otherwise) {
    for (const Mapping& entry : table) {
        if (entry.from == from) return entry.to;
    }
    return otherwise;
}

// Whether text is exactly the length characters at chars: the answer's
// name is most often the one asked with, and then is not copied again.
bool same_text(const char* text, const char* chars, std::size_t length) {
    return text != nullptr && std::strlen(text) == length && std::memcmp(text, chars, length) == 0;
}

// The answerer's address; the port stays the one asked, since an agent
// answers from the port it was asked on.
pmc_long take_source(const netsnmp_pdu* response, IPmsSnmpTarget* target) {
    int length = 0;
    const sockaddr* record =
        pms_v3_source_record(response->transport_data, response->transport_data_length, &length);
    if (record == nullptr) return PMC_S_OK;
    CPmcNetworkAddress* current = target->get_address();
    // Nearly every answer comes from the host asked: nothing to change.
    if (current != nullptr && pmc_same_host(current->get_socket_address(nullptr), record)) {
        return PMC_S_OK;
    }
    const unsigned short port = current != nullptr ? current->get_port() : 0;
    pmc::Owned<CPmcNetworkAddress> source(
        pms_v3_source_address_new(response->transport_data, response->transport_data_length));
    if (!source) return PMC_S_OK;  // a family without an address of ours: the asked one stays
    source->set_port(port);
    return target->set_address(source.get());
}

pmc_long convert_target(const netsnmp_pdu* response, IPmsSnmpTarget* target) {
    if (response->version != SNMP_VERSION_3) return PMC_E_DECODE;
    const pmc_long level = pms_v3_level_code(response->securityLevel);
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    if (v3 == nullptr || level < 0) return PMC_E_INVALID_ARG;
    target->set_version(PMS_VERSION_3);
    pmc_long status = v3->set_security_level(level);
    // An answer without a name or context leaves the request's in place, so
    // that the next request of a walk still speaks as the same user.
    if (status == PMC_S_OK && response->securityNameLen > 0 &&
        !same_text(v3->get_user_name(), response->securityName, response->securityNameLen)) {
        status = v3->set_user_name(
            std::string(response->securityName, response->securityNameLen).c_str());
    }
    if (status == PMC_S_OK && response->contextNameLen > 0 &&
        !same_text(v3->get_context_name(), response->contextName, response->contextNameLen)) {
        status = v3->set_context_name(
            std::string(response->contextName, response->contextNameLen).c_str());
    }
    const pmc_ulong engine_length = static_cast<pmc_ulong>(response->securityEngineIDLen);
    IPmcByteString* engine = v3->get_engine_id();
    if (status == PMC_S_OK && engine_length > 0 &&
        (engine == nullptr || !engine->equals(response->securityEngineID, engine_length))) {
        status = v3->set_engine_id(response->securityEngineID, engine_length);
    }
    return status == PMC_S_OK ? take_source(response, target) : status;
}

// The library reads no more than MAX_OID_LEN arcs, none above 2^32 - 1.
pmc_long fill_arcs(IPmsOid* name, const oid* arcs, size_t count) {
    if (count > MAX_OID_LEN) return PMC_E_DECODE;
    pmc_ulong copy[MAX_OID_LEN];
    for (size_t i = 0; i < count; ++i) copy[i] = static_cast<pmc_ulong>(arcs[i]);
    return pms_oid_assign_arcs(name, copy, static_cast<pmc_ulong>(count));
}

pmc_long read_contents(const netsnmp_variable_list* variable, IPmsValue* value) {
    switch (value->get_type()) {
    case PMS_TYPE_INTEGER:
        return value->set_int(static_cast<pmc_long>(*variable->val.integer));
    case PMS_TYPE_COUNTER32:
    case PMS_TYPE_GAUGE32:
    case PMS_TYPE_TIME_TICKS:
        return value->set_uint(static_cast<pmc_ulong>(*variable->val.integer));
    case PMS_TYPE_COUNTER64: {
        const pmc_long status = value->set_uint_high(variable->val.counter64->high);
        return status == PMC_S_OK ? value->set_uint_low(variable->val.counter64->low) : status;
    }
    case PMS_TYPE_OCTET_STRING:
    case PMS_TYPE_IP_ADDRESS:
    case PMS_TYPE_OPAQUE:
        return value->set_bytes(variable->val.string, static_cast<pmc_ulong>(variable->val_len));
    case PMS_TYPE_OID:
        if (value->as_oid() == nullptr) return PMC_E_INVALID_ARG;
        return fill_arcs(value->as_oid(), variable->val.objid, variable->val_len / sizeof(oid));
    default:
        return PMC_S_OK;  // NULL and the exceptions carry nothing
    }
}

pmc_long convert_variable(const netsnmp_variable_list* variable, IPmsVarBind* binding) {
    const pmc_long kind = pms_v3_value_kind(variable->type);
    if (kind == PMC_E_UNKNOWN_VALUE_TYPE) return kind;
    pmc_long status = PMC_S_OK;
    if (binding->get_oid() == nullptr) {
        IPmsOid* name = pms_create_oid(&status);
        if (name == nullptr) return status;
        binding->set_oid(name);
    }
    status = fill_arcs(binding->get_oid(), variable->name, variable->name_length);
    if (status != PMC_S_OK) return status;
    if (binding->get_value() == nullptr || binding->get_value()->get_type() != kind) {
        IPmsValue* value = pms_create_value(kind, &status);
        if (value == nullptr) return status;
        binding->set_value(value);
    }
    return read_contents(variable, binding->get_value());
}

pmc_long binding_at(IPmsVarBindList* list, pmc_ulong index, IPmsVarBind** out) {
    *out = list->get_at(index);
    if (*out != nullptr) return PMC_S_OK;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsVarBind> binding(create_varbind(&status));
    if (!binding) return status;
    status = list->append(binding.get());
    if (status != PMC_S_OK) return status;
    *out = binding.release();
    return PMC_S_OK;
}

pmc_long convert_bindings(const netsnmp_pdu* response, IPmsPdu* pdu) {
    pmc_long status = PMC_S_OK;
    if (pdu->get_varbind_list() == nullptr) {
        IPmsVarBindList* list = create_varbind_list(&status);
        if (list == nullptr) return status;
        pdu->set_varbind_list(list);
    }
    IPmsVarBindList* list = pdu->get_varbind_list();
    pmc_ulong index = 0;
    for (const netsnmp_variable_list* variable = response->variables; variable != nullptr;
         variable = variable->next_variable, ++index) {
        IPmsVarBind* binding = nullptr;
        status = binding_at(list, index, &binding);
        if (status == PMC_S_OK) status = convert_variable(variable, binding);
        if (status != PMC_S_OK) return status;
    }
    while (list->count() > index) {
        IPmsVarBind* surplus = nullptr;
        list->remove_at(index, &surplus);
        if (surplus != nullptr) surplus->release();
    }
    return PMC_S_OK;
}

}  // namespace

pmc_long pms_v3_pdu_type(int command) { return look_up(kPduTypes, command, PMS_PDU_NONE); }

pmc_long pms_v3_value_kind(u_char type) {
    return look_up(kValueKinds, type, PMC_E_UNKNOWN_VALUE_TYPE);
}

pmc_long pms_v3_convert_response(const netsnmp_pdu* response, IPmsPdu* pdu,
                                 IPmsSnmpTarget* target, PmsSecurityRefusal* refusal) {
    if (response->version != SNMP_VERSION_3) *refusal = PmsSecurityRefusal::kMessageVersion;
    pmc_long status = convert_target(response, target);
    if (status == PMC_S_OK) status = convert_bindings(response, pdu);
    if (status != PMC_S_OK) return status;
    pdu->set_type(pms_v3_pdu_type(response->command));
    pdu->set_request_id(static_cast<pmc_long>(response->reqid));
    const pmc_long error_status = pms_v3_error_status(response->errstat);
    pdu->set_error_status(error_status);
    pdu->set_error_index(static_cast<pmc_long>(response->errindex));
    IPmsVarBindList* list = pdu->get_varbind_list();
    if (error_status != PMS_ERR_NO_ERROR) {
        list->apply_error(error_status, static_cast<pmc_long>(response->errindex));
    } else {
        list->set_all_status(PMS_ERR_NO_ERROR);
    }
    return PMC_S_OK;
}
