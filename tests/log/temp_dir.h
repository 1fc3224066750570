// A fresh directory under /tmp for one test, removed with its files.
#ifndef PMSNMP_TESTS_LOG_TEMP_DIR_H
#define PMSNMP_TESTS_LOG_TEMP_DIR_H

#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/pmsnmp_log_XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made != nullptr ? made : "";
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const char* name) const { return path_ + "/" + name; }
    bool ok() const { return !path_.empty(); }

private:
    std::string path_;
};

#endif
