// The pointer list: order, ownership through the element policy, iterators.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pmsnmp/owned.h>
#include <pmsnmp/pmsnmp.h>

#include "message/pdu_factory.h"
#include "message/ptr_list_impl.h"
#include "message/snmp_packet.h"

namespace {

// An element that writes its name into a shared record when it ends.
class Probe {
public:
    Probe(std::vector<std::string>* ended, std::string name, bool refused = false)
        : ended_(ended), name_(std::move(name)), refused_(refused) {}
    void release() {
        ended_->push_back(name_);
        delete this;
    }
    const std::string& name() const { return name_; }
    bool refused() const { return refused_; }

private:
    ~Probe() = default;
    std::vector<std::string>* ended_;
    std::string name_;
    bool refused_;
};

// Refuses marked elements and reports a chosen status from dispose, so that
// the list's use of both operations can be seen.
struct ProbePolicy {
    pmc_long dispose_status = PMC_S_OK;
    Probe* acquire(Probe* element) { return element->refused() ? nullptr : element; }
    pmc_long dispose(Probe* element) {
        element->release();
        return dispose_status;
    }
};

class PtrListTest : public ::testing::Test {
protected:
    void SetUp() override {
        pmc_long status = PMC_E_FAIL;
        list_.reset(pmc_create_ptr_list<Probe, ProbePolicy>(&status));
        ASSERT_EQ(PMC_S_OK, status);
        ASSERT_TRUE(list_);
    }

    Probe* make(const char* name, bool refused = false) { return new Probe(&ended_, name, refused); }

    // The names from front to back, read with a fresh iterator.
    std::vector<std::string> names() {
        std::vector<std::string> result;
        pmc_long status = PMC_E_FAIL;
        PmcListIterator* it = list_->create_iterator(&status);
        EXPECT_EQ(PMC_S_OK, status);
        for (Probe* p = list_->current(it); p != nullptr; list_->next(it), p = list_->current(it)) {
            result.push_back(p->name());
        }
        list_->release_iterator(it);
        return result;
    }

    typedef std::vector<std::string> Names;
    Names ended_;
    pmc::Owned<IPmcPtrList<Probe>> list_;
};

TEST_F(PtrListTest, AddAndAddFrontKeepInsertionOrder) {
    EXPECT_EQ(PMC_S_OK, list_->add(make("a")));
    EXPECT_EQ(PMC_S_OK, list_->add(make("b")));
    EXPECT_EQ(PMC_S_OK, list_->add_front(make("c")));
    EXPECT_EQ(3u, list_->count());
    EXPECT_EQ((Names{"c", "a", "b"}), names());
    EXPECT_TRUE(ended_.empty());
}

TEST_F(PtrListTest, RefusedInsertionsLeaveListAndElementAlone) {
    ASSERT_EQ(PMC_S_OK, list_->add(make("kept")));
    EXPECT_EQ(PMC_E_INVALID_ARG, list_->add(nullptr));
    EXPECT_EQ(PMC_E_INVALID_ARG, list_->add_front(nullptr));
    Probe* refused = make("refused", true);
    EXPECT_EQ(PMC_E_NO_MEMORY, list_->add(refused));
    EXPECT_EQ(PMC_E_NO_MEMORY, list_->add_front(refused));
    EXPECT_EQ(1u, list_->count());
    EXPECT_EQ((Names{"kept"}), names());
    EXPECT_TRUE(ended_.empty());  // the caller still owns the refused element
    refused->release();
}

TEST_F(PtrListTest, RemovalAtEitherEndDisposesAndReturnsDisposeStatus) {
    struct Case {
        bool front;
        Names ended;
        Names left;
    };
    const Case cases[] = {
        {true, {"a"}, {"b", "c"}},
        {false, {"c"}, {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.front ? "remove_front" : "remove_back");
        ProbePolicy policy;
        policy.dispose_status = PMC_E_FAIL;
        list_.reset(pmc_create_ptr_list<Probe, ProbePolicy>(nullptr, policy));
        ended_.clear();
        for (const char* name : {"a", "b", "c"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
        EXPECT_EQ(PMC_E_FAIL, c.front ? list_->remove_front() : list_->remove_back());
        EXPECT_EQ(c.ended, ended_);
        EXPECT_EQ(c.left, names());
        EXPECT_EQ(2u, list_->count());
    }
}

TEST_F(PtrListTest, RemovalFromEmptyListIsNotAnError) {
    EXPECT_EQ(PMC_S_OK, list_->remove_front());
    EXPECT_EQ(PMC_S_OK, list_->remove_back());
    EXPECT_EQ(PMC_S_OK, list_->clear());
    EXPECT_EQ(0u, list_->count());
}

TEST_F(PtrListTest, ClearDisposesFromTheFrontAndListStaysUsable) {
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
    EXPECT_EQ(PMC_S_OK, list_->clear());
    EXPECT_EQ((Names{"a", "b", "c"}), ended_);
    EXPECT_EQ(0u, list_->count());
    EXPECT_EQ(PMC_S_OK, list_->add(make("d")));
    EXPECT_EQ((Names{"d"}), names());
}

TEST_F(PtrListTest, ReleaseDisposesEveryElement) {
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
    list_.reset();
    EXPECT_EQ((Names{"a", "b", "c"}), ended_);
}

TEST_F(PtrListTest, IteratorOfEmptyListStaysAtTheEnd) {
    PmcListIterator* it = list_->create_iterator(nullptr);
    ASSERT_NE(nullptr, it);
    EXPECT_EQ(nullptr, list_->current(it));
    list_->next(it);
    list_->erase(it);
    list_->rewind(it);
    EXPECT_EQ(nullptr, list_->current(it));
    EXPECT_EQ(0u, list_->count());
    list_->release_iterator(it);
}

TEST_F(PtrListTest, NullIteratorIsIgnored) {
    ASSERT_EQ(PMC_S_OK, list_->add(make("a")));
    EXPECT_EQ(nullptr, list_->current(nullptr));
    list_->next(nullptr);
    list_->rewind(nullptr);
    list_->erase(nullptr);
    list_->release_iterator(nullptr);
    EXPECT_EQ(1u, list_->count());
}

TEST_F(PtrListTest, IteratorOfAnotherListIsIgnored) {
    ASSERT_EQ(PMC_S_OK, list_->add(make("a")));
    pmc::Owned<IPmcPtrList<Probe>> other(pmc_create_ptr_list<Probe, ProbePolicy>(nullptr));
    ASSERT_EQ(PMC_S_OK, other->add(make("x")));
    PmcListIterator* foreign = other->create_iterator(nullptr);
    EXPECT_EQ(nullptr, list_->current(foreign));
    list_->erase(foreign);
    list_->release_iterator(foreign);  // not ours: must not free it
    EXPECT_EQ(1u, list_->count());
    EXPECT_EQ(1u, other->count());
    EXPECT_EQ("x", other->current(foreign)->name());
    other->release_iterator(foreign);
}

TEST_F(PtrListTest, EraseHandsTheElementOverAndMovesToTheNext) {
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
    PmcListIterator* it = list_->create_iterator(nullptr);
    Probe* first = list_->current(it);
    list_->erase(it);
    ASSERT_NE(nullptr, list_->current(it));
    EXPECT_EQ("b", list_->current(it)->name());
    EXPECT_EQ(2u, list_->count());
    EXPECT_TRUE(ended_.empty());
    EXPECT_EQ("a", first->name());  // still alive, now ours
    first->release();

    list_->next(it);
    Probe* last = list_->current(it);
    list_->erase(it);  // iterator reaches the end
    EXPECT_EQ(nullptr, list_->current(it));
    list_->erase(it);  // at the end: nothing happens
    EXPECT_EQ(1u, list_->count());
    EXPECT_EQ((Names{"b"}), names());
    list_->release_iterator(it);
    last->release();
    EXPECT_EQ((Names{"a", "c"}), ended_);
}

TEST_F(PtrListTest, InsertionsKeepIteratorPositions) {
    for (const char* name : {"a", "b"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
    PmcListIterator* it = list_->create_iterator(nullptr);
    ASSERT_EQ(PMC_S_OK, list_->add_front(make("front")));
    ASSERT_EQ(PMC_S_OK, list_->add(make("back")));
    Names seen;
    for (; list_->current(it) != nullptr; list_->next(it)) seen.push_back(list_->current(it)->name());
    EXPECT_EQ((Names{"a", "b", "back"}), seen);
    list_->rewind(it);
    EXPECT_EQ("front", list_->current(it)->name());
    list_->release_iterator(it);
}

TEST_F(PtrListTest, NextStopsAtTheEnd) {
    ASSERT_EQ(PMC_S_OK, list_->add(make("a")));
    PmcListIterator* it = list_->create_iterator(nullptr);
    list_->next(it);
    list_->next(it);  // must not wrap round through the sentinel
    EXPECT_EQ(nullptr, list_->current(it));
    list_->release_iterator(it);
}

TEST_F(PtrListTest, EraseEveryElementWhileWalking) {
    void* const sentinel = list_->internal_sentinel();
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(PMC_S_OK, list_->add(make(name)));
    PmcListIterator* it = list_->create_iterator(nullptr);
    Names taken;
    while (Probe* p = list_->current(it)) {
        list_->erase(it);
        taken.push_back(p->name());
        p->release();
    }
    EXPECT_EQ((Names{"a", "b", "c"}), taken);
    EXPECT_EQ(0u, list_->count());
    // The end marker is the list's own and outlives every element.
    EXPECT_NE(nullptr, sentinel);
    EXPECT_EQ(sentinel, list_->internal_sentinel());
    pmc::Owned<IPmcPtrList<Probe>> other(pmc_create_ptr_list<Probe, ProbePolicy>(nullptr));
    ASSERT_TRUE(other);
    EXPECT_NE(sentinel, other->internal_sentinel());
    list_->release_iterator(it);
}

// The PDU and packet lists end their elements through release(); the leak
// checker of the sanitizer run sees any that are left behind.
TEST(PduListTest, RemoveBackReleasesTheOnlyPdu) {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmcPtrList<IPmsPdu>> list(pms_create_pdu_list(&status));
    ASSERT_EQ(PMC_S_OK, status);
    ASSERT_EQ(PMC_S_OK, list->add(create_pdu(nullptr)));
    EXPECT_EQ(PMC_S_OK, list->remove_back());
    EXPECT_EQ(0u, list->count());
}

TEST(PduListTest, ReleaseEndsAllPdus) {
    IPmcPtrList<IPmsPdu>* list = pms_create_pdu_list(nullptr);
    ASSERT_NE(nullptr, list);
    for (pmc_long type : {PMS_PDU_GET, PMS_PDU_GET_NEXT, PMS_PDU_RESPONSE}) {
        IPmsPdu* pdu = create_pdu(nullptr);
        pdu->set_type(type);
        ASSERT_EQ(PMC_S_OK, list->add(pdu));
    }
    EXPECT_EQ(3u, list->count());
    list->release();
}

TEST(PacketListTest, HoldsPacketsInOrderAndReleasesThem) {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsSnmpPacketList> list(create_packet_list(&status));
    ASSERT_EQ(PMC_S_OK, status);
    IPmsSnmpPacket* first = create_packet(nullptr);
    IPmsSnmpPacket* second = create_packet(nullptr);
    ASSERT_EQ(PMC_S_OK, list->add(first));
    ASSERT_EQ(PMC_S_OK, list->add(second));
    PmcListIterator* it = list->create_iterator(nullptr);
    EXPECT_EQ(first, list->current(it));
    list->next(it);
    EXPECT_EQ(second, list->current(it));
    list->release_iterator(it);
    EXPECT_EQ(PMC_S_OK, list->remove_front());
    EXPECT_EQ(1u, list->count());
}

}  // namespace
