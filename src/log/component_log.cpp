#include "log/component_log.h"

#include "log/null_log_objects.h"

namespace {

PmcLogSlot g_snmp_slot("snmp");
PmcLogSlot g_socket_slot("socket");

}  // namespace

IPmcLogSession* PmcLogSlot::get() {
    IPmcLogSession* session = session_.load(std::memory_order_acquire);
    if (session != nullptr) return session;
    return pmc_null_log_session();
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
