// The manager's implementation, for the log configuration and tests.
#ifndef PMSNMP_LOG_MANAGER_IMPL_H
#define PMSNMP_LOG_MANAGER_IMPL_H

#include <memory>
#include <mutex>
#include <vector>

#include <pmsnmp/owned.h>

#include "log/log_manager.h"
#include "log/log_ref_count.h"
#include "log/log_session_impl.h"

class CPmcLogManager final : public IPmcLogManager {
public:
    // A manager with the root session, the two factories and a "stdout"
    // writer; null without memory.
    static std::unique_ptr<CPmcLogManager> create();
    ~CPmcLogManager();
    CPmcLogManager(const CPmcLogManager&) = delete;
    CPmcLogManager& operator=(const CPmcLogManager&) = delete;

    IPmcLogSession* get_session(const char* name, IPmcLogWriter* writer,
                                pmc_long* status) override;
    IPmcLogSession* find_session(const char* name, pmc_long* status) override;
    IPmcLogWriter* create_writer(const char* type, const char* target,
                                 pmc_long* status) override;
    IPmcLogWriter* find_writer(const char* target) override;
    pmc_long register_writer_factory(IPmcLogWriterFactory* factory) override;

    // The root session "All"; lent.
    IPmcLogSessionGroup* root();
    // Gives the root and every session mask, flags and writer (null: none)
    // as their only writer.
    pmc_long configure(pmc_ulong mask, pmc_ulong flags, IPmcLogWriter* writer);

private:
    CPmcLogManager() = default;

    // All under lock_.
    IPmcLogSession* lookup_session(const char* name);
    IPmcLogWriter* lookup_writer(const char* target);
    IPmcLogWriterFactory* lookup_factory(const char* type);
    pmc_long remember(IPmcLogWriter* writer);

    std::mutex lock_;
    pmc::Owned<CPmcLogRootSession> root_;
    PmcRefList<CPmcLogSession> sessions_;
    PmcRefList<IPmcLogWriterFactory> factories_;
    PmcRefList<IPmcLogWriter> writers_;
    IPmcLogWriter* stdout_writer_ = nullptr;  // lent from writers_
};

// The process's manager (see pmc_log_manager).
CPmcLogManager* pmc_log_manager_impl();

#endif
