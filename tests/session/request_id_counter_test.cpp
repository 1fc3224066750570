#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "session/request_id_counter.h"

extern char** environ;

TEST(RequestIdCounter, WrapsAsA32BitInteger) {
    RequestIdCounter counter(std::numeric_limits<std::int32_t>::max() - 1);
    EXPECT_EQ(counter.next(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(counter.next(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(counter.next(), std::numeric_limits<std::int32_t>::min() + 1);

    RequestIdCounter from_minus_two(-2);
    EXPECT_EQ(from_minus_two.next(), -1);
    EXPECT_EQ(from_minus_two.next(), 0);
}

TEST(RequestIdCounter, ThreadsDrawDistinctIdentifiers) {
    constexpr int kThreads = 8;
    constexpr int kDraws = 20000;
    RequestIdCounter counter(std::numeric_limits<std::int32_t>::max() - kThreads * kDraws / 2);
    std::vector<std::vector<pmc_long>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kDraws; ++i) drawn[t].push_back(counter.next());
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::set<pmc_long> all;
    for (const auto& ids : drawn) all.insert(ids.begin(), ids.end());
    EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kDraws));
}

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
