// The sessions the manager makes: ordinary named sessions and the root "All".
#ifndef PMSNMP_LOG_SESSION_IMPL_H
#define PMSNMP_LOG_SESSION_IMPL_H

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "log/log_ref_count.h"
#include "log/log_session.h"

// Everything both kinds share; Interface is the most derived interface.
template <class Interface>
class CPmcLogSessionImpl : public Interface {
public:
    pmc_long query_interface(const char* iid, void** out) override;
    pmc_ulong add_ref() override;
    pmc_ulong release() override;
    const char* get_name() override;
    pmc_long add_writer(IPmcLogWriter* writer) override;
    pmc_long set_level_mask(pmc_ulong mask) override;
    pmc_ulong get_level_mask() override;
    pmc_long set_indentation_depth(pmc_ulong depth) override;
    pmc_ulong get_indentation_depth() override;
    pmc_long set_line_flags(pmc_ulong flags) override;
    pmc_ulong get_line_flags() override;
    pmc_long set_radix(pmc_ulong radix) override;
    pmc_ulong get_radix() override;
    pmc_long reserved_operation() override;
    pmc_long write_line(pmc_long level, const char* format, ...) override PMC_LOG_PRINTF(3, 4);
    pmc_long write_line_v(pmc_long level, const char* format, va_list args) override
        PMC_LOG_PRINTF(3, 0);

    // Drops every writer (the log configuration replaces them).
    void clear_writers();

protected:
    explicit CPmcLogSessionImpl(const std::string& name);
    virtual ~CPmcLogSessionImpl();
    virtual bool accepts(const char* iid) const = 0;

    // A counted copy of the writers, for handing on without the lock.
    PmcRefList<IPmcLogWriter> copy_writers();

private:
    bool enabled(pmc_long level) const {
        return (mask_.load(std::memory_order_relaxed) & static_cast<pmc_ulong>(level)) != 0;
    }

    const std::string name_;
    PmcLogRefCount refs_;
    std::mutex lock_;  // formatting and dispatch of one line at a time
    // Atomic so that a disabled line can be dropped before taking the lock.
    std::atomic<pmc_ulong> mask_{0};
    pmc_ulong flags_ = PMC_LOG_FLAGS_DEFAULT;
    pmc_ulong radix_ = PMC_LOG_RADIX_DECIMAL;
    pmc_ulong depth_ = 0;
    std::string indentation_;
    PmcRefList<IPmcLogWriter> writers_;
};

class CPmcLogSession final : public CPmcLogSessionImpl<IPmcLogSession> {
public:
    // A new session with the default settings, or null without memory or
    // without a name.
    static CPmcLogSession* create(const char* name);

protected:
    bool accepts(const char* iid) const override;

private:
    using CPmcLogSessionImpl::CPmcLogSessionImpl;
};

class CPmcLogRootSession final : public CPmcLogSessionImpl<IPmcLogSessionGroup> {
public:
    static CPmcLogRootSession* create();

    pmc_long add_session(IPmcLogSession* session) override;

protected:
    bool accepts(const char* iid) const override;

private:
    using CPmcLogSessionImpl::CPmcLogSessionImpl;
};

#endif
