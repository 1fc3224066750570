#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "session/request_id_counter.h"


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

