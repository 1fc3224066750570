#include "log/stdout_log_writer.h"

#include <cstdio>
#include <new>

#include "log/log_iid.h"
#include "log/log_writer_factory.h"
#include "log/null_log_objects.h"

CPmcStdoutLogWriter* CPmcStdoutLogWriter::create(const char* target) {
    if (target == nullptr) return nullptr;
    try {
        return new CPmcStdoutLogWriter(target);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

pmc_long CPmcStdoutLogWriter::query_interface(const char* iid, void** out) {
    return pmc_log_query(static_cast<IPmcLogWriter*>(this), iid, out, [](const char* id) {
        return pmc_log_iid_is(id, PMC_IID_LOG_OBJECT) ||
               pmc_log_iid_is(id, PMC_IID_LOG_LINE_WRITER);
    });
}

pmc_ulong CPmcStdoutLogWriter::add_ref() { return refs_.add(); }

pmc_ulong CPmcStdoutLogWriter::release() {
    pmc_ulong left = refs_.drop();
    if (left == 0) delete this;
    return left;
}

const char* CPmcStdoutLogWriter::get_type_name() { return PMC_LOG_WRITER_STDOUT; }

const char* CPmcStdoutLogWriter::get_target() { return target_.c_str(); }

pmc_long CPmcStdoutLogWriter::write_line(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    std::printf("%s\n", text);
    std::fflush(stdout);
    return PMC_S_OK;
}

IPmcLogWriterFactory* pmc_new_stdout_log_writer_factory() {
    return CPmcLogWriterFactory::create(
        PMC_LOG_WRITER_STDOUT, pmc_null_standard_writer(),
        [](const char* target) -> IPmcLogWriter* { return CPmcStdoutLogWriter::create(target); });
}
