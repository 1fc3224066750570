// Splitting and joining, driven by a session whose exchanges are scripted
// instead of sent.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/request_fragmenter.h"
#include "session/request_session.h"
#include "session/session_test_support.h"

using namespace session_test;
namespace frag = NPmsRequestFragment;

namespace {

// Plays an agent: answers each piece with INTEGER values equal to the
// identifier's second-to-last arc, or asks for a split when a piece holds
// more than too_big_above bindings (as a tooBig answer does).
class ScriptedSession final : public RequestSession {
public:
    ~ScriptedSession() override = default;
    using RequestSession::send_and_split;

    pmc_ulong too_big_above = 1000;
    pmc_ulong split_when_too_big = 2;
    pmc_long too_big_status = PMC_E_TOO_BIG;
    // Called for every piece that gets an answer, with its 0-based number.
    std::function<pmc_long(IPmsPdu*, int)> on_answer;
    std::vector<pmc_ulong> sizes;  // binding counts, in the order sent

    pmc_long _send_and_receive(IPmsPdu* pdu, IPmsSnmpTarget*, pmc_ulong* split_count) override {
        // Like the session, every exchange stamps a fresh identifier.
        pdu->set_request_id(next_id++);
        sizes.push_back(count_of(pdu));
        if (count_of(pdu) > too_big_above) {
            *split_count = split_when_too_big;
            return too_big_status;
        }
        const int number = answered++;
        pdu->set_type(PMS_PDU_RESPONSE);
        IPmsVarBindList* list = pdu->get_varbind_list();
        for (pmc_ulong i = 0; i < list->count(); ++i) {
            IPmsVarBind* binding = list->get_at(i);
            const std::string name = text_of(binding->get_oid());
            const std::string arc = name.substr(0, name.rfind('.'));
            binding->set_value(pms_create_value_from_int(std::stoi(arc.substr(arc.rfind('.') + 1)),
                                                         PMS_TYPE_INTEGER, nullptr));
        }
        return on_answer ? on_answer(pdu, number) : PMC_S_OK;
    }

private:
    int answered = 0;
    pmc_long next_id = 1000;
};

std::vector<pmc_ulong> piece_sizes(IPmsPduList* pieces) {
    std::vector<pmc_ulong> out;
    IPmsPduList::iterator it = pieces->create_iterator(nullptr);
    for (IPmsPdu* piece = pieces->current(it); piece != nullptr; pieces->next(it), piece = pieces->current(it)) {
        out.push_back(count_of(piece));
    }
    pieces->release_iterator(it);
    return out;
}

std::vector<std::string> piece_oids(IPmsPduList* pieces) {
    std::vector<std::string> out;
    IPmsPduList::iterator it = pieces->create_iterator(nullptr);
    for (IPmsPdu* piece = pieces->current(it); piece != nullptr; pieces->next(it), piece = pieces->current(it)) {
        for (const std::string& oid : oids_of(piece)) out.push_back(oid);
    }
    pieces->release_iterator(it);
    return out;
}

}  // namespace

TEST(FragmentPdu, CutsIntoConsecutivePiecesLongestFirst) {
    struct Case {
        int bindings;
        pmc_ulong pieces;
        std::vector<pmc_ulong> sizes;
    };
    const Case cases[] = {
        {10, 3, {4, 3, 3}}, {7, 3, {3, 2, 2}}, {2, 2, {1, 1}}, {5, 2, {3, 2}}, {4, 4, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bindings) + " in " + std::to_string(c.pieces));
        const std::vector<std::string> oids = numbered_oids(c.bindings);
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, oids);
        pdu->set_request_id(77);
        pmc_long status = -99;
        pmc::Owned<IPmsPduList> pieces(frag::fragment_pdu(pdu.get(), c.pieces, &status));
        ASSERT_EQ(status, PMC_S_OK);
        ASSERT_TRUE(pieces);
        EXPECT_EQ(piece_sizes(pieces.get()), c.sizes);
        EXPECT_EQ(piece_oids(pieces.get()), oids);
        EXPECT_EQ(count_of(pdu.get()), 0u);
        // Every piece carries the request's header.
        IPmsPduList::iterator it = pieces->create_iterator(nullptr);
        EXPECT_EQ(pieces->current(it)->get_type(), PMS_PDU_GET);
        EXPECT_EQ(pieces->current(it)->get_request_id(), 77);
        pieces->release_iterator(it);
    }
}

TEST(FragmentPdu, RefusesMorePiecesThanBindingsAndKeepsThem) {
    LogCapture::on(pmc_snmp_log()).clear();
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(1));
    pdu->set_request_id(4242);
    pmc_long status = 0;
    EXPECT_EQ(frag::fragment_pdu(pdu.get(), 2, &status), nullptr);
    EXPECT_EQ(status, PMC_E_CANNOT_SPLIT);
    EXPECT_EQ(oids_of(pdu.get()), numbered_oids(1));
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count(
                  "[RequestSession::fragment_pdu] can't fragment the packet[4242] any more."),
              1);
}

TEST(FragmentPdu, RejectsFewerThanTwoPieces) {
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(3));
    for (pmc_ulong n : {0u, 1u}) {
        pmc_long status = 0;
        EXPECT_EQ(frag::fragment_pdu(pdu.get(), n, &status), nullptr);
        EXPECT_EQ(status, PMC_E_INVALID_ARG);
        EXPECT_EQ(count_of(pdu.get()), 3u);
    }
}

TEST(FragmentProcess, SplitsAgainUntilPiecesFitAndJoinsInRequestOrder) {
    LogCapture::on(pmc_snmp_log()).clear();
    ScriptedSession session;
    session.too_big_above = 3;
    const std::vector<std::string> oids = numbered_oids(10);
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, oids);

    EXPECT_EQ(session.send_and_split(pdu.get(), nullptr), PMC_S_OK);
    // 10 -> 5 + 5, each 5 -> 3 + 2.
    EXPECT_EQ(session.sizes, (std::vector<pmc_ulong>{10, 5, 3, 2, 5, 3, 2}));
    EXPECT_EQ(pdu->get_type(), PMS_PDU_RESPONSE);
    EXPECT_EQ(pdu->get_request_id(), 1000);  // its own, not a piece's
    EXPECT_EQ(pdu->get_error_status(), 0);
    ASSERT_EQ(oids_of(pdu.get()), oids);
    for (pmc_ulong i = 0; i < 10; ++i) EXPECT_EQ(value_at(pdu.get(), i)->get_int(nullptr), static_cast<pmc_long>(i + 1));
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("[RequestSession::fragment_process] packet[1000] is fragmented to 2."), 1);
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("is fragmented to 2."), 3);
}

TEST(FragmentProcess, SplitCountOfTooLargeEncodingIsUsed) {
    ScriptedSession session;
    session.too_big_above = 3;
    session.split_when_too_big = 4;  // as -211 after 3 of 10 bindings fitted
    session.too_big_status = PMC_E_MESSAGE_TOO_LARGE;
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(10));
    EXPECT_EQ(session.send_and_split(pdu.get(), nullptr), PMC_S_OK);
    EXPECT_EQ(session.sizes, (std::vector<pmc_ulong>{10, 3, 3, 2, 2}));
    EXPECT_EQ(oids_of(pdu.get()), numbered_oids(10));
}

TEST(FragmentProcess, ErrorIndexMovesToTheRequestsPosition) {
    struct Case {
        int failing_piece;
        pmc_long piece_index;
        pmc_long joined_index;
    };
    // Seven bindings in pieces of 3, 2, 2.
    const Case cases[] = {{0, 2, 2}, {1, 1, 4}, {2, 2, 7}, {1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("piece " + std::to_string(c.failing_piece) + " index " + std::to_string(c.piece_index));
        ScriptedSession session;
        session.too_big_above = 3;
        session.split_when_too_big = 3;
        session.on_answer = [&](IPmsPdu* piece, int number) {
            if (number == c.failing_piece) {
                piece->set_error_status(PMS_ERR_NO_SUCH_NAME);
                piece->set_error_index(c.piece_index);
            }
            return PMC_S_OK;
        };
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(7));
        ASSERT_EQ(session.send_and_split(pdu.get(), nullptr), PMC_S_OK);
        EXPECT_EQ(pdu->get_error_status(), PMS_ERR_NO_SUCH_NAME);
        EXPECT_EQ(pdu->get_error_index(), c.joined_index);
        ASSERT_EQ(count_of(pdu.get()), 7u);
        // Binding statuses read as one answer carrying that error.
        for (pmc_ulong i = 0; i < 7; ++i) {
            const pmc_long expected = static_cast<pmc_long>(i + 1) == c.joined_index ? PMS_ERR_NO_SUCH_NAME
                                                                                      : PMS_VARBIND_OTHER_ERROR;
            EXPECT_EQ(pdu->get_varbind_list()->get_at(i)->get_status(), expected) << "binding " << i;
        }
    }
}

TEST(FragmentProcess, FirstErrorWins) {
    ScriptedSession session;
    session.too_big_above = 1;
    session.on_answer = [](IPmsPdu* piece, int number) {
        piece->set_error_status(number == 0 ? PMS_ERR_READ_ONLY : PMS_ERR_NO_ACCESS);
        piece->set_error_index(1);
        return PMC_S_OK;
    };
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_SET, numbered_oids(2));
    ASSERT_EQ(session.send_and_split(pdu.get(), nullptr), PMC_S_OK);
    EXPECT_EQ(pdu->get_error_status(), PMS_ERR_READ_ONLY);
    EXPECT_EQ(pdu->get_error_index(), 1);
}

TEST(FragmentProcess, FailingPieceStopsTheRestAndKeepsEveryName) {
    ScriptedSession session;
    session.too_big_above = 2;
    session.split_when_too_big = 3;
    session.on_answer = [](IPmsPdu*, int number) { return number == 1 ? PMC_E_TIMEOUT : PMC_S_OK; };
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(6));
    EXPECT_EQ(session.send_and_split(pdu.get(), nullptr), PMC_E_TIMEOUT);
    // The third piece is never sent.
    EXPECT_EQ(session.sizes, (std::vector<pmc_ulong>{6, 2, 2}));
    EXPECT_EQ(oids_of(pdu.get()), numbered_oids(6));
}

// One binding too big cannot be cut; two become two single requests.
TEST(FragmentProcess, SmallestRequestsTooBig) {
    struct Case {
        int bindings;
        pmc_ulong too_big_above;
        pmc_long status;
        std::vector<pmc_ulong> sizes;
    };
    const Case cases[] = {{1, 0, PMC_E_CANNOT_SPLIT, {1}}, {2, 1, PMC_S_OK, {2, 1, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bindings);
        ScriptedSession session;
        session.too_big_above = c.too_big_above;
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, numbered_oids(c.bindings));
        EXPECT_EQ(session.send_and_split(pdu.get(), nullptr), c.status);
        EXPECT_EQ(session.sizes, c.sizes);
        EXPECT_EQ(oids_of(pdu.get()), numbered_oids(c.bindings));
    }
}

// A GetBulk's answer goes round its repeaters, so pieces joined one after
// the other would put cells in the wrong columns: it comes back whole, and
// its sender asks for fewer repetitions.
TEST(FragmentProcess, GetBulkIsNeverSplit) {
    for (const pmc_long too_big : {PMC_E_TOO_BIG, PMC_E_MESSAGE_TOO_LARGE}) {
        ScriptedSession session;
        session.too_big_above = 1;
        session.too_big_status = too_big;
        pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET_BULK, numbered_oids(4));
        EXPECT_EQ(session.send_and_split(pdu.get(), nullptr), too_big);
        EXPECT_EQ(session.sizes, (std::vector<pmc_ulong>{4}));
        EXPECT_EQ(oids_of(pdu.get()), numbered_oids(4));
    }
}
