#include <string>

#include <gtest/gtest.h>

#include "value/text_buffer.h"

namespace {

TEST(TextBuffer, CapacitySteps) {
    const std::pair<std::size_t, std::size_t> rows[] = {
        {0, 64},     {63, 64},     {64, 128},    {127, 128}, {128, 256},
        {511, 512},  {1023, 1024}, {1024, 1025}, {5000, 5001},
    };
    for (const auto& [length, capacity] : rows) {
        EXPECT_EQ(PmcTextBuffer::capacity_for(length), capacity) << length;
    }
}

TEST(TextBuffer, GrowsThroughStepsWhileAppending) {
    PmcTextBuffer buffer;
    EXPECT_STREQ(buffer.c_str(), "");
    EXPECT_EQ(buffer.capacity(), 0u);
    std::string expected;
    for (int i = 0; i < 1100; ++i) {
        ASSERT_TRUE(buffer.append_char(static_cast<char>('a' + i % 26)));
        expected += static_cast<char>('a' + i % 26);
        EXPECT_EQ(buffer.capacity(), PmcTextBuffer::capacity_for(buffer.length()));
    }
    EXPECT_EQ(buffer.c_str(), expected);
    EXPECT_EQ(buffer.capacity(), 1101u);
}

TEST(TextBuffer, ShrinkingKeepsCapacity) {
    PmcTextBuffer buffer;
    ASSERT_TRUE(buffer.assign(std::string(200, 'x').c_str(), 200));
    EXPECT_EQ(buffer.capacity(), 256u);
    ASSERT_TRUE(buffer.assign("ab", 2));
    EXPECT_EQ(buffer.capacity(), 256u);
    EXPECT_STREQ(buffer.c_str(), "ab");
}

TEST(TextBuffer, EraseTruncateAndSelfSources) {
    PmcTextBuffer buffer;
    ASSERT_TRUE(buffer.assign("0123456789", 10));
    buffer.erase(2, 3);
    EXPECT_STREQ(buffer.c_str(), "0156789");
    buffer.erase(5, 100);
    EXPECT_STREQ(buffer.c_str(), "01567");
    ASSERT_TRUE(buffer.append(buffer.c_str(), buffer.length()));
    EXPECT_STREQ(buffer.c_str(), "0156701567");
    ASSERT_TRUE(buffer.assign(buffer.c_str() + 5, 3));
    EXPECT_STREQ(buffer.c_str(), "015");
    ASSERT_TRUE(buffer.append_separated('.', buffer.c_str(), buffer.length()));
    EXPECT_STREQ(buffer.c_str(), "015.015");
    buffer.truncate(1);
    EXPECT_STREQ(buffer.c_str(), "0");
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
    ASSERT_TRUE(buffer.append_separated('.', "7", 1));
    EXPECT_STREQ(buffer.c_str(), "7");
}

}  // namespace
