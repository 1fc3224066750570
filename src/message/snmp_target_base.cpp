#include "message/snmp_target_base.h"

IPmsSnmpTarget* CPmsSnmpTargetBase::clone(pmc_long* status) {
    pmc_long result = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> copy(create_same_kind(&result));
    if (copy) result = copy->copy_from(this);
    if (status != nullptr) *status = result;
    return result == PMC_S_OK ? copy.release() : nullptr;
}

pmc_long CPmsSnmpTargetBase::copy_from(IPmsSnmpTarget* source) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    if (source == this) return PMC_S_OK;
    const pmc_long status = set_address(source->get_address());
    if (status != PMC_S_OK) return status;
    version_ = source->get_version();
    timeout_ms_ = source->get_timeout();
    retries_ = source->get_retries();
    max_message_size_ = source->get_max_message_size();
    port_ = source->get_port();
    return copy_credentials(source);
}

void CPmsSnmpTargetBase::query_interface(pmc_long id, void** out) {
    if (out == nullptr) return;
    switch (id) {
    case PMS_IID_SNMP_TARGET:
        *out = static_cast<IPmsSnmpTarget*>(this);
        break;
    case PMS_IID_TARGET_BASE:
        *out = this;
        break;
    default:
        *out = kind_interface(id);
        break;
    }
}

pmc_long CPmsSnmpTargetBase::set_address(CPmcNetworkAddress* address) {
    if (address == nullptr) {
        address_.reset();
        return PMC_S_OK;
    }
    if (address == address_.get()) return PMC_S_OK;
    // Cloned before the old one goes, so that a failure keeps it.
    CPmcNetworkAddress* copy = nullptr;
    const pmc_long status = address->clone(&copy);
    if (status != PMC_S_OK) {
        if (copy != nullptr) copy->release();
        return status;
    }
    if (copy == nullptr) return PMC_E_NO_MEMORY;
    address_.reset(copy);
    return PMC_S_OK;
}
