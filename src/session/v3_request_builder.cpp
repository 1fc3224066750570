#include "session/v3_request_builder.h"

#include <mutex>
#include <new>
#include <string>

#include "session/v3_library.h"
#include "session/v3_session_fields.h"
#include "session/v3_session_pool.h"
#include "session/v3_status.h"
#include "value/oid_arcs.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

struct TypeLetter {
    pmc_long type;
    char letter;
};

const TypeLetter kTypeLetters[] = {
    {PMS_TYPE_OID, 'o'},        {PMS_TYPE_OCTET_STRING, 's'}, {PMS_TYPE_INTEGER, 'i'},
    {PMS_TYPE_COUNTER32, 'c'},  {PMS_TYPE_GAUGE32, 'u'},      {PMS_TYPE_TIME_TICKS, 't'},
    {PMS_TYPE_COUNTER64, 'C'},  {PMS_TYPE_IP_ADDRESS, 'a'},
};

bool carries_no_value(const IPmsValue* value) {
    if (value == nullptr) return true;
    const pmc_long type = value->get_type();
    return type == PMS_TYPE_NULL || type == PMS_TYPE_NO_SUCH_OBJECT ||
           type == PMS_TYPE_NO_SUCH_INSTANCE || type == PMS_TYPE_END_OF_MIB_VIEW;
}

// The library's arcs of an identifier; false for one that is empty,
// malformed or longer than the library takes.
bool library_arcs(const IPmsOid* name, oid* arcs, size_t* count) {
    pmc_ulong read[MAX_OID_LEN];
    pmc_ulong length = 0;
    if (pms_oid_read_arcs(name, read, MAX_OID_LEN, &length) != PMC_S_OK || length == 0) {
        return false;
    }
    for (pmc_ulong i = 0; i < length; ++i) arcs[i] = read[i];
    *count = length;
    return true;
}

}  // namespace

pmc_long pms_v3_pdu_command(pmc_long type, int* command) {
    switch (type) {
    case PMS_PDU_GET: *command = SNMP_MSG_GET; return PMC_S_OK;
    case PMS_PDU_GET_NEXT: *command = SNMP_MSG_GETNEXT; return PMC_S_OK;
    case PMS_PDU_SET: *command = SNMP_MSG_SET; return PMC_S_OK;
    case PMS_PDU_TRAP: *command = SNMP_MSG_TRAP2; return PMC_S_OK;
    // Bulk walks speak SNMPv3 too; the repeaters ride in the error fields.
    case PMS_PDU_GET_BULK: *command = SNMP_MSG_GETBULK; return PMC_S_OK;
    default: return PMC_E_INVALID_ARG;
    }
}

char pms_v3_type_letter(pmc_long value_type) {
    for (const TypeLetter& entry : kTypeLetters) {
        if (entry.type == value_type) return entry.letter;
    }
    return 0;
}

V3RequestBuilder::~V3RequestBuilder() {
    {
        LibraryGuard guard(pms_v3_library_lock());
        if (pdu_ != nullptr) snmp_free_pdu(pdu_);
    }
    if (keep_ && session_) V3SessionPool::process().give_back(pool_key_, std::move(session_));
}

netsnmp_pdu* V3RequestBuilder::detach_pdu() {
    netsnmp_pdu* pdu = pdu_;
    pdu_ = nullptr;
    return pdu;
}

pmc_long V3RequestBuilder::open(IPmsSnmpTarget* target, const V3Engine* engine,
                                const std::string* agent) {
    if (!probe_ && agent != nullptr && engine != nullptr && !engine->id.empty()) {
        const pmc_long status = pms_v3_pool_key(target, *agent, *engine, &pool_key_);
        if (status != PMC_S_OK) return status;
        session_ = V3SessionPool::process().take(pool_key_);
        if (session_ && session_->reuse(target) == PMC_S_OK) return PMC_S_OK;
    }
    session_.reset(new (std::nothrow) V3OpenSession());
    if (!session_) return PMC_E_NO_MEMORY;
    return session_->open(target, engine, probe_);
}

pmc_long V3RequestBuilder::build(IPmsPdu* pdu) {
    if (probe_) return build_probe();
    int command = 0;
    pmc_long status = pms_v3_pdu_command(pdu->get_type(), &command);
    if (status != PMC_S_OK) return status;
    {
        LibraryGuard guard(pms_v3_library_lock());
        pdu_ = snmp_pdu_create(command);
    }
    if (pdu_ == nullptr) {
        pms_v3_report_failure("snmp_pdu_create", handle());
        return PMC_E_NO_MEMORY;
    }
    if (command == SNMP_MSG_GETBULK) {
        pdu_->non_repeaters = pdu->get_error_status();
        pdu_->max_repetitions = pdu->get_error_index();
    }
    IPmsVarBindList* list = pdu->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    for (pmc_ulong i = 0; i < count; ++i) {
        status = add_binding(list->get_at(i));
        if (status != PMC_S_OK) return status;
    }
    return PMC_S_OK;
}

pmc_long V3RequestBuilder::build_probe() {
    LibraryGuard guard(pms_v3_library_lock());
    // RFC 3414 4: a noAuthNoPriv request with an empty user and engine
    // identifier, answered by a report that carries the engine identifier.
    pdu_ = snmp_pdu_create(SNMP_MSG_GET);
    if (pdu_ == nullptr) {
        pms_v3_report_failure("snmpv3_build_probe_pdu", handle());
        return PMC_E_NO_MEMORY;
    }
    pdu_->version = SNMP_VERSION_3;
    pdu_->securityName = strdup("");
    pdu_->securityNameLen = 0;
    pdu_->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    pdu_->securityModel = SNMP_SEC_MODEL_USM;
    return PMC_S_OK;
}

pmc_long V3RequestBuilder::add_binding(IPmsVarBind* binding) {
    if (binding == nullptr || binding->get_oid() == nullptr) return PMC_E_INVALID_ARG;
    size_t length = 0;
    if (!library_arcs(binding->get_oid(), name_, &length)) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    LibraryGuard guard(pms_v3_library_lock());
    const IPmsValue* value = binding->get_value();
    if (carries_no_value(value)) {
        return snmp_add_null_var(pdu_, name_, length) != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    }
    const char letter = pms_v3_type_letter(value->get_type());
    if (letter == 0) return PMC_E_INVALID_ARG;
    pmc::Owned<IPmcByteString> value_text(value->get_text_new(&status));
    if (!value_text) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
    const char* chars = reinterpret_cast<const char*>(value_text->get_data());
    const int result = snmp_add_var(pdu_, name_, length, letter, chars != nullptr ? chars : "");
    if (result == SNMPERR_SUCCESS) return PMC_S_OK;
    pms_v3_report_failure("snmp_add_var", handle());
    return pms_v3_status_of_library_error(result);
}
