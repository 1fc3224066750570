// Binding lists: positions, moves without copies, the status rules.
// Bindings are told apart by their status, so no values are needed here.
#include <vector>

#include <gtest/gtest.h>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"

namespace {

typedef std::vector<pmc_long> Statuses;

// A list of empty bindings carrying the given statuses as their marks.
pmc::Owned<IPmsVarBindList> make_list(const Statuses& marks) {
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(nullptr));
    for (pmc_long mark : marks) {
        IPmsVarBind* binding = create_varbind(nullptr);
        binding->set_status(mark);
        EXPECT_EQ(PMC_S_OK, list->append(binding));
    }
    return list;
}

Statuses marks_of(const IPmsVarBindList* list) {
    Statuses marks;
    for (pmc_ulong i = 0; i < list->count(); ++i) marks.push_back(list->get_at(i)->get_status());
    return marks;
}

std::vector<const IPmsVarBind*> pointers_of(const IPmsVarBindList* list) {
    std::vector<const IPmsVarBind*> result;
    for (pmc_ulong i = 0; i < list->count(); ++i) result.push_back(list->get_at(i));
    return result;
}

TEST(VarBindListTest, FactoriesGiveEmptyObjects) {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(&status));
    EXPECT_EQ(PMC_S_OK, status);
    EXPECT_EQ(0u, list->count());
    EXPECT_EQ(nullptr, list->get_at(0));
    status = PMC_E_FAIL;
    pmc::Owned<IPmsVarBind> binding(create_varbind(&status));
    EXPECT_EQ(PMC_S_OK, status);
    EXPECT_EQ(nullptr, binding->get_oid());
    EXPECT_EQ(nullptr, binding->get_value());
}

TEST(VarBindListTest, AppendAndInsertFrontOrderBindings) {
    pmc::Owned<IPmsVarBindList> list = make_list({1, 2});
    IPmsVarBind* front = create_varbind(nullptr);
    front->set_status(0);
    ASSERT_EQ(PMC_S_OK, list->insert_front(front));
    EXPECT_EQ((Statuses{0, 1, 2}), marks_of(list.get()));
    EXPECT_EQ(front, list->get_at(0));  // kept, not copied
}

TEST(VarBindListTest, NullArgumentsAreRefused) {
    pmc::Owned<IPmsVarBindList> list = make_list({7});
    EXPECT_EQ(PMC_E_INVALID_ARG, list->append(nullptr));
    EXPECT_EQ(PMC_E_INVALID_ARG, list->insert_front(nullptr));
    EXPECT_EQ(PMC_E_INVALID_ARG, list->add(nullptr, nullptr));
    EXPECT_EQ(PMC_E_INVALID_ARG, list->add_front(nullptr, nullptr));
    EXPECT_FALSE(list->equals(nullptr));
    EXPECT_EQ((Statuses{7}), marks_of(list.get()));
}

TEST(VarBindListTest, RemoveAtHandsOverOrReleases) {
    struct Case {
        pmc_ulong index;
        bool take;
        pmc_long status;
        Statuses left;
        pmc_long taken;  // mark of the binding handed over, -1 for none
    };
    const Case cases[] = {
        {0, true, PMC_S_OK, {2, 3}, 1},  {1, true, PMC_S_OK, {1, 3}, 2},
        {2, false, PMC_S_OK, {1, 2}, -1}, {3, true, PMC_E_INVALID_ARG, {1, 2, 3}, -1},
        {3, false, PMC_E_INVALID_ARG, {1, 2, 3}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " take " << c.take);
        pmc::Owned<IPmsVarBindList> list = make_list({1, 2, 3});
        IPmsVarBind* out = reinterpret_cast<IPmsVarBind*>(&list);  // must be overwritten
        EXPECT_EQ(c.status, list->remove_at(c.index, c.take ? &out : nullptr));
        EXPECT_EQ(c.left, marks_of(list.get()));
        if (!c.take) continue;
        if (c.taken < 0) {
            EXPECT_EQ(nullptr, out);
        } else {
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(c.taken, out->get_status());
            out->release();
        }
    }
}

TEST(VarBindListTest, PopFrontTakesBindingsInOrder) {
    pmc::Owned<IPmsVarBindList> list = make_list({1, 2});
    IPmsVarBind* first = list->get_at(0);
    pmc::Owned<IPmsVarBind> popped(list->pop_front());
    EXPECT_EQ(first, popped.get());
    EXPECT_EQ((Statuses{2}), marks_of(list.get()));
    popped.reset(list->pop_front());
    EXPECT_EQ(2, popped->get_status());
    EXPECT_EQ(nullptr, list->pop_front());
    EXPECT_EQ(0u, list->count());
}

TEST(VarBindListTest, PopDetachOnEmptyListClearsOutputs) {
    pmc::Owned<IPmsVarBindList> list = make_list({});
    IPmsOid* oid = reinterpret_cast<IPmsOid*>(&list);
    IPmsValue* value = reinterpret_cast<IPmsValue*>(&list);
    list->pop_detach(&oid, &value);
    EXPECT_EQ(nullptr, oid);
    EXPECT_EQ(nullptr, value);
    list->pop_detach(nullptr, nullptr);
}

TEST(VarBindListTest, PopDetachDropsTheFirstBinding) {
    pmc::Owned<IPmsVarBindList> list = make_list({1, 2});
    list->pop_detach(nullptr, nullptr);
    EXPECT_EQ((Statuses{2}), marks_of(list.get()));
}

TEST(VarBindListTest, SplitFrontMovesBindings) {
    struct Case {
        pmc_ulong n;
        Statuses front;
        Statuses rest;
    };
    const Case cases[] = {
        {0, {}, {1, 2, 3, 4}},      {1, {1}, {2, 3, 4}},  {3, {1, 2, 3}, {4}},
        {4, {1, 2, 3, 4}, {}},      {10, {1, 2, 3, 4}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n);
        pmc::Owned<IPmsVarBindList> list = make_list({1, 2, 3, 4});
        const auto before = pointers_of(list.get());
        pmc_long status = PMC_E_FAIL;
        pmc::Owned<IPmsVarBindList> front(list->split_front(c.n, &status));
        ASSERT_EQ(PMC_S_OK, status);
        ASSERT_TRUE(front);
        EXPECT_EQ(c.front, marks_of(front.get()));
        EXPECT_EQ(c.rest, marks_of(list.get()));
        // The very same binding objects, only redistributed.
        auto after = pointers_of(front.get());
        const auto rest = pointers_of(list.get());
        after.insert(after.end(), rest.begin(), rest.end());
        EXPECT_EQ(before, after);
    }
}

TEST(VarBindListTest, SplitFrontOfEmptyListGivesEmptyList) {
    pmc::Owned<IPmsVarBindList> list = make_list({});
    pmc::Owned<IPmsVarBindList> front(list->split_front(3, nullptr));
    ASSERT_TRUE(front);
    EXPECT_EQ(0u, front->count());
}

TEST(VarBindListTest, CloneRangeCopiesAWindow) {
    struct Case {
        pmc_ulong start;
        pmc_ulong n;
        pmc_long status;
        Statuses marks;
    };
    const Case cases[] = {
        {0, 6, PMC_S_OK, {0, 0, 0, 0, 0, 0}},
        {5, 3, PMC_S_OK, {0}},  // stops at the end of the list
        {1, 2, PMC_S_OK, {0, 0}},
        {2, 0, PMC_S_OK, {}},
        {6, 1, PMC_E_INVALID_ARG, {}},
        {0xFFFFFFFFu, 1, PMC_E_INVALID_ARG, {}},
        {1, 0xFFFFFFFFu, PMC_S_OK, {0, 0, 0, 0, 0}},  // no overflow of start + count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " count " << c.n);
        // Clones do not carry the status, so every clone reads 0.
        pmc::Owned<IPmsVarBindList> list = make_list({1, 2, 3, 4, 5, 6});
        pmc_long status = PMC_E_FAIL;
        pmc::Owned<IPmsVarBindList> copy(list->clone_range(c.start, c.n, &status));
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.status == PMC_S_OK, static_cast<bool>(copy));
        if (copy) {
            EXPECT_EQ(c.marks, marks_of(copy.get()));
            for (pmc_ulong i = 0; i < copy->count(); ++i) {
                EXPECT_NE(list->get_at(c.start + i), copy->get_at(i));
            }
        }
        EXPECT_EQ(6u, list->count());
    }
}

TEST(VarBindListTest, CloneOfEmptyListIsEmptyList) {
    pmc::Owned<IPmsVarBindList> list = make_list({});
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsVarBindList> copy(list->clone(&status));
    EXPECT_EQ(PMC_S_OK, status);
    ASSERT_TRUE(copy);
    EXPECT_EQ(0u, copy->count());
    EXPECT_TRUE(copy->equals(list.get()));
}

TEST(VarBindListTest, EqualsComparesCountAndEachBinding) {
    struct Case {
        Statuses a;
        Statuses b;
        bool equal;
    };
    const Case cases[] = {
        {{}, {}, true},        {{0, 0}, {0, 0}, true}, {{0, 0}, {0}, false},
        {{0, 1}, {0, 2}, false}, {{1, 2}, {2, 1}, false},
    };
    for (const Case& c : cases) {
        pmc::Owned<IPmsVarBindList> a = make_list(c.a);
        pmc::Owned<IPmsVarBindList> b = make_list(c.b);
        EXPECT_EQ(c.equal, a->equals(b.get()));
        EXPECT_EQ(c.equal, b->equals(a.get()));
    }
}

TEST(VarBindListTest, ApplyErrorMarksTheBindingTheIndexPointsAt) {
    struct Case {
        pmc_long error_status;
        pmc_long error_index;
        Statuses expected;
    };
    const Case cases[] = {
        {PMS_ERR_NO_SUCH_NAME, 3, {100, 100, 2, 100}},
        {PMS_ERR_GEN_ERR, 1, {5, 100, 100, 100}},
        {PMS_ERR_TOO_BIG, 0, {100, 100, 100, 100}},   // no binding named
        {PMS_ERR_BAD_VALUE, 5, {100, 100, 100, 100}},  // beyond the list
        {PMS_ERR_BAD_VALUE, -1, {100, 100, 100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.error_index);
        pmc::Owned<IPmsVarBindList> list = make_list({0, 0, 0, 0});
        list->apply_error(c.error_status, c.error_index);
        EXPECT_EQ(c.expected, marks_of(list.get()));
    }
}

TEST(VarBindListTest, SetAllStatusReachesEveryBinding) {
    pmc::Owned<IPmsVarBindList> list = make_list({1, 100, 3});
    list->set_all_status(PMS_ERR_NO_ERROR);
    EXPECT_EQ((Statuses{0, 0, 0}), marks_of(list.get()));
}

}  // namespace
