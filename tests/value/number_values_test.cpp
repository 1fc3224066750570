// INTEGER, the unsigned 32-bit kinds and Counter64.
#include <cstdint>

#include "value_test_util.h"

namespace {

TEST(Integer, GetAndSet) {
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    EXPECT_EQ(value->set_int(-5), PMC_S_OK);
    pmc_long status = -99;
    EXPECT_EQ(value->get_int(&status), -5);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(text_of(*value), "-5");
    value->clear();
    EXPECT_EQ(value->get_int(nullptr), 0);
}

TEST(Integer, UnsignedOperationsUnsupported) {
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    pmc_long status = -99;
    EXPECT_EQ(value->get_uint(&status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->set_uint(1), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->get_port(&status), 0xFFFF);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->get_uint_high(&status), 0xFFFFFFFFu);
    EXPECT_EQ(value->set_bytes(reinterpret_cast<const unsigned char*>("a"), 1), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->get_element(0, &status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
}

TEST(Integer, AssignFromCounter32Refused) {
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    value->set_int(7);
    OwnedValue counter = make_value(PMS_TYPE_COUNTER32);
    counter->set_uint(9);
    EXPECT_EQ(value->assign(counter.get()), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->get_int(nullptr), 7);
}

// The atol reading, with its 32-bit wrap on every platform.
struct AtolRow {
    const char* text;
    std::uint32_t bits;
};

const AtolRow kAtolRows[] = {
    {"  -12abc", 0xFFFFFFF4u},   // white space, sign, trailing text ignored
    {"abc", 0},                  // no digits: 0, success
    {"", 0},
    {"+17", 17},
    {"2147483647", 0x7FFFFFFFu},
    {"2147483648", 0x80000000u},
    {"4294967295", 0xFFFFFFFFu},
    {"4294967296", 0},           // wraps modulo 2^32
    {"4294967301", 5},
    {"-1", 0xFFFFFFFFu},
    {"\t\n 42", 42},
    {"- 5", 0},
    {"99999999999999999999", 0x630FFFFFu},  // 99999999999999999999 mod 2^32
};

TEST(Integer, SetTextReadsLikeAtolWithWrap) {
    for (const AtolRow& row : kAtolRows) {
        OwnedValue integer = make_value(PMS_TYPE_INTEGER);
        EXPECT_EQ(integer->set_text(row.text), PMC_S_OK) << row.text;
        EXPECT_EQ(static_cast<std::uint32_t>(integer->get_int(nullptr)), row.bits) << row.text;
        for (pmc_long type : {PMS_TYPE_GAUGE32, PMS_TYPE_COUNTER32, PMS_TYPE_TIME_TICKS}) {
            OwnedValue number = make_value(type);
            EXPECT_EQ(number->set_text(row.text), PMC_S_OK) << row.text;
            EXPECT_EQ(number->get_uint(nullptr), row.bits) << row.text << " type " << type;
        }
    }
}

TEST(Integer, TextForms) {
    const std::pair<pmc_long, const char*> rows[] = {
        {0, "0"}, {-5, "-5"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
    for (const auto& [number, text] : rows) {
        OwnedValue value = make_value(PMS_TYPE_INTEGER);
        value->set_int(number);
        EXPECT_EQ(text_of(*value), text);
    }
}

TEST(Integer, NullTextRefusedAndValueKept) {
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    value->set_int(3);
    EXPECT_EQ(value->set_text(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->get_int(nullptr), 3);
    OwnedValue gauge = make_value(PMS_TYPE_GAUGE32);
    EXPECT_EQ(gauge->set_text(nullptr), PMC_E_INVALID_ARG);
}

class Unsigned32 : public ::testing::TestWithParam<pmc_long> {};

TEST_P(Unsigned32, StoresAndPrintsUnsigned) {
    OwnedValue value = make_value(GetParam());
    EXPECT_EQ(value->set_uint(4294967295u), PMC_S_OK);
    EXPECT_EQ(value->get_uint(nullptr), 4294967295u);
    EXPECT_EQ(text_of(*value), "4294967295");
    pmc_long status = -99;
    EXPECT_EQ(value->get_int(&status), -1);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->get_int(nullptr), -1);
    EXPECT_EQ(value->set_int(1), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->set_text("-1"), PMC_S_OK);
    EXPECT_EQ(value->get_uint(nullptr), 4294967295u);
}

TEST_P(Unsigned32, EqualsComparesNumbers) {
    OwnedValue a = make_value(GetParam());
    OwnedValue b = make_value(GetParam());
    a->set_uint(10);
    b->set_uint(11);
    EXPECT_FALSE(a->equals(b.get()));
    ASSERT_EQ(b->assign(a.get()), PMC_S_OK);
    EXPECT_TRUE(a->equals(b.get()));
    EXPECT_EQ(b->get_uint(nullptr), 10u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Unsigned32,
                         ::testing::Values(PMS_TYPE_COUNTER32, PMS_TYPE_GAUGE32, PMS_TYPE_TIME_TICKS));

TEST(Unsigned32, SameNumberDifferentKindsNotEqual) {
    OwnedValue counter = make_value(PMS_TYPE_COUNTER32);
    OwnedValue gauge = make_value(PMS_TYPE_GAUGE32);
    EXPECT_FALSE(counter->equals(gauge.get()));
    EXPECT_EQ(counter->assign(gauge.get()), PMC_E_INVALID_ARG);
}

TEST(Counter64, HalvesAndLowSetter) {
    OwnedValue value = make_value(PMS_TYPE_COUNTER64);
    EXPECT_EQ(value->set_uint_high(7), PMC_S_OK);
    EXPECT_EQ(value->set_uint(5), PMC_S_OK);
    pmc_long status = -99;
    EXPECT_EQ(value->get_uint_high(&status), 0u);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(value->get_uint_low(nullptr), 5u);
    EXPECT_EQ(value->get_uint(&status), 5u);
    EXPECT_EQ(status, PMC_S_OK);
}

TEST(Counter64, TextForms) {
    OwnedValue value = make_value(PMS_TYPE_COUNTER64);
    EXPECT_EQ(text_of(*value), "0");
    value->set_uint_high(1);
    EXPECT_EQ(text_of(*value), "4294967296");
    ASSERT_EQ(value->set_text("18446744073709551615"), PMC_S_OK);
    EXPECT_EQ(value->get_uint_high(nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(value->get_uint_low(nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(text_of(*value), "18446744073709551615");
    ASSERT_EQ(value->set_text("18446744073709551616"), PMC_S_OK);  // wraps modulo 2^64
    EXPECT_EQ(text_of(*value), "0");
}

TEST(Counter64, SetTextRefusals) {
    const std::pair<const char*, const char*> rows[] = {
        {"12a", "12"}, {" 5", "0"}, {"+5", "0"}, {"-1", "0"}, {"4294967296x", "4294967296"}};
    for (const auto& [text, kept] : rows) {
        OwnedValue value = make_value(PMS_TYPE_COUNTER64);
        value->set_uint_high(3);
        EXPECT_EQ(value->set_text(text), PMC_E_INVALID_ARG) << text;
        EXPECT_EQ(text_of(*value), kept) << text;
    }
    OwnedValue value = make_value(PMS_TYPE_COUNTER64);
    EXPECT_EQ(value->set_text(""), PMC_S_OK);
    EXPECT_EQ(value->set_text(nullptr), PMC_E_INVALID_ARG);
}

TEST(Counter64, EqualsAndAssignUseBothHalves) {
    OwnedValue a = make_value(PMS_TYPE_COUNTER64);
    OwnedValue b = make_value(PMS_TYPE_COUNTER64);
    a->set_uint_high(1);
    a->set_uint_low(2);
    b->set_uint_low(2);
    EXPECT_FALSE(a->equals(b.get()));
    ASSERT_EQ(b->assign(a.get()), PMC_S_OK);
    EXPECT_TRUE(b->equals(a.get()));
    b->clear();
    EXPECT_EQ(text_of(*b), "0");
}

TEST(Null, AssignsAndEqualsAnyNull) {
    OwnedValue a = make_value(PMS_TYPE_NULL);
    OwnedValue b = make_value(PMS_TYPE_NULL);
    EXPECT_TRUE(a->equals(b.get()));
    EXPECT_EQ(a->assign(b.get()), PMC_S_OK);
    OwnedString out(pmc_create_byte_string(nullptr));
    EXPECT_EQ(a->get_text_into(out.get()), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(a->set_text("x"), PMC_E_NOT_SUPPORTED);
}

}  // namespace
