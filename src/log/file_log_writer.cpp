#include "log/file_log_writer.h"

#include <cstring>
#include <new>

#include "log/log_iid.h"
#include "log/log_writer_factory.h"
#include "log/null_log_objects.h"

namespace {

constexpr const char* PMC_LOG_BACKUP_SUFFIX = ".bak";
// What a line costs in the size limit: the text and a two-byte line end, as
// the file would hold it on the platform with the longest line end.
constexpr std::uint64_t PMC_LOG_LINE_END_SIZE = 2;

bool file_exists(const std::string& path) {
    std::FILE* probe = std::fopen(path.c_str(), "r");
    if (probe == nullptr) return false;
    std::fclose(probe);
    return true;
}

}  // namespace

CPmcFileLogWriter* CPmcFileLogWriter::create(const char* target) {
    return create_named<CPmcFileLogWriter>(target);
}

CPmcFileLogWriter::~CPmcFileLogWriter() { close(); }

pmc_long CPmcFileLogWriter::query_interface(const char* iid, void** out) {
    return pmc_log_query(static_cast<IPmcLogFileWriter*>(this), iid, out, [](const char* id) {
        return pmc_log_iid_is(id, PMC_IID_LOG_OBJECT) ||
               pmc_log_iid_is(id, PMC_IID_LOG_LINE_WRITER) ||
               pmc_log_iid_is(id, PMC_IID_LOG_FILE_SETTINGS);
    });
}

const char* CPmcFileLogWriter::get_type_name() { return PMC_LOG_WRITER_FILE; }

pmc_long CPmcFileLogWriter::set_max_size(pmc_ulong max_size) {
    std::lock_guard<std::mutex> guard(lock_);
    max_size_ = max_size;
    return PMC_S_OK;
}

pmc_long CPmcFileLogWriter::set_path(const char* path) {
    if (path == nullptr) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    try {
        path_ = path;
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
    close();  // the next line opens the new path
    return PMC_S_OK;
}

pmc_long CPmcFileLogWriter::write_line(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    if (file_ == nullptr) {
        pmc_long status = open_for_append();
        if (status != PMC_S_OK) return status;
    }
    const std::size_t length = std::strlen(text);
    const std::uint64_t cost = length + PMC_LOG_LINE_END_SIZE;
    if (cost > max_size_) return PMC_E_LINE_TOO_LONG;
    if (size_ + cost > max_size_) {
        pmc_long status = rotate();
        if (status != PMC_S_OK) return status;
    }
    bool written = std::fwrite(text, 1, length, file_) == length && std::fputc('\n', file_) != EOF;
    written = std::fflush(file_) == 0 && written;
    size_ += cost;
    return written ? PMC_S_OK : PMC_E_FAIL;
}

pmc_long CPmcFileLogWriter::open_for_append() {
    if (path_.empty()) return PMC_E_OPEN_FILE;
    file_ = std::fopen(path_.c_str(), "a");
    if (file_ == nullptr) return PMC_E_OPEN_FILE;
    // "a" leaves the position unspecified until the first write.
    long length = std::fseek(file_, 0, SEEK_END) == 0 ? std::ftell(file_) : -1;
    size_ = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    return PMC_S_OK;
}

pmc_long CPmcFileLogWriter::rotate() {
    close();
    if (file_exists(path_)) {
        try {
            const std::string backup = path_ + PMC_LOG_BACKUP_SUFFIX;
            std::remove(backup.c_str());
            std::rename(path_.c_str(), backup.c_str());
        } catch (const std::bad_alloc&) {
            return PMC_E_NO_MEMORY;
        }
    }
    file_ = std::fopen(path_.c_str(), "w");
    if (file_ == nullptr) return PMC_E_OPEN_FILE;
    size_ = 0;
    return PMC_S_OK;
}

void CPmcFileLogWriter::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

IPmcLogWriterFactory* pmc_new_file_log_writer_factory() {
    return CPmcLogWriterFactory::create(
        PMC_LOG_WRITER_FILE, pmc_null_file_writer(),
        [](const char* target) -> IPmcLogWriter* { return CPmcFileLogWriter::create(target); });
}
