#include "log/stdout_log_writer.h"

#include <cstdio>

#include "log/log_iid.h"
#include "log/log_writer_factory.h"
#include "log/null_log_objects.h"

CPmcStdoutLogWriter* CPmcStdoutLogWriter::create(const char* target) {
    return create_named<CPmcStdoutLogWriter>(target);
}

pmc_long CPmcStdoutLogWriter::query_interface(const char* iid, void** out) {
    return pmc_log_query(static_cast<IPmcLogWriter*>(this), iid, out, [](const char* id) {
        return pmc_log_iid_is(id, PMC_IID_LOG_OBJECT) ||
               pmc_log_iid_is(id, PMC_IID_LOG_LINE_WRITER);
    });
}

const char* CPmcStdoutLogWriter::get_type_name() { return PMC_LOG_WRITER_STDOUT; }

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
