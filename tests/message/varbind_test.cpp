// Variable bindings holding real values: ownership of the pair, NULL
// filling, deep copies and their failure.
#include <gtest/gtest.h>

#include <pmsnmp/owned.h>

#include "failing_value.h"
#include "message/pdu_factory.h"
#include "value/value_factory.h"

namespace {

IPmsOid* oid(const char* text) {
    pmc_long status = PMC_E_FAIL;
    IPmsOid* result = pms_create_oid_from_text(text, &status);
    EXPECT_EQ(PMC_S_OK, status) << text;
    return result;
}

IPmsValue* integer(pmc_long number) {
    return pms_create_value_from_int(number, PMS_TYPE_INTEGER, nullptr);
}

// The same number as a Gauge32, which never equals an INTEGER.
IPmsValue* gauge(pmc_ulong number) {
    IPmsValue* value = pms_create_value(PMS_TYPE_GAUGE32, nullptr);
    EXPECT_EQ(PMC_S_OK, value->set_uint(number));
    return value;
}

pmc::Owned<IPmsVarBind> binding(const char* text, IPmsValue* value) {
    pmc::Owned<IPmsVarBind> result(create_varbind(nullptr));
    EXPECT_EQ(PMC_S_OK, result->set(oid(text), value));
    result->set_status(PMS_ERR_NO_ERROR);
    return result;
}

TEST(VarBindTest, SetWithoutValueStoresNull) {
    pmc::Owned<IPmsVarBind> b(create_varbind(nullptr));
    IPmsOid* name = oid("1.3.6.1.2.1.1.1.0");
    ASSERT_EQ(PMC_S_OK, b->set(name, nullptr));
    EXPECT_EQ(name, b->get_oid());
    ASSERT_NE(nullptr, b->get_value());
    EXPECT_EQ(PMS_TYPE_NULL, b->get_value()->get_type());
    ASSERT_EQ(PMC_S_OK, b->set_pair(oid("1.3.6.1"), nullptr));  // releases the first pair
    EXPECT_EQ(PMS_TYPE_NULL, b->get_value()->get_type());
}

TEST(VarBindTest, SettersKeepWhatTheyAreGiven) {
    pmc::Owned<IPmsVarBind> b(create_varbind(nullptr));
    IPmsValue* value = integer(5);
    IPmsOid* name = oid("1.3.6.1");
    b->set_value(value);
    b->set_oid(name);
    EXPECT_EQ(value, b->get_value());
    EXPECT_EQ(name, b->get_oid());
    b->set_value(value);  // the object already held stays alive
    b->set_oid(name);
    EXPECT_EQ(5, b->get_value()->get_int(nullptr));
    b->set_value(integer(6));
    b->set_oid(nullptr);
    EXPECT_EQ(6, b->get_value()->get_int(nullptr));
    EXPECT_EQ(nullptr, b->get_oid());
}

TEST(VarBindTest, DetachHandsOutWhatIsAskedForAndEmptiesTheBinding) {
    struct Case {
        bool want_oid;
        bool want_value;
    };
    const Case cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const Case& c : cases) {
        pmc::Owned<IPmsVarBind> b = binding("1.3.6.1.2", integer(42));
        IPmsOid* name = nullptr;
        IPmsValue* value = nullptr;
        b->detach(c.want_oid ? &name : nullptr, c.want_value ? &value : nullptr);
        EXPECT_EQ(nullptr, b->get_oid());
        EXPECT_EQ(nullptr, b->get_value());
        pmc::Owned<IPmsOid> own_name(name);
        pmc::Owned<IPmsValue> own_value(value);
        EXPECT_EQ(c.want_oid, name != nullptr);
        EXPECT_EQ(c.want_value, value != nullptr);
        if (value != nullptr) {
            EXPECT_EQ(42, value->get_int(nullptr));
        }
    }
}

TEST(VarBindTest, EqualsComparesPairAndStatus) {
    pmc::Owned<IPmsVarBind> a = binding("1.3.6.1.2", integer(1));
    struct Case {
        const char* what;
        pmc::Owned<IPmsVarBind> b;
        bool equal;
    };
    Case cases[] = {
        {"same", binding("1.3.6.1.2", integer(1)), true},
        {"other number", binding("1.3.6.1.2", integer(2)), false},
        {"other name", binding("1.3.6.1.3", integer(1)), false},
        {"other type", binding("1.3.6.1.2", gauge(1)),
         false},
        {"null value", binding("1.3.6.1.2", nullptr), false},
        {"empty", pmc::Owned<IPmsVarBind>(create_varbind(nullptr)), false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.b->set_status(PMS_ERR_NO_ERROR);
        EXPECT_EQ(c.equal, a->equals(c.b.get()));
        EXPECT_EQ(c.equal, c.b->equals(a.get()));
    }
    pmc::Owned<IPmsVarBind> other_status = binding("1.3.6.1.2", integer(1));
    other_status->set_status(PMS_VARBIND_OTHER_ERROR);
    EXPECT_FALSE(a->equals(other_status.get()));
    EXPECT_FALSE(a->equals(nullptr));

    pmc::Owned<IPmsVarBind> empty_a(create_varbind(nullptr));
    pmc::Owned<IPmsVarBind> empty_b(create_varbind(nullptr));
    empty_a->set_status(0);
    empty_b->set_status(0);
    EXPECT_TRUE(empty_a->equals(empty_b.get()));
}

TEST(VarBindTest, CloneIsDeepAndLeavesStatusBehind) {
    pmc::Owned<IPmsVarBind> a = binding(
        "1.3.6.1.2.1.1.5.0", pms_create_value_from_text("printer", PMS_TYPE_OCTET_STRING, nullptr));
    a->set_status(PMS_ERR_NO_ERROR);
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsVarBind> copy(a->clone(&status));
    ASSERT_EQ(PMC_S_OK, status);
    ASSERT_TRUE(copy);
    EXPECT_NE(a->get_oid(), copy->get_oid());
    EXPECT_NE(a->get_value(), copy->get_value());
    EXPECT_TRUE(a->get_oid()->equals(copy->get_oid()));
    EXPECT_TRUE(a->get_value()->equals(copy->get_value()));
    copy->set_status(PMS_ERR_NO_ERROR);
    EXPECT_TRUE(copy->equals(a.get()));
    ASSERT_EQ(PMC_S_OK, copy->get_value()->set_text("changed"));
    EXPECT_FALSE(copy->equals(a.get()));
}

TEST(VarBindTest, FailedCloneReportsAndLeavesSourceAlone) {
    IPmsValue* failing = new FailingCloneValue(PMS_TYPE_INTEGER);
    pmc::Owned<IPmsVarBind> a = binding("1.3.6.1.2", failing);
    pmc_long status = PMC_S_OK;
    EXPECT_EQ(nullptr, a->clone(&status));  // the identifier's clone is freed again
    EXPECT_EQ(PMC_E_NO_MEMORY, status);
    EXPECT_EQ(failing, a->get_value());
    EXPECT_EQ(PMS_OID_EQUAL, a->get_oid()->compare_text("1.3.6.1.2", nullptr));
}

TEST(VarBindListTest, AddMakesBindingsFromPairs) {
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(nullptr));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.2"), integer(2)));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.3"), nullptr));
    ASSERT_EQ(PMC_S_OK, list->add_front(oid("1.3.6.1.1"), integer(1)));
    ASSERT_EQ(3u, list->count());
    EXPECT_EQ(1, list->get_at(0)->get_value()->get_int(nullptr));
    EXPECT_EQ(2, list->get_at(1)->get_value()->get_int(nullptr));
    EXPECT_EQ(PMS_TYPE_NULL, list->get_at(2)->get_value()->get_type());

    // A refused pair stays with the caller.
    pmc::Owned<IPmsValue> value(integer(9));
    EXPECT_EQ(PMC_E_INVALID_ARG, list->add(nullptr, value.get()));
    EXPECT_EQ(PMC_E_INVALID_ARG, list->add_front(nullptr, value.get()));
    EXPECT_EQ(3u, list->count());
    EXPECT_EQ(9, value->get_int(nullptr));
}

TEST(VarBindListTest, PopDetachHandsOverThePairOfTheFirstBinding) {
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(nullptr));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.2"), integer(2)));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.3"), integer(3)));
    IPmsOid* name = nullptr;
    IPmsValue* value = nullptr;
    list->pop_detach(&name, &value);
    pmc::Owned<IPmsOid> own_name(name);
    pmc::Owned<IPmsValue> own_value(value);
    ASSERT_NE(nullptr, name);
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(PMS_OID_EQUAL, name->compare_text("1.3.6.1.2", nullptr));
    EXPECT_EQ(2, value->get_int(nullptr));
    ASSERT_EQ(1u, list->count());
    list->pop_detach(nullptr, &value);  // the identifier is released
    own_value.reset(value);
    EXPECT_EQ(3, value->get_int(nullptr));
    EXPECT_EQ(0u, list->count());
}

TEST(VarBindListTest, FailedCloneRangeFreesThePartialCopy) {
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(nullptr));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.1"), integer(1)));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.2"), integer(2)));
    IPmsValue* failing = new FailingCloneValue(PMS_TYPE_INTEGER);
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.3"), failing));
    ASSERT_EQ(PMC_S_OK, list->add(oid("1.3.6.1.4"), integer(4)));
    IPmsVarBind* before[4];
    for (pmc_ulong i = 0; i < 4; ++i) before[i] = list->get_at(i);

    pmc_long status = PMC_S_OK;
    EXPECT_EQ(nullptr, list->clone(&status));
    EXPECT_EQ(PMC_E_NO_MEMORY, status);
    status = PMC_S_OK;
    EXPECT_EQ(nullptr, list->clone_range(1, 3, &status));
    EXPECT_EQ(PMC_E_NO_MEMORY, status);
    pmc::Owned<IPmsVarBindList> head(list->clone_range(0, 2, &status));
    EXPECT_EQ(PMC_S_OK, status);
    EXPECT_EQ(2u, head->count());

    ASSERT_EQ(4u, list->count());
    for (pmc_ulong i = 0; i < 4; ++i) EXPECT_EQ(before[i], list->get_at(i));
    EXPECT_EQ(failing, list->get_at(2)->get_value());
}

}  // namespace
