// Holds count descriptors open, raising the open-file limit as far as that
// needs, so that the next socket is numbered above select's FD_SETSIZE.
// Gives everything back when it goes away.
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
        rlimit raised{};
        getrlimit(RLIMIT_NOFILE, &saved_);
        raised = saved_;
        raised.rlim_cur = static_cast<rlim_t>(count) + 64;  // room for the test's own
        if (saved_.rlim_cur < raised.rlim_cur && setrlimit(RLIMIT_NOFILE, &raised) != 0) {
            error_ = "cannot raise the open-file limit to " + std::to_string(raised.rlim_cur);
            return;
        }
        while (static_cast<int>(held_.size()) < count) {
            const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                error_ = "open failed after " + std::to_string(held_.size()) + " descriptors";
                return;
            }
            held_.push_back(fd);
        }
    }
    ~DescriptorHoard() {
        for (int fd : held_) close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }
    DescriptorHoard(const DescriptorHoard&) = delete;
    DescriptorHoard& operator=(const DescriptorHoard&) = delete;

    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    int highest() const { return held_.empty() ? -1 : held_.back(); }

private:
    rlimit saved_{};
    std::vector<int> held_;
    std::string error_;
};

}  // namespace pmc_test

#endif
