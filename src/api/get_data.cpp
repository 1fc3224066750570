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
    auto text = [](const char* s) { return s != nullptr ? s : ""; };
    NPmcClient::TargetOptions options;
    options.address = address;
    options.address_kind = address_kind;
    options.port = port;
    // Community requests always go out as SNMPv1, whatever version was asked.
    options.version = version == PMS_VERSION_3 ? PMS_VERSION_3 : PMS_VERSION_1;
    options.community = community_;
    options.security_name = text(security_name);
    options.security_level = security_level;
    options.auth_protocol = auth_protocol;
    options.priv_protocol = priv_protocol;
    options.auth_pass_phrase = text(auth_pass_phrase);
    options.priv_pass_phrase = text(priv_pass_phrase);
    options.context_name = text(context_name);
    options.timeout_ms = timeout_ms;
    options.retries = retries;
    options.max_message_size = max_message_size;

    pmc::Owned<CPmcNetworkAddress> agent;
    pmc_long status = NPmcClient::make_address(options, &agent);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmsSnmpTarget> target;
    status = NPmcClient::make_target(options, agent.get(), &target);
    if (status != PMC_S_OK) return status;

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
