// The first request identifier of a fresh process, checked in a child
// started with posix_spawn from /proc/self/exe: Linux only.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "session/request_id_counter.h"

extern char** environ;

namespace {

// The process-wide counter is checked in a child process of its own, so
// that requests made by other tests in this process do not count.
TEST(RequestIdCounter, FirstRequestOfAProcessCarriesZero) {
    if (std::getenv("PMSNMP_FRESH_COUNTER_CHILD") != nullptr) {
        const pmc_long first = pms_next_request_id();
        const pmc_long second = pms_next_request_id();
        std::_Exit(first == 0 && second == 1 ? 0 : 1);
    }
    char self[] = "/proc/self/exe";
    char filter[] = "--gtest_filter=RequestIdCounter.FirstRequestOfAProcessCarriesZero";
    char* argv[] = {self, filter, nullptr};
    std::vector<char*> env;
    char marker[] = "PMSNMP_FRESH_COUNTER_CHILD=1";
    env.push_back(marker);
    for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
    env.push_back(nullptr);
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, self, nullptr, nullptr, argv, env.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
