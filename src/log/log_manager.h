// The process-wide log manager: sessions by name, writers by target.
#ifndef PMSNMP_LOG_MANAGER_H
#define PMSNMP_LOG_MANAGER_H

#include "log/log_session.h"

constexpr const char* PMC_LOG_ROOT_SESSION = "All";

// Every pointer the manager returns is lent: the manager keeps its objects
// until the process exits (add_ref to keep one longer). It never returns
// null: failures answer a null object and a status.
class IPmcLogManager {
public:
    // The session named name (case-sensitive), created from the root's
    // settings (plus writer, when given) if it does not exist yet.
    virtual IPmcLogSession* get_session(const char* name, IPmcLogWriter* writer,
                                        pmc_long* status) = 0;
    // An existing session; -6 and the null session when there is none.
    virtual IPmcLogSession* find_session(const char* name, pmc_long* status) = 0;
    // A writer of type (null: "stdout") for target, shared with any earlier
    // request for the same target and type.
    virtual IPmcLogWriter* create_writer(const char* type, const char* target,
                                         pmc_long* status) = 0;
    // The writer made for target; the "stdout" writer when there is none.
    virtual IPmcLogWriter* find_writer(const char* target) = 0;
    // Adds a reference to factory; it replaces one of the same type name.
    virtual pmc_long register_writer_factory(IPmcLogWriterFactory* factory) = 0;

protected:
    ~IPmcLogManager() = default;
};

// The manager, created on first use and destroyed at process exit. Null
// only once exit has destroyed it.
IPmcLogManager* pmc_log_manager();

#endif
