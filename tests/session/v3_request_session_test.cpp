// The SNMPv3 session's own rules (peer texts, maps, refused targets);
// engine discovery in a network namespace is v3_discovery_namespace_test.cpp.
#include "session/v3_request_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "session/session_test_support.h"
#include "session/v3_library.h"
#include "session/v3_request_builder.h"
#include "session/v3_response_converter.h"
#include "session/v3_session_fields.h"
#include "session/v3_status.h"
#include "session/v3_target_support.h"
#include "support/text_of.h"

namespace {

using session_test::make_pdu;
using session_test::make_user_target;

TEST(V3SessionFields, PeerTextsByAddressKind) {
    struct Case {
        const char* text;
        pmc_long kind;
        unsigned short address_port;
        unsigned short target_port;
        const char* peer;
    };
    const Case cases[] = {
        {"00000000:0080c7123456", PMC_ADDRESS_IPX, 0, 161, "ipx:00000000:0080c7123456/161"},
        {"0000:0000:0000:0000:0000:0000:0000:0001", PMC_ADDRESS_IPV6, 161, 0,
         "udp6:[0000:0000:0000:0000:0000:0000:0000:0001]:161"},
        {"192.0.2.7", PMC_ADDRESS_IPV4, 1161, 161, "192.0.2.7:1161"},
        {"192.0.2.7", PMC_ADDRESS_IPV4, 0, 0, "192.0.2.7"},
    };
    for (const Case& c : cases) {
        pmc::Owned<CPmcNetworkAddress> address(pmc_create_network_address(nullptr));
        ASSERT_EQ(address->assign(c.text, c.kind, c.address_port), PMC_S_OK) << c.text;
        std::string peer;
        ASSERT_EQ(pms_v3_peer_text(address.get(), c.target_port, &peer), PMC_S_OK);
        EXPECT_EQ(peer, c.peer);
    }
    pmc::Owned<CPmcNetworkAddress> none(pmc_create_network_address(nullptr));
    std::string peer;
    EXPECT_EQ(pms_v3_peer_text(none.get(), 161, &peer), PMC_E_INVALID_ARG);
}

// Engines and sessions are kept per agent: host and port, never text.
TEST(V3SessionFields, AgentKeysTellHostsAndPortsApart) {
    auto key = [](const char* text, unsigned short port, unsigned short fallback) {
        pmc::Owned<CPmcNetworkAddress> address(pmc_create_network_address(nullptr));
        EXPECT_EQ(address->assign(text, 0, port), PMC_S_OK) << text;
        std::string out;
        EXPECT_EQ(pms_v3_agent_key(address.get(), fallback, &out), PMC_S_OK) << text;
        return out;
    };
    EXPECT_EQ(key("192.0.2.7", 161, 0), key("192.0.2.7", 0, 161));
    EXPECT_EQ(key("::1", 161, 0), key("0:0:0:0:0:0:0:1", 161, 0));
    EXPECT_NE(key("192.0.2.7", 161, 0), key("192.0.2.7", 162, 0));
    EXPECT_NE(key("192.0.2.7", 161, 0), key("192.0.2.8", 161, 0));
    EXPECT_NE(key("192.0.2.7", 256 + 161, 0), key("192.0.2.7", 161, 0));
    EXPECT_NE(key("::ffff:192.0.2.7", 161, 0), key("192.0.2.7", 161, 0));
    std::string out;
    EXPECT_EQ(pms_v3_agent_key(nullptr, 161, &out), PMC_E_INVALID_ARG);
}

TEST(V3SessionFields, CodesOutsideTheTablesAreRefused) {
    V3LibraryUse library;
    int command = 0;
    for (pmc_long type : {PMS_PDU_RESPONSE, PMS_PDU_INFORM, PMS_PDU_REPORT}) {
        EXPECT_EQ(pms_v3_pdu_command(type, &command), PMC_E_INVALID_ARG) << type;
    }
    ASSERT_EQ(pms_v3_pdu_command(PMS_PDU_GET_BULK, &command), PMC_S_OK);
    EXPECT_EQ(command, SNMP_MSG_GETBULK);
    EXPECT_EQ(pms_v3_library_version(PMS_VERSION_3), 3);
    EXPECT_EQ(pms_v3_library_version(7), -1);
    EXPECT_EQ(pms_v3_value_kind(ASN_UINTEGER), PMS_TYPE_GAUGE32);
    EXPECT_EQ(pms_v3_value_kind(0x30), PMC_E_UNKNOWN_VALUE_TYPE);
    EXPECT_EQ(pms_v3_status_of_library_error(SNMPERR_USM_AUTHENTICATIONFAILURE), PMC_E_SECURITY);
    EXPECT_EQ(pms_v3_status_of_library_error(SNMPERR_UNKNOWN_ENG_ID), PMC_E_SECURITY);
    EXPECT_EQ(pms_v3_status_of_library_error(SNMPERR_KRB5), PMC_E_V3_LIBRARY);
    EXPECT_EQ(pms_v3_error_status(19), PMS_VARBIND_OTHER_ERROR);

    // Nothing is sent for these: port 9 (discard) would swallow it anyway.
    pmc::Owned<v3RequestSession> session(create_v3_request_session(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    pmc::Owned<IPmsSnmpTarget> bad_auth = make_user_target("127.0.0.1", 9, "pmsshaaes", 3);
    EXPECT_EQ(session->send_sync(pdu.get(), bad_auth.get()), PMC_E_INVALID_ARG);
    pmc::Owned<IPmsSnmpTarget> v2 = make_user_target("127.0.0.1", 9, "pmsshaaes");
    v2->set_version(PMS_VERSION_2C);
    EXPECT_EQ(session->send_sync(pdu.get(), v2.get()), PMC_E_INVALID_ARG);
}

}  // namespace
