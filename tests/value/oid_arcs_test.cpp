// The codec's one-pass arc paths.
#include <string>
#include <vector>

#include "value/oid_arcs.h"
#include "value_test_util.h"

namespace {

// Every arc when they fit; the count needed (and the arcs that fit) when
// they do not.
TEST(OidArcs, ReadsEveryArcOrTellsTheNeed) {
    struct Row {
        const char* text;
        pmc_ulong room;
        pmc_long status;
        pmc_ulong count;
        std::vector<pmc_ulong> written;
    };
    const Row rows[] = {
        {"1.3.6.1.4294967295.0", 8, PMC_S_OK, 6, {1, 3, 6, 1, 4294967295u, 0}},
        {"", 0, PMC_S_OK, 0, {}},
        {"1.3.6.1.2.1.1.1.0", 4, PMC_E_OUT_OF_RANGE, 9, {1, 3, 6, 1}},
        {"1.3.6.1.2.1.1.1.0", 0, PMC_E_OUT_OF_RANGE, 9, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " in " + std::to_string(row.room));
        OwnedOid oid = make_oid(row.text);
        pmc_ulong arcs[8] = {};
        pmc_ulong count = 99;
        EXPECT_EQ(pms_oid_read_arcs(oid.get(), row.room != 0 ? arcs : nullptr, row.room, &count), row.status);
        EXPECT_EQ(count, row.count);
        EXPECT_EQ(std::vector<pmc_ulong>(arcs, arcs + row.written.size()), row.written);
    }
}

TEST(OidArcs, MalformedTextRefused) {
    for (const char* text : {"1..3", ".1", "1.", "1.03", "1.a", " 1", "1.-3", "00"}) {
        OwnedOid oid = make_oid(text);
        pmc_ulong arcs[8] = {};
        pmc_ulong count = 0;
        EXPECT_EQ(pms_oid_read_arcs(oid.get(), arcs, 8, &count), PMC_E_INVALID_ARG) << text;
    }
}

TEST(OidArcs, ArcsWiderThan32BitsAreRefusedNotWrapped) {
    pmc_ulong arcs[2] = {};
    pmc_ulong count = 0;
    ASSERT_EQ(pms_oid_read_arcs(make_oid("1.4294967295").get(), arcs, 2, &count), PMC_S_OK);
    EXPECT_EQ(arcs[1], 4294967295u);
    for (const char* text : {"1.4294967296", "4294967301.1", "1.18446744073709551621", "1.2.3.99999999999"}) {
        EXPECT_EQ(pms_oid_read_arcs(make_oid(text).get(), arcs, 2, &count), PMC_E_INVALID_ARG) << text;
    }
}

TEST(OidArcs, BadArguments) {
    OwnedOid oid = make_oid("1.3");
    pmc_ulong arcs[2];
    pmc_ulong count = 0;
    EXPECT_EQ(pms_oid_read_arcs(nullptr, arcs, 2, &count), PMC_E_INVALID_ARG);
    EXPECT_EQ(pms_oid_read_arcs(oid.get(), arcs, 2, nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(pms_oid_read_arcs(oid.get(), nullptr, 2, &count), PMC_E_INVALID_ARG);
    EXPECT_EQ(pms_oid_assign_arcs(nullptr, arcs, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(pms_oid_assign_arcs(oid.get(), nullptr, 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(text_of(*oid), "1.3");
}

TEST(OidArcs, AssignReplacesTextAndCount) {
    OwnedOid oid = make_oid("9.9.9.9.9");
    const pmc_ulong arcs[] = {1, 3, 6, 1, 4294967295u, 0};
    ASSERT_EQ(pms_oid_assign_arcs(oid.get(), arcs, 6), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), "1.3.6.1.4294967295.0");
    EXPECT_EQ(oid->get_length(), 6u);
    EXPECT_EQ(oid->get_element(4, nullptr), 4294967295u);
    ASSERT_EQ(pms_oid_assign_arcs(oid.get(), arcs, 0), PMC_S_OK);
    EXPECT_EQ(text_of(*oid), "");
    EXPECT_EQ(oid->get_length(), 0u);
}

TEST(OidArcs, AssignReusesTheTextBlock) {
    OwnedOid oid = make_oid("1.3.6.1.2.1.43.11.1.1.9.1");
    pmc_ulong length = 0;
    const unsigned char* before = oid->get_bytes(&length, nullptr);
    const pmc_ulong arcs[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 8, 2};
    ASSERT_EQ(pms_oid_assign_arcs(oid.get(), arcs, 12), PMC_S_OK);
    EXPECT_EQ(oid->get_bytes(&length, nullptr), before);
    EXPECT_EQ(text_of(*oid), "1.3.6.1.2.1.43.11.1.1.8.2");
}

TEST(OidArcs, RoundTripOfLongIdentifier) {
    std::vector<pmc_ulong> arcs;
    for (pmc_ulong i = 0; i < 300; ++i) arcs.push_back(i * 7919u);
    OwnedOid oid = make_oid("");
    ASSERT_EQ(pms_oid_assign_arcs(oid.get(), arcs.data(), static_cast<pmc_ulong>(arcs.size())), PMC_S_OK);
    EXPECT_TRUE(oid->is_valid());
    std::vector<pmc_ulong> back(arcs.size());
    pmc_ulong count = 0;
    ASSERT_EQ(pms_oid_read_arcs(oid.get(), back.data(), static_cast<pmc_ulong>(back.size()), &count), PMC_S_OK);
    EXPECT_EQ(back, arcs);
}

TEST(OidArcs, AssignAroundTheStagedArcCount) {
    // Up to 128 arcs are written in one pass, more are measured first.
    for (pmc_ulong count : {1u, 2u, 127u, 128u, 129u}) {
        std::vector<pmc_ulong> arcs;
        std::string expected;
        for (pmc_ulong i = 0; i < count; ++i) {
            const pmc_ulong arc = i % 3 == 0 ? 4294967295u - i : i * 37u;
            arcs.push_back(arc);
            expected += (i == 0 ? "" : ".") + std::to_string(arc);
        }
        OwnedOid oid = make_oid("7");
        ASSERT_EQ(pms_oid_assign_arcs(oid.get(), arcs.data(), count), PMC_S_OK) << count;
        EXPECT_EQ(text_of(*oid), expected) << count;
        EXPECT_EQ(oid->get_length(), count);
    }
}

}  // namespace
