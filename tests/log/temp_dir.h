// A fresh directory in the system's temporary folder for one test, removed
// with its files.
#ifndef PMSNMP_TESTS_LOG_TEMP_DIR_H
#define PMSNMP_TESTS_LOG_TEMP_DIR_H

#include <filesystem>
#include <random>
#include <string>

class TempDir {
public:
    TempDir() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) return;
        std::random_device seed;
        std::mt19937 draw(seed());
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const std::filesystem::path candidate =
                base / ("pmsnmp_log_" + std::to_string(draw()));
            // false when the name is taken: draw again.
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = candidate.generic_string();
                return;
            }
        }
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
    static constexpr int kAttempts = 100;
    std::string path_;
};

#endif
