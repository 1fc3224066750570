#include <cstring>

#include "value_test_util.h"

namespace {

OwnedString make_string(const char* text = nullptr) {
    pmc_long status = -99;
    OwnedString s(pmc_create_byte_string(&status));
    EXPECT_EQ(status, PMC_S_OK);
    if (text != nullptr) {
        EXPECT_EQ(s->assign_text(text), PMC_S_OK);
    }
    return s;
}

TEST(ByteString, NewStringIsEmptyWithoutBlock) {
    OwnedString s = make_string();
    EXPECT_EQ(s->get_length(), 0u);
    EXPECT_EQ(s->get_data(), nullptr);
}

TEST(ByteString, AssignKeepsTrailingZero) {
    OwnedString s = make_string();
    ASSERT_EQ(s->assign("abc", 3), PMC_S_OK);
    EXPECT_EQ(s->get_length(), 3u);
    EXPECT_EQ(s->get_data()[3], 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(s->get_data()), "abc");
}

TEST(ByteString, HoldsZeroBytes) {
    OwnedString s = make_string();
    const unsigned char bytes[] = {0x41, 0x00, 0x42};
    ASSERT_EQ(s->assign(bytes, 3), PMC_S_OK);
    EXPECT_EQ(s->get_length(), 3u);
    EXPECT_TRUE(s->equals(bytes, 3));
    EXPECT_FALSE(s->equals_text("A"));
}

TEST(ByteString, AssignLengthZeroAndNullTextEmpty) {
    OwnedString s = make_string("xyz");
    ASSERT_EQ(s->assign("q", 0), PMC_S_OK);
    EXPECT_EQ(s->get_data(), nullptr);
    ASSERT_EQ(s->assign_text("xyz"), PMC_S_OK);
    ASSERT_EQ(s->assign_text(nullptr), PMC_S_OK);
    EXPECT_EQ(s->get_length(), 0u);
    EXPECT_EQ(s->get_data(), nullptr);
}

TEST(ByteString, AppendRuns) {
    OwnedString s = make_string("ab");
    EXPECT_EQ(s->append("cd", 0), PMC_S_OK);
    EXPECT_EQ(string_of(*s), "ab");
    EXPECT_EQ(s->append("cd", 2), PMC_S_OK);
    EXPECT_EQ(s->append_text(nullptr), PMC_S_OK);
    EXPECT_EQ(s->append_text("e"), PMC_S_OK);
    EXPECT_EQ(s->append_string(nullptr), PMC_S_OK);
    EXPECT_EQ(string_of(*s), "abcde");
    EXPECT_EQ(s->get_data()[5], 0);
}

TEST(ByteString, AppendToItself) {
    OwnedString s = make_string("xy");
    ASSERT_EQ(s->append_string(s.get()), PMC_S_OK);
    EXPECT_EQ(string_of(*s), "xyxy");
}

TEST(ByteString, CloneCopiesBytes) {
    OwnedString s = make_string("hello");
    IPmcByteString* raw = nullptr;
    ASSERT_EQ(s->clone(&raw), PMC_S_OK);
    OwnedString copy(raw);
    EXPECT_TRUE(copy->equals_string(s.get()));
    EXPECT_NE(copy->get_data(), s->get_data());
    OwnedString empty = make_string();
    ASSERT_EQ(empty->clone(&raw), PMC_S_OK);
    OwnedString empty_copy(raw);
    EXPECT_EQ(empty_copy->get_length(), 0u);
}

TEST(ByteString, EqualsWithLengthZeroOnlyOnEmpty) {
    OwnedString empty = make_string();
    OwnedString full = make_string("a");
    EXPECT_TRUE(empty->equals("zzz", 0));
    EXPECT_TRUE(empty->equals(nullptr, 0));
    EXPECT_FALSE(full->equals("a", 0));
    EXPECT_TRUE(empty->equals_text(""));
    EXPECT_FALSE(full->equals_text(nullptr));
    EXPECT_FALSE(full->equals_string(nullptr));
    EXPECT_FALSE(full->equals("ab", 2));
    EXPECT_TRUE(full->equals_string(full.get()));
}

}  // namespace
