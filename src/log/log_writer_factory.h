// A writer factory for one type: a function that makes the real writer,
// and the null writer of the type for when there is no target or no memory.
#ifndef PMSNMP_LOG_WRITER_FACTORY_H
#define PMSNMP_LOG_WRITER_FACTORY_H

#include <string>

#include "log/log_ref_count.h"
#include "log/log_writer.h"

class CPmcLogWriterFactory final : public IPmcLogWriterFactory {
public:
    // make returns a new writer for a non-empty target, or null.
    using MakeWriter = IPmcLogWriter* (*)(const char* target);

    // A new factory, or null without memory.
    static CPmcLogWriterFactory* create(const char* type, IPmcLogWriter* null_writer,
                                        MakeWriter make);

    pmc_long query_interface(const char* iid, void** out) override;
    pmc_ulong add_ref() override;
    pmc_ulong release() override;
    const char* get_type_name() override;
    IPmcLogWriter* create_writer(const char* target, pmc_long* status) override;

private:
    CPmcLogWriterFactory(const char* type, IPmcLogWriter* null_writer, MakeWriter make)
        : type_(type), null_writer_(null_writer), make_(make) {}
    virtual ~CPmcLogWriterFactory() = default;

    const std::string type_;
    IPmcLogWriter* const null_writer_;
    const MakeWriter make_;
    PmcLogRefCount refs_;
};

#endif
