// A log writer that keeps the lines it is given, for every test folder.
// A local one counts its references and answers each line with a chosen
// status, which the log tests look at; LogCapture::on(session) is the one
// capture of a session, attached with every level on and no line prefix,
// that lives until the process ends.
#ifndef PMSNMP_TESTS_SUPPORT_LOG_CAPTURE_H
#define PMSNMP_TESTS_SUPPORT_LOG_CAPTURE_H

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "log/log_iid.h"
#include "log/log_session.h"
#include "log/log_writer.h"

class LogCapture final : public IPmcLogWriter {
public:
    explicit LogCapture(pmc_long status = PMC_S_OK) : status_(status) {}
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static LogCapture& on(IPmcLogSession* session) {
        static std::mutex lock;
        static std::map<IPmcLogSession*, LogCapture*> captures;
        std::lock_guard<std::mutex> guard(lock);
        LogCapture*& capture = captures[session];
        if (capture == nullptr) {
            capture = new LogCapture();
            session->set_line_flags(0);
            session->set_level_mask(static_cast<pmc_ulong>(PMC_LOG_ALL));
            session->add_writer(capture);
        }
        return *capture;
    }

    void clear() {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.clear();
    }
    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_;
    }
    // The lines that contain text.
    std::vector<std::string> matching(const std::string& text) {
        std::lock_guard<std::mutex> guard(lock_);
        std::vector<std::string> found;
        for (const std::string& line : lines_) {
            if (line.find(text) != std::string::npos) found.push_back(line);
        }
        return found;
    }
    int count(const std::string& text) { return static_cast<int>(matching(text).size()); }
    // Whether some line ends with text ("<level tag>, <message>" ends a line
    // whatever its prefix).
    bool has_line(const std::string& text) {
        std::lock_guard<std::mutex> guard(lock_);
        for (const std::string& line : lines_) {
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) {
                return true;
            }
        }
        return false;
    }
    pmc_ulong refs() const { return refs_; }

    pmc_long query_interface(const char* iid, void** out) override {
        if (iid == nullptr || out == nullptr) return PMC_E_INVALID_ARG;
        if (std::strcmp(iid, PMC_IID_LOG_OBJECT) == 0 || std::strcmp(iid, PMC_IID_LOG_LINE_WRITER) == 0) {
            add_ref();
            *out = this;
            return PMC_S_OK;
        }
        *out = nullptr;
        return PMC_E_NO_INTERFACE;
    }
    // The count is only looked at: the test owns the capture.
    pmc_ulong add_ref() override { return ++refs_; }
    pmc_ulong release() override { return --refs_; }
    const char* get_type_name() override { return "capture"; }
    const char* get_target() override { return "capture"; }
    pmc_long write_line(const char* text) override {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.emplace_back(text != nullptr ? text : "");
        return status_;
    }

private:
    const pmc_long status_;
    std::atomic<pmc_ulong> refs_{1};
    std::mutex lock_;
    std::vector<std::string> lines_;
};

#endif
