// Object identifiers: text, arcs, comparison, prefixes and popping.
#include <string>

#include "value_test_util.h"

namespace {

std::string text_of_oid(const IPmsOid& oid) { return text_of(oid); }

TEST(OidText, ValidityGrammar) {
    const std::pair<const char*, bool> rows[] = {
        {"", true},          {"0", true},         {"1.3.6.1", true},     {"1.3.0.6", true},
        {"1.4294967295", true},  {"4294967296.1", false}, {"1.99999999999", false},
        {"1.3.06", false},   {"1..3", false},     {".1.3", false},       {"1.3.", false},
        {"1.3.6.1.", false}, {"-1.3", false},     {"+1.3", false},       {" 1.3", false},
        {"1.3 ", false},     {"1.a", false},      {".", false},          {"00", false},
    };
    for (const auto& [text, valid] : rows) {
        OwnedOid oid = make_oid(text);
        EXPECT_EQ(oid->is_valid(), valid) << '"' << text << '"';
        pmc_long status = -99;
        OwnedOid made(pms_create_oid_from_text(text, &status));
        EXPECT_EQ(status, valid ? PMC_S_OK : PMC_E_INVALID_ARG) << text;
        EXPECT_EQ(static_cast<bool>(made), valid) << text;
    }
}

TEST(OidText, StoredUnchangedAndMalformedAccepted) {
    OwnedOid oid = make_oid("1..3");
    EXPECT_EQ(text_of_oid(*oid), "1..3");
    EXPECT_FALSE(oid->is_valid());
    EXPECT_EQ(oid->get_length(), 3u);
    EXPECT_EQ(oid->set_text(nullptr), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "");
    EXPECT_EQ(oid->get_length(), 0u);
}

TEST(OidText, FactoryNullYieldsEmpty) {
    pmc_long status = -99;
    OwnedOid oid(pms_create_oid_from_text(nullptr, &status));
    ASSERT_TRUE(oid);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(oid->get_length(), 0u);
    EXPECT_EQ(oid->get_type(), PMS_TYPE_OID);
}

TEST(OidText, BytesAreTheText) {
    OwnedOid oid = make_oid("1.3.6");
    pmc_ulong length = 0;
    const unsigned char* bytes = oid->get_bytes(&length, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), length), "1.3.6");
    EXPECT_EQ(oid->set_bytes(reinterpret_cast<const unsigned char*>("2.5.9.9"), 5), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "2.5.9");
    EXPECT_EQ(oid->get_length(), 3u);
    EXPECT_EQ(oid->set_bytes(nullptr, 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(text_of_oid(*oid), "2.5.9");
}

TEST(OidNumbers, FirstArcAndSetUint) {
    OwnedOid oid = make_oid("1.3.6");
    pmc_long status = -99;
    EXPECT_EQ(oid->get_uint(&status), 1u);
    EXPECT_EQ(status, PMC_S_OK);
    ASSERT_EQ(oid->set_uint(4294967295u), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "4294967295");
    EXPECT_EQ(oid->get_length(), 1u);
    EXPECT_EQ(make_oid("")->get_uint(nullptr), 0u);
    EXPECT_EQ(oid->get_int(&status), -1);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
}

TEST(OidElements, ReadAndRefuse) {
    OwnedOid oid = make_oid("1.3");
    pmc_long status = -99;
    EXPECT_EQ(oid->get_element(1, &status), 3u);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(oid->get_element(2, &status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_OUT_OF_RANGE);
    OwnedOid empty = make_oid("");
    EXPECT_EQ(empty->get_element(0, &status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_EMPTY_OID);
    OwnedOid big = make_oid("1.4294967296.4294967301");
    EXPECT_EQ(big->get_element(1, nullptr), 0u);  // wraps
    EXPECT_EQ(big->get_element(2, nullptr), 5u);
}

struct CompareRow {
    const char* a;
    const char* b;
    pmc_long relation;
};

const CompareRow kCompare[] = {
    {"1.3", "1.3.6", PMS_OID_ABOVE},   {"1.3.6", "1.3", PMS_OID_BELOW}, {"1.3", "1.3", PMS_OID_EQUAL},
    {"1.3", "1.30", PMS_OID_BEFORE},   {"1.30", "1.3", PMS_OID_AFTER},  {"1.10", "1.9", PMS_OID_BEFORE},
    {"", "1", PMS_OID_BEFORE},         {"1", "", PMS_OID_AFTER},        {"", "", PMS_OID_EQUAL},
    {"1.3.6", "1.3.7", PMS_OID_BEFORE}, {"2", "1.3", PMS_OID_AFTER},
};

TEST(OidCompare, TextOrder) {
    for (const CompareRow& row : kCompare) {
        OwnedOid a = make_oid(row.a);
        OwnedOid b = make_oid(row.b);
        pmc_long status = -99;
        EXPECT_EQ(a->compare_text(row.b, &status), row.relation) << row.a << " vs " << row.b;
        EXPECT_EQ(status, PMC_S_OK);
        EXPECT_EQ(a->compare(b.get(), &status), row.relation) << row.a << " vs " << row.b;
    }
}

TEST(OidCompare, NullArgument) {
    OwnedOid a = make_oid("1.3");
    pmc_long status = -99;
    EXPECT_EQ(a->compare_text(nullptr, &status), PMS_OID_NO_RELATION);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    status = -99;
    EXPECT_EQ(a->compare(nullptr, &status), PMS_OID_NO_RELATION);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    EXPECT_EQ(a->compare(nullptr, nullptr), PMS_OID_NO_RELATION);
}

TEST(OidAppend, ArcsTextsAndCounts) {
    OwnedOid oid = make_oid("");
    ASSERT_EQ(oid->append_arc(0), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "0");
    ASSERT_EQ(oid->append_text("1.2"), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "0.1.2");
    EXPECT_EQ(oid->get_length(), 3u);
    EXPECT_EQ(oid->append_text(nullptr), PMC_S_OK);
    EXPECT_EQ(oid->append_text(""), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "0.1.2");
    ASSERT_EQ(oid->append_arc(4294967295u), PMC_S_OK);
    EXPECT_EQ(oid->get_length(), 4u);
    EXPECT_EQ(text_of_oid(*oid), "0.1.2.4294967295");
}

TEST(OidAppend, OtherIdentifier) {
    OwnedOid oid = make_oid("1.3");
    OwnedOid tail = make_oid("6.1");
    OwnedOid empty = make_oid("");
    EXPECT_EQ(oid->append_oid(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->append_oid(empty.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "1.3");
    ASSERT_EQ(oid->append_oid(tail.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "1.3.6.1");
    EXPECT_EQ(oid->get_length(), 4u);
    ASSERT_EQ(empty->append_oid(tail.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*empty), "6.1");
}

TEST(OidAppend, ToItselfAcrossGrowth) {
    OwnedOid oid = make_oid("1.3.6.1.2.1.1.1.0.1.2.3.4.5.6.7.8.9.10.11.12.13.14");  // 50 characters: doubling passes the first step
    const std::string once = text_of_oid(*oid);
    ASSERT_EQ(oid->append_oid(oid.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), once + "." + once);
    EXPECT_EQ(oid->get_length(), 46u);
}

TEST(OidAppend, LongIdentifierBeyondLargestStep) {
    OwnedOid oid = make_oid("");
    std::string expected;
    for (pmc_ulong arc = 0; arc < 400; ++arc) {
        ASSERT_EQ(oid->append_arc(arc * 1000), PMC_S_OK);
        expected += (arc ? "." : "") + std::to_string(arc * 1000);
    }
    EXPECT_EQ(text_of_oid(*oid), expected);
    EXPECT_EQ(oid->get_length(), 400u);
}

TEST(OidPrefix, RemovePrefixText) {
    struct Row {
        const char* text;
        const char* prefix;
        pmc_long status;
        const char* after;
    };
    const Row rows[] = {
        {"1.3.6.1.2.1", "1.3.6.1", PMC_S_OK, "2.1"},         {"1.3.6.10", "1.3.6.1", PMC_E_INVALID_ARG, "1.3.6.10"},
        {"1.3.6.1", "1.3.6.1", PMC_S_OK, ""},               {"1.3", "1.3.6", PMC_E_INVALID_ARG, "1.3"},
        {"1.3", nullptr, PMC_E_INVALID_ARG, "1.3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " less " + (row.prefix != nullptr ? row.prefix : "null"));
        OwnedOid oid = make_oid(row.text);
        EXPECT_EQ(oid->remove_prefix_text(row.prefix), row.status);
        EXPECT_EQ(text_of_oid(*oid), row.after);
        EXPECT_EQ(oid->get_length(), make_oid(row.after)->get_length());
    }
}

TEST(OidPrefix, RemovePrefixOid) {
    OwnedOid oid = make_oid("1.3.6.1.4.1");
    OwnedOid prefix = make_oid("1.3.6");
    ASSERT_EQ(oid->remove_prefix(prefix.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "1.4.1");
    EXPECT_EQ(oid->remove_prefix(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(oid->remove_prefix(prefix.get()), PMC_E_INVALID_ARG);
    ASSERT_EQ(oid->remove_prefix(oid.get()), PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "");
}

struct RemoveRow {
    const char* text;
    pmc_ulong start;
    pmc_ulong count;
    pmc_long status;
    const char* after;
};

const RemoveRow kRemove[] = {
    {"1.2.3.4", 1, 1, PMC_S_OK, "1.3.4"},
    {"1.2.3.4", 2, 0xFFFFFFFFu, PMC_S_OK, "1.2"},
    {"1.2.3.4", 4, 1, PMC_E_INVALID_ARG, "1.2.3.4"},
    {"1.2.3.4", 0, 1, PMC_S_OK, "2.3.4"},
    {"1.2.3.4", 0, 4, PMC_S_OK, ""},
    {"1.2.3.4", 0, 9, PMC_S_OK, ""},
    {"1.2.3.4", 3, 1, PMC_S_OK, "1.2.3"},
    {"1.2.3.4", 1, 2, PMC_S_OK, "1.4"},
    {"1.2.3.4", 1, 0, PMC_S_OK, "1.2.3.4"},  // removing nothing takes no "."
    {"1.2.3.4", 2, 0xFFFFFFFEu, PMC_S_OK, "1.2"},
    {"", 0, 1, PMC_E_INVALID_ARG, ""},
    {"7", 0, 1, PMC_S_OK, ""},
};

TEST(OidRemoveArcs, Table) {
    for (const RemoveRow& row : kRemove) {
        OwnedOid oid = make_oid(row.text);
        EXPECT_EQ(oid->remove_arcs(row.start, row.count), row.status) << row.text << " " << row.start;
        EXPECT_EQ(text_of_oid(*oid), row.after) << row.text << " " << row.start << " " << row.count;
        OwnedOid recount = make_oid(row.after);
        EXPECT_EQ(oid->get_length(), recount->get_length()) << "kept count must match the text";
    }
}

TEST(OidPop, ArcOidAndText) {
    OwnedOid oid = make_oid("7.8");
    pmc_long status = -99;
    EXPECT_EQ(oid->pop_arc(&status), 7u);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(text_of_oid(*oid), "8");
    EXPECT_EQ(oid->pop_arc(&status), 8u);
    EXPECT_EQ(oid->pop_arc(&status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_EMPTY_OID);

    OwnedOid three = make_oid("1.3.6");
    OwnedOid front(three->pop_oid(2, &status));
    ASSERT_TRUE(front);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(text_of_oid(*front), "1.3");
    EXPECT_EQ(text_of_oid(*three), "6");

    OwnedOid all = make_oid("1.3.6");
    OwnedOid whole(all->pop_oid(5, &status));
    EXPECT_EQ(text_of_oid(*whole), "1.3.6");
    EXPECT_EQ(text_of_oid(*all), "");
    EXPECT_EQ(all->get_length(), 0u);

    OwnedOid keep = make_oid("1.3.6");
    OwnedString none(keep->pop_text_new(0, &status));
    ASSERT_TRUE(none);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(none->get_length(), 0u);
    EXPECT_EQ(text_of_oid(*keep), "1.3.6");
    OwnedString two(keep->pop_text_new(2, &status));
    EXPECT_EQ(string_of(*two), "1.3");
    EXPECT_EQ(text_of_oid(*keep), "6");
    EXPECT_EQ(keep->pop_text_into(nullptr, 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(keep->pop_into_value(nullptr, 1), PMC_E_INVALID_ARG);
}

TEST(OidPop, IntoValueFailureRemovesNothing) {
    OwnedOid oid = make_oid("1.3.6");
    OwnedValue null_value = make_value(PMS_TYPE_NULL);
    EXPECT_EQ(oid->pop_into_value(null_value.get(), 2), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(text_of_oid(*oid), "1.3.6");
    OwnedValue text = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(oid->pop_into_value(text.get(), 1), PMC_S_OK);
    EXPECT_EQ(text_of(*text), "1");
    EXPECT_EQ(text_of_oid(*oid), "3.6");
}

TEST(OidValue, AssignEqualsClearClone) {
    OwnedOid a = make_oid("1.3.6");
    OwnedOid b = make_oid("");
    ASSERT_EQ(b->assign(a.get()), PMC_S_OK);
    EXPECT_TRUE(b->equals(a.get()));
    EXPECT_EQ(b->get_length(), 3u);
    b->append_arc(1);
    EXPECT_FALSE(b->equals(a.get()));
    b->clear();
    EXPECT_EQ(text_of_oid(*b), "");
    EXPECT_EQ(b->get_length(), 0u);
    pmc_long status = -99;
    OwnedOid copy(a->clone_oid(&status));
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_TRUE(copy->equals(a.get()));
    OwnedValue as_value(a->clone(&status));
    ASSERT_NE(as_value->as_oid(), nullptr);
    EXPECT_EQ(text_of(*as_value), "1.3.6");
    OwnedValue octets = make_value(PMS_TYPE_OCTET_STRING);
    octets->set_text("1.3.6");
    EXPECT_FALSE(a->equals(octets.get()));
    EXPECT_EQ(a->assign(octets.get()), PMC_E_INVALID_ARG);
}

}  // namespace
