// Holds many descriptors open, raising the open-file limit as far as it
// needs, so that the next socket gets a number above select's FD_SETSIZE.
// Everything is given back when it goes away.
#ifndef PMSNMP_TESTS_SUPPORT_DESCRIPTOR_HOARD_H
#define PMSNMP_TESTS_SUPPORT_DESCRIPTOR_HOARD_H

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace pmc_test {

class DescriptorHoard {
public:
    explicit DescriptorHoard(int count) {
        constexpr rlim_t kHeadroom = 64;  // for the test's own sockets and pipes
        const rlim_t needed = static_cast<rlim_t>(count) + kHeadroom;
        if (getrlimit(RLIMIT_NOFILE, &saved_) != 0) {
            error_ = "getrlimit failed";
            return;
        }
        if (saved_.rlim_cur < needed) {
            if (saved_.rlim_max < needed) {
                error_ = "the hard open-file limit is below " + std::to_string(needed);
                return;
            }
            rlimit raised = saved_;
            raised.rlim_cur = needed;
            if (setrlimit(RLIMIT_NOFILE, &raised) != 0) {
                error_ = "setrlimit failed";
                return;
            }
            restore_ = true;
        }
        for (int i = 0; i < count; ++i) {
            const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                error_ = "open failed after " + std::to_string(i) + " descriptors";
                return;
            }
            held_.push_back(fd);
        }
    }
    ~DescriptorHoard() {
        for (int fd : held_) close(fd);
        if (restore_) setrlimit(RLIMIT_NOFILE, &saved_);
    }
    DescriptorHoard(const DescriptorHoard&) = delete;
    DescriptorHoard& operator=(const DescriptorHoard&) = delete;

    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    int highest() const { return held_.empty() ? -1 : held_.back(); }

private:
    rlimit saved_{};
    bool restore_ = false;
    std::vector<int> held_;
    std::string error_;
};

}  // namespace pmc_test

#endif
