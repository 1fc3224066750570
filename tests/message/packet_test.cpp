// SNMP packets: ownership of PDU and target, equality and deep copies.
#include <gtest/gtest.h>

#include <pmsnmp/owned.h>

#include "failing_value.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"

namespace {

typedef pmc::Owned<IPmsSnmpPacket> Packet;

IPmsSnmpTarget* community(const char* text) {
    IPmsSnmpTarget* target = create_community_target(nullptr);
    void* view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
    EXPECT_EQ(PMC_S_OK, static_cast<IPmsCommunityTarget*>(view)->set_community(text));
    return target;
}

IPmsPdu* pdu(pmc_long request_id) {
    IPmsPdu* result = create_pdu(nullptr);
    result->set_type(PMS_PDU_GET);
    result->set_request_id(request_id);
    return result;
}

Packet packet(IPmsPdu* p, IPmsSnmpTarget* t) {
    pmc_long status = PMC_E_FAIL;
    Packet result(create_packet(&status));
    EXPECT_EQ(PMC_S_OK, status);
    result->set_pdu(p);
    result->set_target(t);
    return result;
}

TEST(SnmpPacketTest, SetReplacesAndDetachHandsOver) {
    IPmsPdu* first_pdu = pdu(1);
    IPmsSnmpTarget* first_target = community("public");
    Packet p = packet(first_pdu, first_target);
    EXPECT_EQ(first_pdu, p->get_pdu());
    EXPECT_EQ(first_target, p->get_target());
    p->set_pdu(first_pdu);  // setting the same object keeps it alive
    p->set_target(first_target);
    EXPECT_EQ(1, p->get_pdu()->get_request_id());

    IPmsPdu* second_pdu = pdu(2);
    p->set_pdu(second_pdu);  // releases the first
    p->set_target(nullptr);
    EXPECT_EQ(nullptr, p->get_target());
    pmc::Owned<IPmsPdu> taken(p->detach_pdu());
    EXPECT_EQ(second_pdu, taken.get());
    EXPECT_EQ(nullptr, p->get_pdu());
}

TEST(SnmpPacketTest, EqualsComparesPduAndTarget) {
    struct Case {
        const char* what;
        Packet a;
        Packet b;
        bool equal;
    };
    Case cases[] = {
        {"same", packet(pdu(1), community("public")), packet(pdu(1), community("public")), true},
        {"both empty", packet(nullptr, nullptr), packet(nullptr, nullptr), true},
        {"other pdu", packet(pdu(1), community("public")), packet(pdu(2), community("public")),
         false},
        {"other community", packet(pdu(1), community("public")),
         packet(pdu(1), community("private")), false},
        {"pdu absent", packet(pdu(1), community("public")), packet(nullptr, community("public")),
         false},
        {"target absent", packet(pdu(1), community("public")), packet(pdu(1), nullptr), false},
        {"target kinds", packet(pdu(1), community("public")),
         packet(pdu(1), create_v3_target(nullptr)), false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.equal, c.a->equals(c.b.get()));
        EXPECT_EQ(c.equal, c.b->equals(c.a.get()));
    }
    Packet p = packet(nullptr, nullptr);
    EXPECT_FALSE(p->equals(nullptr));
}

TEST(SnmpPacketTest, CloneCopiesPduAndTarget) {
    Packet source = packet(pdu(4), community("public"));
    pmc_long status = PMC_E_FAIL;
    Packet copy(source->clone(&status));
    ASSERT_EQ(PMC_S_OK, status);
    ASSERT_TRUE(copy);
    EXPECT_NE(source->get_pdu(), copy->get_pdu());
    EXPECT_NE(source->get_target(), copy->get_target());
    EXPECT_TRUE(source->equals(copy.get()));

    Packet empty = packet(nullptr, nullptr);
    Packet empty_copy(empty->clone(&status));
    ASSERT_EQ(PMC_S_OK, status);
    EXPECT_EQ(nullptr, empty_copy->get_pdu());
    EXPECT_EQ(nullptr, empty_copy->get_target());
}

TEST(SnmpPacketTest, FailedCloneReleasesWhatWasMade) {
    IPmsPdu* failing = pdu(4);
    ASSERT_EQ(PMC_S_OK, failing->set_timestamp(new FailingCloneValue(PMS_TYPE_TIME_TICKS)));
    Packet source = packet(failing, community("public"));
    pmc_long status = PMC_S_OK;
    EXPECT_EQ(nullptr, source->clone(&status));  // the target's clone is released again
    EXPECT_EQ(PMC_E_NO_MEMORY, status);
    EXPECT_EQ(failing, source->get_pdu());
}

}  // namespace
