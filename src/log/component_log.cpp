#include "log/component_log.h"

#include <mutex>

#include "log/log_manager.h"
#include "log/null_log_objects.h"

namespace {

PmcLogSlot g_snmp_slot("snmp");
PmcLogSlot g_socket_slot("socket");

}  // namespace

IPmcLogSession* PmcLogSlot::get() {
    IPmcLogSession* session = session_.load(std::memory_order_acquire);
    if (session != nullptr) return session;
    std::lock_guard<PmcSpinLock> guard(lock_);
    session = session_.load(std::memory_order_relaxed);
    if (session != nullptr) return session;
    IPmcLogManager* manager = pmc_log_manager();
    if (manager == nullptr) return pmc_null_log_session();
    pmc_long status = PMC_E_FAIL;
    session = manager->get_session(name_, nullptr, &status);
    // A failure hands out the null session without keeping it, so that a
    // later line may try again.
    if (status != PMC_S_OK) return session;
    // Our own reference keeps the session for lines written while statics
    // are destroyed, after the manager has gone.
    session->add_ref();
    session_.store(session, std::memory_order_release);
    return session;
}

IPmcLogSession* pmc_snmp_log() { return g_snmp_slot.get(); }
IPmcLogSession* pmc_socket_log() { return g_socket_slot.get(); }

PmcTraceScope::PmcTraceScope(IPmcLogSession* session, const char* qualified_name)
    : session_(session), name_(qualified_name) {
    if (session_ != nullptr) session_->write_line(PMC_LOG_TRACE, "[%s] enter.", name_);
}

PmcTraceScope::~PmcTraceScope() {
    if (session_ != nullptr) session_->write_line(PMC_LOG_TRACE, "[%s] exit.", name_);
}
