#include <gtest/gtest.h>

#include "value/octet_string.h"

namespace {

TEST(ByteStorage, ReserveRoundsAboveInStepsOf128) {
    const std::pair<pmc_ulong, pmc_ulong> rows[] = {{0, 0}, {1, 128}, {127, 128}, {128, 256}, {300, 384}};
    for (const auto& [n, capacity] : rows) {
        PmsByteStorage storage;
        ASSERT_TRUE(storage.reserve(n));
        EXPECT_EQ(storage.capacity(), capacity) << n;
    }
}

TEST(ByteStorage, AppendGrowsOnlyWhenAStepIsFull) {
    PmsByteStorage storage;
    int grown = 0;
    pmc_ulong capacity = storage.capacity();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(storage.append(static_cast<unsigned char>(i)));
        if (storage.capacity() != capacity) {
            ++grown;
            EXPECT_EQ(storage.capacity() % PmsByteStorage::kStep, 0u);
            capacity = storage.capacity();
        }
    }
    EXPECT_EQ(grown, 8);  // 128, 256, ..., 1024
    EXPECT_EQ(storage.count(), 1000u);
    EXPECT_EQ(storage.data()[999], static_cast<unsigned char>(999));
}

TEST(ByteStorage, StoreZeroKeepsTheBlock) {
    PmsByteStorage storage;
    const unsigned char bytes[] = {1, 2, 3};
    ASSERT_TRUE(storage.store(bytes, 3));
    const unsigned char* block = storage.data();
    ASSERT_TRUE(storage.store(bytes, 0));
    EXPECT_EQ(storage.count(), 0u);
    EXPECT_EQ(storage.data(), block);
    EXPECT_EQ(storage.capacity(), 128u);
}

}  // namespace
