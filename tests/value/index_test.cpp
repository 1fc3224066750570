// Table-index forms of every kind: appending, writing, reading, popping.
#include "value_test_util.h"

namespace {

OwnedValue value_from_text(pmc_long type, const char* text) {
    pmc_long status = -99;
    OwnedValue value(pms_create_value_from_text(text, type, &status));
    EXPECT_EQ(status, PMC_S_OK) << text;
    return value;
}

struct FormRow {
    pmc_long type;
    const char* text;      // the value
    const char* plain;     // index form, implied false
    const char* implied;   // index form, implied true
};

const FormRow kForms[] = {
    {PMS_TYPE_INTEGER, "-1", "4294967295", "4294967295"},
    {PMS_TYPE_INTEGER, "42", "42", "42"},
    {PMS_TYPE_GAUGE32, "7", "7", "7"},
    {PMS_TYPE_COUNTER32, "8", "8", "8"},
    {PMS_TYPE_TIME_TICKS, "9", "9", "9"},
    {PMS_TYPE_OCTET_STRING, "ab", "2.97.98", "97.98"},
    {PMS_TYPE_OPAQUE, "a", "1.97", "97"},
    {PMS_TYPE_IP_ADDRESS, "10.0.0.1", "4.10.0.0.1", "10.0.0.1"},
    {PMS_TYPE_IPV6_ADDRESS, "fe80:0:0:0:0:0:0:1", "16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1",
     "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1/161", "1.6.192.168.0.1.0.161", "1.192.168.0.1.0.161"},
    {PMS_TYPE_IPX_ADDRESS, "0000000a:0000c0a80101/4000", "5.12.0.0.0.10.0.0.192.168.1.1.64.0",
     "5.0.0.0.10.0.0.192.168.1.1.64.0"},
    {PMS_TYPE_OID, "1.3.6", "3.1.3.6", "1.3.6"},
};

class IndexForm : public ::testing::TestWithParam<FormRow> {};

TEST_P(IndexForm, AppendsAfterExistingArcs) {
    const FormRow& row = GetParam();
    OwnedValue value = value_from_text(row.type, row.text);
    for (bool implied : {false, true}) {
        OwnedOid oid = make_oid("1.3");
        ASSERT_EQ(oid->append_value_index(value.get(), implied), PMC_S_OK);
        EXPECT_EQ(text_of(*oid), std::string("1.3.") + (implied ? row.implied : row.plain));
        OwnedOid form = make_oid(implied ? row.implied : row.plain);
        EXPECT_EQ(value->get_index_length(implied), form->get_length());
        EXPECT_EQ(oid->get_length(), 2 + form->get_length()) << "arc count kept exactly";
    }
}

TEST_P(IndexForm, AppendsFromText) {
    const FormRow& row = GetParam();
    OwnedOid oid = make_oid("");
    ASSERT_EQ(oid->append_text_index(row.text, row.type, false), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), row.plain);
}

TEST_P(IndexForm, EncodeReplacesAndDecodeReadsBack) {
    const FormRow& row = GetParam();
    OwnedValue value = value_from_text(row.type, row.text);
    for (bool implied : {false, true}) {
        OwnedOid oid = make_oid("9.9.9");
        ASSERT_EQ(oid->encode_index(value.get(), implied), PMC_S_OK);
        EXPECT_EQ(text_of(*oid), implied ? row.implied : row.plain);
        pmc_long status = -99;
        OwnedValue back(oid->decode_index_new(row.type, &status, implied));
        ASSERT_EQ(status, PMC_S_OK) << row.text << " implied " << implied;
        EXPECT_TRUE(back->equals(value.get())) << text_of(*back);
        EXPECT_EQ(text_of(*oid), implied ? row.implied : row.plain) << "decoding leaves the identifier";
    }
}

TEST_P(IndexForm, PopsSuccessiveValues) {
    const FormRow& row = GetParam();
    OwnedValue value = value_from_text(row.type, row.text);
    OwnedOid oid = make_oid("");
    ASSERT_EQ(oid->append_value_index(value.get(), false), PMC_S_OK);
    ASSERT_EQ(oid->append_value_index(value.get(), false), PMC_S_OK);
    oid->append_arc(77);
    for (int i = 0; i < 2; ++i) {
        pmc_long status = -99;
        OwnedValue popped(oid->pop_index_new(row.type, &status, false, 0xFFFFFFFFu));
        ASSERT_EQ(status, PMC_S_OK);
        EXPECT_TRUE(popped->equals(value.get()));
    }
    EXPECT_EQ(text_of(*oid), "77");
    EXPECT_EQ(oid->get_length(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IndexForm, ::testing::ValuesIn(kForms), [](const auto& info) {
    return "row_" + std::to_string(info.index);
});

struct ReadRow {
    pmc_long type;
    const char* source;
    bool implied;
    pmc_ulong count;
    pmc_long status;
};

const ReadRow kBadReads[] = {
    {PMS_TYPE_OCTET_STRING, "3.97.98", false, 0xFFFFFFFFu, PMC_E_BAD_INDEX},      // length beyond the arcs
    {PMS_TYPE_OCTET_STRING, "2.97.300", false, 0xFFFFFFFFu, PMC_E_BAD_INDEX},     // byte above 255
    {PMS_TYPE_OCTET_STRING, "4294967295.1", false, 0xFFFFFFFFu, PMC_E_BAD_INDEX}, // length that would wrap
    {PMS_TYPE_OCTET_STRING, "256", true, 0xFFFFFFFFu, PMC_E_BAD_INDEX},
    {PMS_TYPE_OCTET_STRING, "", false, 0xFFFFFFFFu, PMC_E_EMPTY_OID},
    {PMS_TYPE_IP_ADDRESS, "5.10.0.0.1", false, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_IP_ADDRESS, "4.10.0.0.256", false, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_IP_ADDRESS, "4.10.0.0", false, 0, PMC_E_OUT_OF_RANGE},
    {PMS_TYPE_IP_ADDRESS, "10.0.0", true, 0, PMC_E_OUT_OF_RANGE},
    {PMS_TYPE_IPV6_ADDRESS, "4.1.2.3.4", false, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_UDP_ADDRESS, "2.6.1.2.3.4.0.1", false, 0, PMC_E_BAD_INDEX},   // wrong domain
    {PMS_TYPE_UDP_ADDRESS, "1.4.1.2.3.4.0.1", false, 0, PMC_E_BAD_INDEX},   // wrong length
    {PMS_TYPE_UDP_ADDRESS, "1.1.2.3.4.0.999", true, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_IPX_ADDRESS, "1.12.0.0.0.0.0.0.0.0.0.0.0.0", false, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_IPX_ADDRESS, "5.6.0.0.0.0.0.0.0.0.0.0.0.0", false, 0, PMC_E_BAD_INDEX},
    {PMS_TYPE_OID, "4.1.3.6", false, 0xFFFFFFFFu, PMC_E_BAD_INDEX},
    {PMS_TYPE_OID, "4294967295.1", false, 0xFFFFFFFFu, PMC_E_BAD_INDEX},
    {PMS_TYPE_INTEGER, "", false, 0, PMC_E_EMPTY_OID},
    {PMS_TYPE_NULL, "1", false, 0, PMC_E_NOT_SUPPORTED},
    {PMS_TYPE_NO_SUCH_OBJECT, "1", false, 0, PMC_E_NOT_SUPPORTED},
    {PMS_TYPE_COUNTER64, "1", false, 0, PMC_E_NOT_SUPPORTED},
};

TEST(IndexRead, MalformedFormsRefused) {
    for (const ReadRow& row : kBadReads) {
        OwnedOid source = make_oid(row.source);
        OwnedValue value = make_value(row.type);
        EXPECT_EQ(value->read_index(source.get(), row.implied, row.count), row.status)
            << row.type << " " << row.source;
        EXPECT_EQ(source->pop_index_into(value.get(), row.implied, row.count), row.status);
        EXPECT_EQ(text_of(*source), row.source) << "a failed pop leaves the identifier";
    }
}

TEST(IndexRead, NumberFailureStoresAllOnes) {
    OwnedOid empty = make_oid("");
    OwnedValue gauge = make_value(PMS_TYPE_GAUGE32);
    gauge->set_uint(5);
    EXPECT_EQ(gauge->read_index(empty.get(), false, 0), PMC_E_EMPTY_OID);
    EXPECT_EQ(gauge->get_uint(nullptr), 0xFFFFFFFFu);
    OwnedOid arcs = make_oid("4294967295.2");
    OwnedValue integer = make_value(PMS_TYPE_INTEGER);
    ASSERT_EQ(integer->read_index(arcs.get(), false, 0), PMC_S_OK);
    EXPECT_EQ(integer->get_int(nullptr), -1);
}

TEST(IndexRead, OctetStringPopLeavesRest) {
    OwnedOid oid = make_oid("5.1.2.3");
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    EXPECT_EQ(oid->pop_index_into(value.get(), false, 0xFFFFFFFFu), PMC_E_BAD_INDEX);
    EXPECT_EQ(text_of(*oid), "5.1.2.3");
    OwnedOid good = make_oid("3.1.2.3.9");
    ASSERT_EQ(good->pop_index_into(value.get(), false, 0xFFFFFFFFu), PMC_S_OK);
    EXPECT_EQ(bytes_of(*value), (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(text_of(*good), "9");
}

TEST(IndexRead, ImpliedCounts) {
    OwnedOid oid = make_oid("97.98.99.100");
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(value->read_index(oid.get(), true, 2), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "ab");
    ASSERT_EQ(value->read_index(oid.get(), true, 4), PMC_S_OK);  // at least the arc count: all
    EXPECT_EQ(text_of(*value), "abcd");
    ASSERT_EQ(value->read_index(oid.get(), true, 0), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "");
    ASSERT_EQ(oid->pop_index_into(value.get(), true, 3), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "abc");
    EXPECT_EQ(text_of(*oid), "100");

    OwnedOid arcs = make_oid("1.3.6.1");
    OwnedValue id = make_value(PMS_TYPE_OID);
    ASSERT_EQ(arcs->pop_index_into(id.get(), true, 2), PMC_S_OK);
    EXPECT_EQ(text_of(*id), "1.3");
    EXPECT_EQ(text_of(*arcs), "6.1");
    EXPECT_EQ(id->read_index(arcs.get(), true, 3), PMC_E_OUT_OF_RANGE);
}

TEST(IndexRead, FixedKindPopRemovesItsOwnForm) {
    // A caller's count does not apply to a fixed-size form: the pop must take
    // exactly the four address arcs, not the count it was given.
    OwnedOid oid = make_oid("10.0.0.1.7.8");
    OwnedValue address = make_value(PMS_TYPE_IP_ADDRESS);
    ASSERT_EQ(oid->pop_index_into(address.get(), true, 2), PMC_S_OK);
    EXPECT_EQ(text_of(*address), "10.0.0.1");
    EXPECT_EQ(text_of(*oid), "7.8");
}

TEST(IndexAppend, UnsupportedKindsLeaveIdentifier) {
    for (pmc_long type : {PMS_TYPE_COUNTER64, PMS_TYPE_NULL, PMS_TYPE_END_OF_MIB_VIEW}) {
        OwnedOid oid = make_oid("1.3");
        OwnedValue value = make_value(type);
        EXPECT_EQ(oid->append_value_index(value.get(), false), PMC_E_NOT_SUPPORTED);
        EXPECT_EQ(oid->encode_index(value.get(), false), PMC_E_NOT_SUPPORTED);
        EXPECT_EQ(text_of(*oid), "1.3");
        EXPECT_EQ(value->get_index_length(false), type == PMS_TYPE_COUNTER64 ? 1u : 0u);
    }
}

TEST(IndexAppend, NullArguments) {
    OwnedOid oid = make_oid("1.3");
    OwnedValue value = make_value(PMS_TYPE_INTEGER);
    EXPECT_EQ(oid->append_value_index(nullptr, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->append_text_index(nullptr, PMS_TYPE_INTEGER, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->append_text_index("1", 0x47, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->append_text_index("10.0.0", PMS_TYPE_IP_ADDRESS, false), PMC_E_INVALID_ARG);
    // Found by fuzzing: an identifier index took any text onto the name.
    EXPECT_EQ(oid->append_text_index("1.3.6D1.4.1", PMS_TYPE_OID, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(text_of(*oid), "1.3");
    EXPECT_EQ(oid->encode_index(nullptr, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->decode_index_into(nullptr, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->pop_index_into(nullptr, false, 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->append_index(nullptr, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->write_index(nullptr, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->read_index(nullptr, false, 0), PMC_E_INVALID_ARG);
    pmc_long status = -99;
    EXPECT_EQ(oid->decode_index_new(0x47, &status, false), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->pop_index_new(PMS_TYPE_IP_ADDRESS, &status, false, 0), nullptr);
    EXPECT_EQ(status, PMC_E_BAD_INDEX);
    EXPECT_EQ(text_of(*oid), "1.3");
}

TEST(IndexAppend, IdentifierArcWiderThan32BitsIsRefused) {
    OwnedOid oid = make_oid("1.3");
    EXPECT_EQ(oid->append_text_index("1.4294967296", PMS_TYPE_OID, false), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->encode_index(make_oid("4294967296.1").get(), true), PMC_E_INVALID_ARG);
    EXPECT_EQ(text_of(*oid), "1.3");
    ASSERT_EQ(oid->append_text_index("1.4294967295", PMS_TYPE_OID, true), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), "1.3.1.4294967295");
}

TEST(IndexAppend, IdentifierIntoItself) {
    OwnedOid oid = make_oid("1.3");
    ASSERT_EQ(oid->append_value_index(oid.get(), false), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), "1.3.2.1.3");
    ASSERT_EQ(oid->encode_index(oid.get(), true), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), "1.3.2.1.3");
    EXPECT_EQ(oid->get_length(), 5u);
}

}  // namespace
