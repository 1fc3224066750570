// Identifiers as arcs: the SNMP order that decides whether a walk advanced,
// typed text, subtrees and the library's identifiers.
#include <gtest/gtest.h>

#include <string>

#include <pmsnmp/owned.h>

#include "api/client_oid.h"
#include "value/value_factory.h"

namespace {

using NPmcClient::Oid;

Oid parsed(const std::string& text) {
    const std::optional<Oid> oid = Oid::parse(text);
    EXPECT_TRUE(oid) << text;
    return oid.value_or(Oid());
}

TEST(ClientOid, ComparesArcsAsNumbersAndPrefixesFirst) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.3.6.1.2.1.1.9", "1.3.6.1.2.1.1.10", -1},  // text order says the opposite
        {"1.3.6.1.2.1.1.10", "1.3.6.1.2.1.1.9", 1},
        {"1.3.6.1", "1.3.6.1.2", -1},
        {"1.3.6.1.2", "1.3.6.1", 1},
        {"1.3.6", "1.3.6.0", -1},
        {"1.3.6.1.2.1", ".1.3.6.1.2.1", 0},
        {"1.3.6.1.4294967295", "1.3.6.1.4294967294.7", 1},
        {"1.3.6.2", "1.3.6.1.99.99", 1},
        {"1.30", "1.4", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(parsed(c.a).compare(parsed(c.b)), c.expected);
        EXPECT_EQ(parsed(c.a) < parsed(c.b), c.expected < 0);
    }
}

TEST(ClientOid, ParsesOnlyNumericIdentifiers) {
    EXPECT_EQ(parsed(".1.3.6.1.4294967295").text(), "1.3.6.1.4294967295");
    for (const char* bad : {"", "1", "1..3", "1.3.", ".", "1.3.-6", "1.3.6.4294967296", "1.3.6.99999999999",
                            "iso.3", "1.3 .6", "+1.3", "1.3.06"})
        EXPECT_FALSE(Oid::parse(bad)) << bad;
}

TEST(ClientOid, BelowAndSuffix) {
    const Oid supplies = parsed("1.3.6.1.2.1.43.11.1.1.6");
    EXPECT_EQ(parsed("1.3.6.1.2.1.43.11.1.1.6.1.2").suffix_after(supplies).text(), "1.2");
    EXPECT_TRUE(parsed("1.3.6.1.2").is_below(parsed("1.3.6.1")));
    EXPECT_FALSE(parsed("1.3.6.1").is_below(parsed("1.3.6.1")));
    EXPECT_FALSE(parsed("1.3.6.10").is_below(parsed("1.3.6.1")));
    EXPECT_TRUE(parsed("1.3.6.1").suffix_after(parsed("1.3.6.1.2")).empty());
    EXPECT_EQ(supplies + parsed("1.10"), parsed("1.3.6.1.2.1.43.11.1.1.6.1.10"));
}

TEST(ClientOid, ReadsAndMakesLibraryIdentifiers) {
    std::string base = "1.3";
    for (int i = 0; i < 300; ++i) base += ".5";  // past any inline room
    for (const std::string& text : {std::string("1.3.6.1.4294967295"), base}) {
        pmc::Owned<IPmsOid> made(parsed(text).make(nullptr));
        ASSERT_NE(made, nullptr);
        const std::optional<Oid> read = Oid::of(made.get());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->text(), text);
    }
    pmc::Owned<IPmsOid> bad(pms_create_oid(nullptr));
    ASSERT_NE(bad, nullptr);
    ASSERT_EQ(bad->set_text("1..3"), PMC_S_OK);
    EXPECT_FALSE(Oid::of(bad.get()));
    EXPECT_FALSE(Oid::of(nullptr));
    pmc_long status = PMC_S_OK;
    EXPECT_EQ(Oid().make(&status), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

}  // namespace
