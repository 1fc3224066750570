// What the line writers share: a target name, a reference count, the lock
// that keeps a line whole, and creation that fails without memory.
#ifndef PMSNMP_LOG_WRITER_BASE_H
#define PMSNMP_LOG_WRITER_BASE_H

#include <mutex>
#include <new>
#include <string>

#include "log/log_ref_count.h"
#include "log/log_writer.h"

template <class Interface>
class CPmcLogWriterBase : public Interface {
public:
    pmc_ulong add_ref() override { return refs_.add(); }
    pmc_ulong release() override {
        pmc_ulong left = refs_.drop();
        if (left == 0) delete this;
        return left;
    }
    const char* get_target() override { return target_.c_str(); }

protected:
    explicit CPmcLogWriterBase(const char* target) : target_(target) {}
    virtual ~CPmcLogWriterBase() = default;

    // A new Writer named target; null without memory or without a target.
    template <class Writer>
    static Writer* create_named(const char* target) {
        if (target == nullptr) return nullptr;
        try {
            return new Writer(target);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }

    std::mutex lock_;  // one whole line at a time, and what writing it needs

private:
    const std::string target_;
    PmcLogRefCount refs_;
};

#endif
