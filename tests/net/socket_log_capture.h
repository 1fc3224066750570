// Collects the lines of the "socket" log session for assertions.
#ifndef PMSNMP_TESTS_NET_SOCKET_LOG_CAPTURE_H
#define PMSNMP_TESTS_NET_SOCKET_LOG_CAPTURE_H

#include "log/component_log.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

class SocketLogCapture final : public IPmcLogWriter {
public:
    // The one capture, attached to the "socket" session with every level
    // enabled; it lives until the process ends.
    static SocketLogCapture& instance() {
        static SocketLogCapture* capture = [] {
            auto* created = new SocketLogCapture;
            IPmcLogSession* session = pmc_socket_log();
            session->set_line_flags(0);
            session->set_level_mask(PMC_LOG_ALL);
            session->add_writer(created);
            return created;
        }();
        return *capture;
    }

    void clear() {
        std::lock_guard<std::mutex> lock(lock_);
        lines_.clear();
    }

    // Lines whose message (after the prefix) contains text.
    std::vector<std::string> matching(const std::string& text) {
        std::lock_guard<std::mutex> lock(lock_);
        std::vector<std::string> found;
        for (const std::string& line : lines_) {
            if (line.find(text) != std::string::npos) found.push_back(line);
        }
        return found;
    }

    // True when some line ends with "<level tag>, <message>".
    bool has(const char* level_tag, const std::string& message) {
        const std::string tail = std::string(level_tag) + ", " + message;
        std::lock_guard<std::mutex> lock(lock_);
        for (const std::string& line : lines_) {
            if (line.size() >= tail.size() &&
                line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
                return true;
            }
        }
        return false;
    }

    pmc_long query_interface(const char*, void** out) override {
        if (out != nullptr) *out = nullptr;
        return -4;
    }
    pmc_ulong add_ref() override { return 1; }
    pmc_ulong release() override { return 1; }
    const char* get_type_name() override { return "stdout"; }
    const char* get_target() override { return "net-test-capture"; }
    pmc_long write_line(const char* text) override {
        std::lock_guard<std::mutex> lock(lock_);
        lines_.emplace_back(text);
        return 0;
    }

private:
    SocketLogCapture() = default;
    std::mutex lock_;
    std::vector<std::string> lines_;
};

#endif
