// Matching a datagram to its request from the peeked header alone.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/message_buffer.h"
#include "session/request_session.h"
#include "session/session_test_support.h"

using namespace session_test;

namespace {

// SNMPv1 Response, community "public", request-id 5, the given error
// status, index 0, one binding 1.3.6.1.2.1.1.5.0 = NULL.
std::vector<unsigned char> response(unsigned char error_status) {
    return {0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',  0xA2,
            0x19, 0x02, 0x01, 0x05, 0x02, 0x01, error_status, 0x02, 0x01, 0x00, 0x30, 0x0E, 0x30, 0x0C,
            0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x05, 0x00, 0x05, 0x00};
}

pmc_long check(pmc_long request_id, std::vector<unsigned char> datagram) {
    pmc::Owned<RequestSession> session(create_request_session(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    pdu->set_request_id(request_id);
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", 161);
    pmc::Owned<IPmsMessageBuffer> buffer(create_message_buffer(nullptr));
    buffer->attach(datagram.data(), static_cast<pmc_ulong>(datagram.size()), PMS_BUFFER_BORROWED);
    const pmc_long status = session->check_received_raw_packet(pdu.get(), target.get(), buffer.get());
    // Only the header was read: the request is untouched.
    EXPECT_EQ(pdu->get_type(), PMS_PDU_GET);
    EXPECT_EQ(value_at(pdu.get(), 0)->get_type(), PMS_TYPE_NULL);
    return status;
}

}  // namespace

TEST(CheckReceivedRawPacket, MatchesByRequestIdAndTooBigStatus) {
    LogCapture::on(pmc_snmp_log()).clear();
    EXPECT_EQ(check(5, response(0)), PMC_S_OK);
    EXPECT_EQ(check(5, response(2)), PMC_S_OK);  // other errors are the caller's to read
    EXPECT_EQ(check(5, response(1)), PMC_E_TOO_BIG);
    EXPECT_EQ(check(6, response(1)), PMC_E_OTHER_REQUEST);
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("[RequestSession::check_received_raw_packet] request id not match. "
                                           "sended packet[6d]:received packet[5d]."),
              1);
}

TEST(CheckReceivedRawPacket, AnswerInAnotherVersionIsNoAnswer) {
    LogCapture::on(pmc_snmp_log()).clear();
    std::vector<unsigned char> v2c = response(0);
    v2c[4] = 0x01;
    EXPECT_EQ(check(5, v2c), PMC_E_OTHER_REQUEST);
    EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("version not match. sended packet[0]:received packet[1]."), 1);
}

TEST(CheckReceivedRawPacket, UnreadableHeadersAreUndecodable) {
    std::vector<unsigned char> truncated = response(0);
    truncated.resize(20);
    EXPECT_EQ(check(5, truncated), PMC_E_DECODE);
    EXPECT_EQ(check(5, {0xDE, 0xAD, 0xBE, 0xEF}), PMC_E_DECODE);
    std::vector<unsigned char> version3 = response(0);
    version3[4] = 0x03;
    EXPECT_EQ(check(5, version3), PMC_E_DECODE);
}
