// SNMP order of identifiers, which decides whether a walk advanced.
#include <gtest/gtest.h>

#include <string>

#include <pmsnmp/owned.h>

#include "api/oid_order.h"
#include "value/value_factory.h"

namespace {

pmc::Owned<IPmsOid> oid(const char* text) {
    pmc::Owned<IPmsOid> made(pms_create_oid_from_text(text, nullptr));
    EXPECT_NE(made, nullptr) << text;
    return made;
}

TEST(OidOrder, ComparesArcsAsNumbersAndPrefixesFirst) {
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
        {"1.3.6.1.2.1", "1.3.6.1.2.1", 0},
        {"1.3.6.1.4294967295", "1.3.6.1.4294967294.7", 1},
        {"1.3.6.2", "1.3.6.1.99.99", 1},
        {"1.30", "1.4", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        int order = 42;
        ASSERT_EQ(NPmcOidOrder::compare(oid(c.a).get(), oid(c.b).get(), &order), PMC_S_OK);
        EXPECT_EQ(order, c.expected);
    }
}

TEST(OidOrder, IdentifiersLongerThanAnSnmpNameStillCompare) {
    std::string base = "1.3";
    for (int i = 0; i < 300; ++i) base += ".5";
    const std::string longer = base + ".1";
    int order = 0;
    ASSERT_EQ(NPmcOidOrder::compare(oid(longer.c_str()).get(), oid(base.c_str()).get(), &order),
              PMC_S_OK);
    EXPECT_EQ(order, 1);
}

TEST(OidOrder, RefusesNullAndMalformedIdentifiers) {
    int order = 0;
    auto good = oid("1.3.6");
    EXPECT_EQ(NPmcOidOrder::compare(nullptr, good.get(), &order), PMC_E_INVALID_ARG);
    EXPECT_EQ(NPmcOidOrder::compare(good.get(), nullptr, &order), PMC_E_INVALID_ARG);
    EXPECT_EQ(NPmcOidOrder::compare(good.get(), good.get(), nullptr), PMC_E_INVALID_ARG);
    pmc::Owned<IPmsOid> bad(pms_create_oid(nullptr));
    ASSERT_NE(bad, nullptr);
    ASSERT_EQ(bad->set_text("1..3"), PMC_S_OK);
    EXPECT_EQ(NPmcOidOrder::compare(bad.get(), good.get(), &order), PMC_E_INVALID_ARG);
}

}  // namespace
