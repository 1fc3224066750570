// Appends lines to a file that rotates to path + ".bak" at its size limit.
#ifndef PMSNMP_FILE_LOG_WRITER_H
#define PMSNMP_FILE_LOG_WRITER_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "log/log_writer_base.h"

class CPmcFileLogWriter final : public CPmcLogWriterBase<IPmcLogFileWriter> {
public:
    // A new writer named target with no path yet; null without memory or
    // without a target.
    static CPmcFileLogWriter* create(const char* target);

    pmc_long query_interface(const char* iid, void** out) override;
    const char* get_type_name() override;
    // -10 when the file cannot be opened, -7 when the line could never fit
    // the size limit (the file is left as it is).
    pmc_long write_line(const char* text) override;
    pmc_long set_max_size(pmc_ulong max_size) override;
    pmc_long set_path(const char* path) override;

private:
    friend class CPmcLogWriterBase<IPmcLogFileWriter>;
    explicit CPmcFileLogWriter(const char* target) : CPmcLogWriterBase(target) {}
    ~CPmcFileLogWriter() override;

    pmc_long open_for_append();
    pmc_long rotate();
    void close();

    // lock_ guards everything below.
    std::string path_;
    std::uint64_t max_size_ = PMC_LOG_FILE_MAX_SIZE_DEFAULT;
    std::uint64_t size_ = 0;
    std::FILE* file_ = nullptr;
};

// The "file" factory; a missing target gives the null file writer.
IPmcLogWriterFactory* pmc_new_file_log_writer_factory();

#endif
