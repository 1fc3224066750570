// Writes each line to standard output.
#ifndef PMSNMP_STDOUT_LOG_WRITER_H
#define PMSNMP_STDOUT_LOG_WRITER_H

#include <mutex>
#include <string>

#include "log/log_ref_count.h"
#include "log/log_writer.h"

class CPmcStdoutLogWriter final : public IPmcLogWriter {
public:
    // A new writer named target; null without memory or without a target.
    static CPmcStdoutLogWriter* create(const char* target);

    pmc_long query_interface(const char* iid, void** out) override;
    pmc_ulong add_ref() override;
    pmc_ulong release() override;
    const char* get_type_name() override;
    const char* get_target() override;
    pmc_long write_line(const char* text) override;

private:
    explicit CPmcStdoutLogWriter(const char* target) : target_(target) {}
    virtual ~CPmcStdoutLogWriter() = default;

    const std::string target_;
    PmcLogRefCount refs_;
    std::mutex lock_;  // one whole line at a time
};

// The "stdout" factory; a missing name gives the null standard writer.
IPmcLogWriterFactory* pmc_new_stdout_log_writer_factory();

#endif
