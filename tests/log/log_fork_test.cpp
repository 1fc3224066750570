// The stamp's identifiers after fork, which only POSIX systems have.
#include "log/log_line.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(LogLine, StampInForkedChildHasTheChildsIdentifiers) {
    pmc_log_stamp_now();  // the parent's identifiers are now cached
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PmcLogStamp stamp = pmc_log_stamp_now();
        bool right = stamp.process_id == static_cast<long>(getpid()) &&
                     stamp.thread_id == static_cast<long>(gettid());
        _exit(right ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
