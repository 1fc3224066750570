// Writers take finished log lines; factories make them by type name.
#ifndef PMSNMP_LOG_WRITER_H
#define PMSNMP_LOG_WRITER_H

#include "log/log_object.h"

constexpr const char* PMC_LOG_WRITER_STDOUT = "stdout";
constexpr const char* PMC_LOG_WRITER_FILE = "file";

// Default size limit of a log file before it rotates to path + ".bak".
constexpr pmc_ulong PMC_LOG_FILE_MAX_SIZE_DEFAULT = 0x400000;

class IPmcLogWriter : public IPmcLogObject {
public:
    // "stdout" or "file"; lent.
    virtual const char* get_type_name() = 0;
    // The text the writer was created with (its lookup key); lent.
    virtual const char* get_target() = 0;
    // Writes one line (the writer adds the line end); 0 or a failure status.
    virtual pmc_long write_line(const char* text) = 0;

protected:
    ~IPmcLogWriter() = default;
};

// Settings of the file writer, reached through PMC_IID_LOG_FILE_SETTINGS.
class IPmcLogFileWriter : public IPmcLogWriter {
public:
    // Size in bytes the file may reach before it rotates.
    virtual pmc_long set_max_size(pmc_ulong max_size) = 0;
    // Copies path; the file is (re)opened on the next line. -2 for null.
    virtual pmc_long set_path(const char* path) = 0;

protected:
    ~IPmcLogFileWriter() = default;
};

// Makes writers of one type for the manager.
class IPmcLogWriterFactory : public IPmcLogObject {
public:
    virtual const char* get_type_name() = 0;
    // A new writer for target (the caller owns the reference), never null:
    // without a target, the type's null writer.
    virtual IPmcLogWriter* create_writer(const char* target, pmc_long* status) = 0;

protected:
    ~IPmcLogWriterFactory() = default;
};

#endif
