#include "log/null_log_objects.h"

#include "log/log_iid.h"

namespace {

// Their add_ref() and release() count nothing, so the shared query hands
// them out without a reference to give back.
template <class Self>
pmc_long null_query(Self* self, const char* iid, void** out) {
    return pmc_log_query(self, iid, out, [self](const char* id) { return self->accepts(id); });
}

class CPmcNullLogSession final : public IPmcLogSession {
public:
    constexpr CPmcNullLogSession() = default;
    bool accepts(const char* iid) const {
        return pmc_log_iid_is(iid, PMC_IID_LOG_OBJECT) || pmc_log_iid_is(iid, PMC_IID_LOG_SESSION) ||
               pmc_log_iid_is(iid, PMC_IID_LOG_WRITE);
    }
    pmc_long query_interface(const char* iid, void** out) override {
        return null_query(this, iid, out);
    }
    pmc_ulong add_ref() override { return 1; }
    pmc_ulong release() override { return 1; }
    const char* get_name() override { return PMC_LOG_NULL_SESSION; }
    pmc_long add_writer(IPmcLogWriter*) override { return PMC_S_OK; }
    pmc_long set_level_mask(pmc_ulong) override { return PMC_S_OK; }
    pmc_ulong get_level_mask() override { return 0; }
    pmc_long set_indentation_depth(pmc_ulong) override { return PMC_S_OK; }
    pmc_ulong get_indentation_depth() override { return 0; }
    pmc_long set_line_flags(pmc_ulong) override { return PMC_S_OK; }
    pmc_ulong get_line_flags() override { return PMC_LOG_FLAGS_DEFAULT; }
    pmc_long set_radix(pmc_ulong) override { return PMC_S_OK; }
    pmc_ulong get_radix() override { return PMC_LOG_RADIX_DECIMAL; }
    pmc_long reserved_operation() override { return PMC_E_NOT_FOUND; }
    pmc_long write_line(pmc_long, const char*, ...) override { return PMC_S_OK; }
    pmc_long write_line_v(pmc_long, const char*, va_list) override { return PMC_S_OK; }
};

class CPmcNullLogWriter final : public IPmcLogFileWriter {
public:
    constexpr CPmcNullLogWriter(const char* type, const char* target, bool file)
        : type_(type), target_(target), file_(file) {}

    bool accepts(const char* iid) const {
        return pmc_log_iid_is(iid, PMC_IID_LOG_OBJECT) ||
               pmc_log_iid_is(iid, PMC_IID_LOG_LINE_WRITER) ||
               (file_ && pmc_log_iid_is(iid, PMC_IID_LOG_FILE_SETTINGS));
    }
    pmc_long query_interface(const char* iid, void** out) override {
        return null_query(this, iid, out);
    }
    pmc_ulong add_ref() override { return 1; }
    pmc_ulong release() override { return 1; }
    const char* get_type_name() override { return type_; }
    const char* get_target() override { return target_; }
    pmc_long write_line(const char*) override { return PMC_S_OK; }
    pmc_long set_max_size(pmc_ulong) override { return PMC_S_OK; }
    pmc_long set_path(const char*) override { return PMC_S_OK; }

private:
    const char* type_;
    const char* target_;
    bool file_;
};

// Trivially destructible, so they stay usable while statics are torn down.
CPmcNullLogSession g_null_session;
CPmcNullLogWriter g_null_standard(PMC_LOG_WRITER_STDOUT, PMC_LOG_NULL_STANDARD, false);
CPmcNullLogWriter g_null_file(PMC_LOG_WRITER_FILE, PMC_LOG_NULL_FILE, true);

}  // namespace

IPmcLogSession* pmc_null_log_session() { return &g_null_session; }
IPmcLogWriter* pmc_null_standard_writer() { return &g_null_standard; }
IPmcLogFileWriter* pmc_null_file_writer() { return &g_null_file; }
