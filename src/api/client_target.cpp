#include "api/client_target.h"

#include <utility>

#include "message/snmp_target.h"
#include "net/network_address.h"

namespace NPmcClient {

namespace {

pmc_long make_v3_target(const TargetOptions& options, CPmcNetworkAddress* address,
                        pmc::Owned<IPmsSnmpTarget>* out) {
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
    // A name beyond 32 characters is refused, not cut: a cut name would
    // speak for another user.
    status = v3->set_user_name(options.security_name.c_str());
    if (status != PMC_S_OK) return status;
    v3->set_security_level(options.security_level);
    v3->set_auth_protocol(options.auth_protocol);
    v3->set_priv_protocol(options.priv_protocol);
    v3->set_auth_pass_phrase(options.auth_pass_phrase.c_str());
    v3->set_priv_pass_phrase(options.priv_pass_phrase.c_str());
    v3->set_context_name(options.context_name.c_str());
    *out = std::move(target);
    return PMC_S_OK;
}

pmc_long make_community_target(const TargetOptions& options, CPmcNetworkAddress* address,
                               pmc::Owned<IPmsSnmpTarget>* out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(&status));
    if (!target) return status;
    target->set_version(options.version);
    void* view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
    auto* community = static_cast<IPmsCommunityTarget*>(view);
    if (community == nullptr) return PMC_E_INVALID_ARG;
    status = community->set_community(options.community.c_str());
    if (status != PMC_S_OK) return status;
    status = target->set_address(address);
    if (status != PMC_S_OK) return status;
    *out = std::move(target);
    return PMC_S_OK;
}

}  // namespace

pmc_ulong message_size_limit(pmc_long address_kind, pmc_ulong requested) {
    const bool ip = address_kind == PMC_ADDRESS_IPV4 || address_kind == PMC_ADDRESS_IPV6;
    const pmc_ulong limit = ip ? PMC_MAX_MESSAGE_IP : PMC_MAX_MESSAGE_OTHER;
    return (requested == 0 || requested > limit) ? limit : requested;
}

pmc_long make_address(const TargetOptions& options, pmc::Owned<CPmcNetworkAddress>* out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<CPmcNetworkAddress> address(pmc_create_network_address(&status));
    if (!address) return status;
    status = address->assign(options.address.c_str(), options.address_kind, options.port);
    if (status != PMC_S_OK) return status;
    *out = std::move(address);
    return PMC_S_OK;
}

pmc_long make_target(const TargetOptions& options, CPmcNetworkAddress* address,
                     pmc::Owned<IPmsSnmpTarget>* out) {
    pmc::Owned<IPmsSnmpTarget> target;
    const pmc_long status = options.version == PMS_VERSION_3
                                ? make_v3_target(options, address, &target)
                                : make_community_target(options, address, &target);
    if (status != PMC_S_OK) return status;
    target->set_timeout(options.timeout_ms);
    target->set_retries(options.retries);
    const pmc_ulong size = message_size_limit(address->get_kind(), options.max_message_size);
    target->set_max_message_size(static_cast<pmc_long>(size));
    *out = std::move(target);
    return PMC_S_OK;
}

pmc_long make_target(const TargetOptions& options, pmc::Owned<IPmsSnmpTarget>* out) {
    pmc::Owned<CPmcNetworkAddress> address;
    const pmc_long status = make_address(options, &address);
    if (status != PMC_S_OK) return status;
    return make_target(options, address.get(), out);
}

}  // namespace NPmcClient
