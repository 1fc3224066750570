// Lifecycle, open and request building of the get-data facade.
#include "api/get_data.h"

#include <cstring>
#include <utility>

#include "message/pdu_factory.h"
#include "value/value_factory.h"

CPmcGetData::CPmcGetData() {
    std::strcpy(community_, PMC_DEFAULT_COMMUNITY);
}

CPmcGetData::~CPmcGetData() = default;

void CPmcGetData::release() {
    delete this;
}

void CPmcGetData::set_community(const char* community) {
    if (community == nullptr) return;
    // A cut community would be another credential sent to the agent.
    const std::size_t length = std::strlen(community);
    if (length >= PMC_COMMUNITY_CAPACITY) return;
    std::memcpy(community_, community, length + 1);
}

IPmsSnmpTarget* CPmcGetData::current_target() const {
    return version_ == PMS_VERSION_3 ? v3_target_.get() : community_target_.get();
}

pmc_ulong CPmcGetData::message_size_limit(pmc_long address_kind, pmc_ulong requested) {
    const bool ip = address_kind == PMC_ADDRESS_IPV4 || address_kind == PMC_ADDRESS_IPV6;
    const pmc_ulong limit = ip ? PMC_MAX_MESSAGE_IP : PMC_MAX_MESSAGE_OTHER;
    return (requested == 0 || requested > limit) ? limit : requested;
}

pmc_long CPmcGetData::open(const char* address, pmc_long address_kind, unsigned short port,
                           pmc_long version, const char* security_name, pmc_long security_level,
                           pmc_long auth_protocol, pmc_long priv_protocol,
                           const char* auth_pass_phrase, const char* priv_pass_phrase,
                           const char* context_name, pmc_long timeout_ms, pmc_long retries,
                           pmc_ulong max_message_size) {
    // A request that may not wait, or is tried less than once, cannot get an
    // answer: refuse it here instead of failing every request later.
    if (address == nullptr || timeout_ms <= 0 || retries < 0) return PMC_E_INVALID_ARG;

    // Everything is built aside and taken over only on success, so a failed
    // (re)open never leaves a half-built object behind.
    pmc_long status = PMC_S_OK;
    pmc::Owned<CPmcNetworkAddress> agent(pmc_create_network_address(&status));
    if (!agent) return status;
    status = agent->assign(address, address_kind, port);
    if (status != PMC_S_OK) return status;
    const pmc_ulong size = message_size_limit(agent->get_kind(), max_message_size);

    pmc::Owned<IPmsSnmpTarget> target;
    if (version == PMS_VERSION_3) {
        status = open_v3_target(&target, agent.get(), security_name, security_level,
                                 auth_protocol, priv_protocol, auth_pass_phrase,
                                 priv_pass_phrase, context_name);
    } else {
        status = open_community_target(&target, agent.get());
    }
    if (status != PMC_S_OK) return status;
    target->set_timeout(timeout_ms);
    target->set_retries(retries);
    target->set_max_message_size(static_cast<pmc_long>(size));

    pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
    if (!pdu) return status;

    address_ = std::move(agent);
    pdu_ = std::move(pdu);
    version_ = version;
    error_status_ = PMS_ERR_NO_ERROR;
    error_index_ = 0;
    if (version == PMS_VERSION_3) {
        v3_target_ = std::move(target);
        community_target_.reset();
    } else {
        community_target_ = std::move(target);
        v3_target_.reset();
    }
    return PMC_S_OK;
}

pmc_long CPmcGetData::open_v3_target(pmc::Owned<IPmsSnmpTarget>* out,
                                      CPmcNetworkAddress* address, const char* security_name,
                                      pmc_long security_level, pmc_long auth_protocol,
                                      pmc_long priv_protocol, const char* auth_pass_phrase,
                                      const char* priv_pass_phrase, const char* context_name) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> target(create_v3_target(&status));
    if (!target) return status;
    target->set_version(PMS_VERSION_3);
    status = target->set_address(address);
    if (status != PMC_S_OK) return status;
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    if (v3 == nullptr) return PMC_E_INVALID_ARG;
    auto text = [](const char* s) { return s != nullptr ? s : ""; };
    // A name beyond 32 characters is refused, not cut: a cut name would
    // speak for another user.
    status = v3->set_user_name(text(security_name));
    if (status != PMC_S_OK) return status;
    v3->set_security_level(security_level);
    v3->set_auth_protocol(auth_protocol);
    v3->set_priv_protocol(priv_protocol);
    v3->set_auth_pass_phrase(text(auth_pass_phrase));
    v3->set_priv_pass_phrase(text(priv_pass_phrase));
    v3->set_context_name(text(context_name));
    *out = std::move(target);
    return PMC_S_OK;
}

pmc_long CPmcGetData::open_community_target(pmc::Owned<IPmsSnmpTarget>* out,
                                             CPmcNetworkAddress* address) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(&status));
    if (!target) return status;
    // Community requests always go out as SNMPv1, whatever version was asked.
    target->set_version(PMS_VERSION_1);
    void* view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
    auto* community = static_cast<IPmsCommunityTarget*>(view);
    if (community == nullptr) return PMC_E_INVALID_ARG;
    status = community->set_community(community_);
    if (status != PMC_S_OK) return status;
    status = target->set_address(address);
    if (status != PMC_S_OK) return status;
    *out = std::move(target);
    return PMC_S_OK;
}

pmc_long CPmcGetData::add_get_variable(const char* oid, bool scalar) {
    if (!is_open()) return PMC_E_NOT_OPEN;
    // The factory turns null into the empty identifier, which no agent knows.
    if (oid == nullptr || *oid == '\0') return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> name(pms_create_oid_from_text(oid, &status));
    if (!name) return status;
    if (scalar) {
        status = name->append_text("0");
        if (status != PMC_S_OK) return status;
    }
    // A failed add takes nothing: the name stays ours to release.
    status = pdu_->add_varbind(name.get(), nullptr);
    if (status == PMC_S_OK) name.release();
    return status;
}

pmc_long CPmcGetData::add_set_variable(const char* oid, const char* instance, pmc_long value) {
    if (!is_open()) return PMC_E_NOT_OPEN;
    if (oid == nullptr || *oid == '\0') return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> name(pms_create_oid_from_text(oid, &status));
    if (!name) return status;
    pmc::Owned<IPmsValue> number(pms_create_value_from_int(value, PMS_TYPE_INTEGER, &status));
    if (!number) return status;
    status = name->append_text(instance);
    if (status != PMC_S_OK) return status;
    // append_text does not check the instance; "1..2" would reach the wire.
    if (!name->is_valid()) return PMC_E_INVALID_ARG;
    status = pdu_->add_varbind(name.get(), number.get());
    if (status == PMC_S_OK) {
        name.release();
        number.release();
    }
    return status;
}

pmc_long CPmcGetData::get_address_kind(const char* address, pmc_long* kind) {
    if (address == nullptr || kind == nullptr) return PMC_E_INVALID_ARG;
    return pmc_address_kind_of_text(address, kind);
}
