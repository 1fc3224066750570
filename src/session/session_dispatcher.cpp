#include "session/session_dispatcher.h"

#include <new>

#include "log/component_log.h"
#include "session/request_session.h"
#include "session/user_session.h"

SessionDispatcher* create_session_dispatcher(pmc_long* status) {
    SessionDispatcher* dispatcher = new (std::nothrow) SessionDispatcher();
    if (status != nullptr) *status = dispatcher != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return dispatcher;
}

SessionDispatcher::~SessionDispatcher() = default;

void SessionDispatcher::release() { delete this; }

IPmsSession* SessionDispatcher::select_session(IPmsSnmpTarget* target, pmc_long* status) {
    const pmc_long kind = target->translate_type();
    const pmc_long version = target->get_version();
    const bool community = kind == PMS_SECURITY_COMMUNITY &&
                           (version == PMS_VERSION_1 || version == PMS_VERSION_2C);
    const bool user_based = kind == PMS_SECURITY_USM && version == PMS_VERSION_3;
    if (!community && !user_based) {
        *status = PMC_E_INVALID_ARG;
        return nullptr;
    }
    if (user_based) return select_user_session(status);
    std::lock_guard<std::mutex> guard(lock_);
    if (!community_session_) {
        community_session_.reset(create_request_session(status));
        if (!community_session_) return nullptr;
    }
    *status = PMC_S_OK;
    return community_session_.get();
}

IPmsUserSession* SessionDispatcher::select_user_session(pmc_long* status) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!user_session_) {
        user_session_.reset(create_user_session(status));
        if (!user_session_) return nullptr;
    }
    *status = PMC_S_OK;
    return user_session_.get();
}

pmc_long SessionDispatcher::send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) {
    if (pdu == nullptr || target == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    IPmsSession* session = select_session(target, &status);
    return session != nullptr ? session->send_sync(pdu, target) : status;
}

pmc_long SessionDispatcher::send_sync_with_refusal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                                   PmsSecurityRefusal* refusal) {
    *refusal = PmsSecurityRefusal::kNone;
    if (pdu == nullptr || target == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    IPmsSession* session = select_session(target, &status);
    if (session == nullptr) return status;
    // A user-based kind was served by the user-based session.
    if (target->translate_type() != PMS_SECURITY_USM) return session->send_sync(pdu, target);
    return static_cast<IPmsUserSession*>(session)->send_sync_with_refusal(pdu, target, refusal);
}

pmc_long SessionDispatcher::send_sync(IPmsSnmpPacket* packet) {
    if (packet == nullptr) return PMC_E_INVALID_ARG;
    IPmsSnmpTarget* target = packet->get_target();
    if (target == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    IPmsSession* session = select_session(target, &status);
    return session != nullptr ? session->send_sync(packet) : status;
}

pmc_long SessionDispatcher::send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies) {
    if (packet == nullptr) return PMC_E_INVALID_ARG;
    IPmsSnmpTarget* target = packet->get_target();
    if (target == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    IPmsSession* session = select_session(target, &status);
    return session != nullptr ? session->send_broad_cast_sync(packet, replies) : status;
}

pmc_long SessionDispatcher::send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                                 IPmsSnmpPacketList** replies) {
    PmcTraceScope scope(pmc_snmp_log(), "SessionDispatcher::send_broad_cast_sync");
    if (pdu == nullptr || target == nullptr || replies == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    IPmsSession* session = select_session(target, &status);
    return session != nullptr ? session->send_broad_cast_sync(pdu, target, replies) : status;
}
