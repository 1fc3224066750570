#include "log/log_config.h"

#include <cstdio>

#include <pmsnmp/owned.h>

#include "log/log_manager_impl.h"

namespace {

// A file writer for path; tries the file first so that a path that cannot
// be written is reported now instead of silently on every line.
pmc_long make_file_writer(CPmcLogManager* manager, const char* path, IPmcLogWriter** out) {
    std::FILE* probe = std::fopen(path, "a");
    if (probe == nullptr) return PMC_E_OPEN_FILE;
    std::fclose(probe);
    pmc_long status = PMC_E_FAIL;
    IPmcLogWriter* writer = manager->create_writer(PMC_LOG_WRITER_FILE, path, &status);
    if (status != PMC_S_OK) return status;
    void* settings = nullptr;
    status = writer->query_interface(PMC_IID_LOG_FILE_SETTINGS, &settings);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmcLogFileWriter> file(static_cast<IPmcLogFileWriter*>(settings));
    status = file->set_path(path);
    if (status == PMC_S_OK) *out = writer;
    return status;
}

}  // namespace

pmc_long pmc_log_configure(pmc_ulong level_mask, pmc_ulong line_flags, const char* file_path) {
    CPmcLogManager* manager = pmc_log_manager_impl();
    if (manager == nullptr) return PMC_E_NO_MEMORY;
    IPmcLogWriter* writer = nullptr;
    if (file_path != nullptr) {
        pmc_long status = make_file_writer(manager, file_path, &writer);
        if (status != PMC_S_OK) return status;
    } else {
        writer = manager->find_writer(PMC_LOG_WRITER_STDOUT);
    }
    return manager->configure(level_mask, line_flags, writer);
}
