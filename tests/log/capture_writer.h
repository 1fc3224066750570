// A writer that keeps the lines it is given, for looking at them in tests.
#ifndef PMSNMP_TESTS_LOG_CAPTURE_WRITER_H
#define PMSNMP_TESTS_LOG_CAPTURE_WRITER_H

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "log/log_writer.h"

class CaptureWriter final : public IPmcLogWriter {
public:
    explicit CaptureWriter(pmc_long status = PMC_S_OK) : status_(status) {}

    pmc_long query_interface(const char*, void** out) override {
        *out = nullptr;
        return PMC_E_NO_INTERFACE;
    }
    pmc_ulong add_ref() override { return ++refs_; }
    pmc_ulong release() override { return --refs_; }
    const char* get_type_name() override { return "capture"; }
    const char* get_target() override { return "capture"; }
    pmc_long write_line(const char* text) override {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.emplace_back(text);
        return status_;
    }

    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_;
    }
    pmc_ulong refs() const { return refs_; }

private:
    pmc_long status_;
    pmc_ulong refs_ = 1;
    std::mutex lock_;
    std::vector<std::string> lines_;
};

// Reads a whole file; empty when it does not exist.
inline std::string read_file(const std::string& path) {
    std::string content;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return content;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    std::fclose(file);
    return content;
}

inline bool file_exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

#endif
