// Writes each line to standard output.
#ifndef PMSNMP_STDOUT_LOG_WRITER_H
#define PMSNMP_STDOUT_LOG_WRITER_H

#include "log/log_writer_base.h"

class CPmcStdoutLogWriter final : public CPmcLogWriterBase<IPmcLogWriter> {
public:
    // A new writer named target; null without memory or without a target.
    static CPmcStdoutLogWriter* create(const char* target);

    pmc_long query_interface(const char* iid, void** out) override;
    const char* get_type_name() override;
    pmc_long write_line(const char* text) override;

private:
    friend class CPmcLogWriterBase<IPmcLogWriter>;
    explicit CPmcStdoutLogWriter(const char* target) : CPmcLogWriterBase(target) {}
    ~CPmcStdoutLogWriter() override = default;
};

// The "stdout" factory; a missing name gives the null standard writer.
IPmcLogWriterFactory* pmc_new_stdout_log_writer_factory();

#endif
