// The session each component writes to, and the enter/exit trace scope.
//
//   PmcTraceScope scope(pmc_snmp_log(), "CPmsRequestSession::send_sync");
//   pmc_snmp_log()->write_line(PMC_LOG_ERROR, "sendto failed (%d)", error);
#ifndef PMSNMP_COMPONENT_LOG_H
#define PMSNMP_COMPONENT_LOG_H

#include <atomic>

#include "log/log_session.h"
#include "log/spin_lock.h"

// The "snmp" and "socket" sessions. Never null; lent.
IPmcLogSession* pmc_snmp_log();
IPmcLogSession* pmc_socket_log();

// A component's static slot: asks the manager for its session once, under
// the slot's own lock. Constant-initialised and trivially destructible, so
// it works from any static constructor or destructor.
class PmcLogSlot {
public:
    constexpr explicit PmcLogSlot(const char* name) noexcept : name_(name) {}
    PmcLogSlot(const PmcLogSlot&) = delete;
    PmcLogSlot& operator=(const PmcLogSlot&) = delete;

    // The session, never null; lent.
    IPmcLogSession* get();

private:
    const char* name_;
    std::atomic<IPmcLogSession*> session_{nullptr};
    PmcSpinLock lock_;
};

// Writes "[name] enter." at Trace now and "[name] exit." when it goes out of
// scope, so every return path is traced. name must outlive the scope.
class PmcTraceScope {
public:
    PmcTraceScope(IPmcLogSession* session, const char* qualified_name);
    ~PmcTraceScope();
    PmcTraceScope(const PmcTraceScope&) = delete;
    PmcTraceScope& operator=(const PmcTraceScope&) = delete;

private:
    IPmcLogSession* session_;
    const char* name_;
};

#endif
