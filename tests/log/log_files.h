// Reading the files the file writer leaves.
#ifndef PMSNMP_TESTS_LOG_LOG_FILES_H
#define PMSNMP_TESTS_LOG_LOG_FILES_H

#include <cstdio>
#include <string>

// Reads a whole file; empty when it does not exist.
inline std::string read_file(const std::string& path) {
    std::string content;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return content;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    std::fclose(file);
#if defined(_WIN32)
    // The writer appends in text mode, which ends Windows lines with CR LF.
    std::string lines;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (!(content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n'))
            lines += content[i];
    }
    content.swap(lines);
#endif
    return content;
}

inline bool file_exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

#endif
