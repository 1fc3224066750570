#include "snmp_agent.h"

#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"
#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "net/network_address.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

#include <optional>

namespace pmtool {

namespace {

// A walk stops here even if the agent never ends its subtree.
constexpr int kMaxWalkSteps = 100000;

std::string text_of(const IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcByteString> text(value->get_text_new(&status));
    if (!text || status != PMC_S_OK || text->get_length() == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(text->get_data()), text->get_length());
}

std::string bytes_of(const IPmsValue* value) {
    pmc_ulong length = 0;
    pmc_long status = PMC_S_OK;
    const unsigned char* data = value->get_bytes(&length, &status);
    if (data == nullptr || status != PMC_S_OK) return std::string();
    return std::string(reinterpret_cast<const char*>(data), length);
}

Binding to_binding(const IPmsVarBind* source) {
    Binding binding;
    if (source->get_oid() != nullptr) binding.oid = strip_dot(text_of(source->get_oid()));
    IPmsValue* value = source->get_value();
    if (value == nullptr) return binding;
    binding.type = value->get_type();
    switch (binding.type) {
    case PMS_TYPE_INTEGER:
        binding.number = value->get_int(nullptr);
        break;
    case PMS_TYPE_COUNTER32:
    case PMS_TYPE_GAUGE32:
    case PMS_TYPE_TIME_TICKS:
        binding.number = value->get_uint(nullptr);
        break;
    case PMS_TYPE_COUNTER64:
        binding.number = static_cast<std::int64_t>((static_cast<std::uint64_t>(value->get_uint_high(nullptr)) << 32) |
                                                   value->get_uint_low(nullptr));
        break;
    case PMS_TYPE_OCTET_STRING:
    case PMS_TYPE_OPAQUE:
    case PMS_TYPE_IP_ADDRESS:
        binding.octets = bytes_of(value);
        break;
    case PMS_TYPE_OID:
        binding.oid_value = strip_dot(text_of(value));
        break;
    default:
        binding.octets = text_of(value);
        break;
    }
    return binding;
}

Binding absent_binding(const std::string& oid) {
    Binding binding;
    binding.oid = oid;
    binding.type = PMS_TYPE_NO_SUCH_OBJECT;
    return binding;
}

pmc_long add_oid(IPmsPdu* pdu, const std::string& text, IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    IPmsOid* oid = pms_create_oid_from_text(text.c_str(), &status);
    if (oid == nullptr) {
        if (value != nullptr) value->release();
        return status;
    }
    return pdu->add_varbind(oid, value);
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

pmc_long SnmpAgent::make_target(IPmsSnmpTarget** out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<CPmcNetworkAddress> address(pmc_create_network_address(&status));
    if (!address) return status;
    status = address->assign(options_.host.address.c_str(), options_.host.kind, options_.host.port);
    if (status != PMC_S_OK) return status;

    const bool user_based = options_.version == PMS_VERSION_3;
    pmc::Owned<IPmsSnmpTarget> target(user_based ? create_v3_target(&status) : create_community_target(&status));
    if (!target) return status;
    target->set_timeout(options_.timeout_ms);
    target->set_retries(options_.retries);
    target->set_version(options_.version);
    status = target->set_address(address.get());
    if (status != PMC_S_OK) return status;
    target->set_max_message_size(
        static_cast<pmc_long>(CPmcGetData::message_size_limit(options_.host.kind, options_.max_size)));
    void* facet = nullptr;
    if (user_based) {
        target->query_interface(PMS_IID_V3_TARGET, &facet);
        auto* v3 = static_cast<IPmsV3Target*>(facet);
        if (v3 == nullptr) return PMC_E_FAIL;
        status = v3->set_user_name(options_.user.c_str());
        if (status != PMC_S_OK) return status;
        v3->set_security_level(options_.security_level);
        v3->set_auth_protocol(options_.auth_protocol);
        v3->set_priv_protocol(options_.priv_protocol);
        v3->set_auth_pass_phrase(options_.auth_pass.c_str());
        v3->set_priv_pass_phrase(options_.priv_pass.c_str());
        v3->set_context_name(options_.context.c_str());
    } else {
        target->query_interface(PMS_IID_COMMUNITY_TARGET, &facet);
        auto* community = static_cast<IPmsCommunityTarget*>(facet);
        if (community == nullptr) return PMC_E_FAIL;
        status = community->set_community(options_.community.c_str());
        if (status != PMC_S_OK) return status;
    }
    *out = target.release();
    return PMC_S_OK;
}

pmc_long SnmpAgent::exchange(IPmsPdu* pdu, pmc_long type) {
    IPmsSnmpTarget* raw_target = nullptr;
    pmc_long status = make_target(&raw_target);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmsSnmpTarget> target(raw_target);
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&status));
    if (!dispatcher) return status;
    pdu->set_type(type);
    return dispatcher->send_sync(pdu, target.get());
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

pmc_long SnmpAgent::get_reporting(const std::vector<std::string>& oids, bool ask_again, Bindings* out,
                                  std::vector<AgentError>* errors) {
    return get_bindings(oids, errors, ask_again, out);
}

pmc_long SnmpAgent::get_bindings(const std::vector<std::string>& oids, std::vector<AgentError>* errors,
                                 bool ask_again, Bindings* out) {
    std::vector<std::string> asked;
    for (const std::string& text : oids) {
        asked.push_back(normalize_oid(text));
        if (asked.back().empty()) {
            reason_ = "bad OID '" + text + "': expected numeric form such as 1.3.6.1.2.1.1.5.0";
            return PMC_E_INVALID_ARG;
        }
    }
    std::vector<std::optional<Binding>> results(asked.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < asked.size(); ++i) pending.push_back(i);

    // An error status answers for the whole request: drop the binding it
    // names and ask again for the rest. Without errors to report, SNMPv1's
    // noSuchName just marks the object absent.
    while (!pending.empty()) {
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
        if (!pdu) return fail(status);
        std::vector<std::string> names;
        for (const std::size_t i : pending) {
            names.push_back(asked[i]);
            status = add_oid(pdu.get(), asked[i], nullptr);
            if (status != PMC_S_OK) return fail(status);
        }
        status = exchange(pdu.get(), PMS_PDU_GET);
        if (status != PMC_S_OK) return fail(status);
        const pmc_long error = pdu->get_error_status();
        const pmc_long index = pdu->get_error_index();
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
        IPmsVarBindList* list = pdu->get_varbind_list();
        if (list == nullptr || list->count() != pending.size()) {
            reason_ = "the agent's answer does not match the request";
            return PMC_E_FAIL;
        }
        for (std::size_t i = 0; i < pending.size(); ++i)
            results[pending[i]] = to_binding(list->get_at(static_cast<pmc_ulong>(i)));
        pending.clear();
    }
    out->clear();
    for (std::optional<Binding>& result : results)
        if (result) out->push_back(std::move(*result));
    return PMC_S_OK;
}

pmc_long SnmpAgent::walk(const std::string& root_text, Bindings* out) {
    const std::string root = normalize_oid(root_text);
    if (root.empty()) {
        reason_ = "bad OID '" + root_text + "': expected numeric form such as 1.3.6.1.2.1.43";
        return PMC_E_INVALID_ARG;
    }
    out->clear();
    // The facade's community targets speak SNMPv1 only.
    return options_.version == PMS_VERSION_2C ? walk_with_get_next(root, out) : walk_with_facade(root, out);
}

pmc_long SnmpAgent::walk_with_facade(const std::string& root, Bindings* out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcGetData> data(pmc_create_get_data(&status));
    if (!data) return fail(status);
    data->set_community(options_.community.c_str());
    status = data->open(options_.host.address.c_str(), options_.host.kind, options_.host.port,
                        options_.version == PMS_VERSION_3 ? PMS_VERSION_3 : PMS_VERSION_1,
                        options_.user.c_str(), options_.security_level, options_.auth_protocol,
                        options_.priv_protocol, options_.auth_pass.c_str(), options_.priv_pass.c_str(),
                        options_.context.c_str(), options_.timeout_ms, options_.retries, options_.max_size);
    if (status != PMC_S_OK) return fail(status);
    // The walk sends its PDU as it stands: it starts from the root itself.
    status = data->add_get_variable(root.c_str(), false);
    if (status != PMC_S_OK) return fail(status);
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(&status));
    if (!responses) return fail(status);
    status = data->walk(responses.get(), root.c_str());
    if (status == PMC_E_FAIL) {
        reason_ = "the walk of ." + root + " failed: the agent answered an error, or its answers did not advance";
        return status;
    }
    if (status != PMC_S_OK) return fail(status);
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(&status);
    if (it == nullptr) return fail(status);
    for (IPmsPdu* pdu = responses->current(it); pdu != nullptr; responses->next(it), pdu = responses->current(it)) {
        IPmsVarBindList* list = pdu->get_varbind_list();
        if (list != nullptr && list->count() > 0) out->push_back(to_binding(list->get_at(0)));
    }
    responses->release_iterator(it);
    return PMC_S_OK;
}

pmc_long SnmpAgent::walk_with_get_next(const std::string& root, Bindings* out) {
    std::string current = root;
    for (int step = 0; step < kMaxWalkSteps; ++step) {
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
        if (!pdu) return fail(status);
        status = add_oid(pdu.get(), current, nullptr);
        if (status != PMC_S_OK) return fail(status);
        status = exchange(pdu.get(), PMS_PDU_GET_NEXT);
        if (status != PMC_S_OK) return fail(status);
        const pmc_long error = pdu->get_error_status();
        if (error == PMS_ERR_NO_SUCH_NAME) return PMC_S_OK;
        if (error != PMS_ERR_NO_ERROR) return agent_error(error, pdu->get_error_index(), {current});
        IPmsVarBindList* list = pdu->get_varbind_list();
        if (list == nullptr || list->count() == 0) return PMC_S_OK;
        Binding binding = to_binding(list->get_at(0));
        if (binding.type == PMS_TYPE_END_OF_MIB_VIEW || !oid_is_below(binding.oid, root)) return PMC_S_OK;
        if (compare_oids(binding.oid, current) <= 0) {
            reason_ = "the agent's answers do not increase after ." + current;
            return PMC_E_FAIL;
        }
        current = binding.oid;
        out->push_back(std::move(binding));
    }
    reason_ = "the walk of ." + root + " did not end within " + std::to_string(kMaxWalkSteps) + " steps";
    return PMC_E_FAIL;
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
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
    if (!pdu) return fail(status);
    IPmsValue* number = pms_create_value_from_int(value, PMS_TYPE_INTEGER, &status);
    if (number == nullptr) return fail(status);
    status = add_oid(pdu.get(), oid, number);
    if (status != PMC_S_OK) return fail(status);
    // The facade's set() reports readOnly and badValue as success; the tool
    // must say when the agent refused, so it reads the error status itself.
    status = exchange(pdu.get(), PMS_PDU_SET);
    if (status != PMC_S_OK) return fail(status);
    if (pdu->get_error_status() != PMS_ERR_NO_ERROR)
        return agent_error(pdu->get_error_status(), pdu->get_error_index(), {oid});
    if (written != nullptr) *written = oid;
    return PMC_S_OK;
}

}  // namespace pmtool
