// The facade without an agent: defaults, open, request building, and the
// behaviour of an unopened object.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"
#include "message/snmp_target.h"

namespace {

struct GetDataFixture : ::testing::Test {
    void SetUp() override {
        pmc_long status = -99;
        object.reset(pmc_create_get_data(&status));
        ASSERT_EQ(status, PMC_S_OK);
        ASSERT_NE(object, nullptr);
    }
    CPmcGetData* impl() { return static_cast<CPmcGetData*>(object.get()); }
    pmc_long open(const char* address, pmc_long kind, pmc_long version, pmc_ulong max_size,
                  pmc_long timeout_ms = 1000, pmc_long retries = 1) {
        return object->open(address, kind, 161, version, "user", PMS_SEC_NO_AUTH_NO_PRIV, 0, 0,
                            "", "", "", timeout_ms, retries, max_size);
    }
    std::string first_name() {
        IPmsVarBind* binding = impl()->request_pdu()->get_varbind_list()->get_at(0);
        pmc::Owned<IPmcByteString> text(binding->get_oid()->get_text_new(nullptr));
        return reinterpret_cast<const char*>(text->get_data());
    }
    pmc_ulong binding_count() {
        IPmsVarBindList* list = impl()->request_pdu()->get_varbind_list();
        return list != nullptr ? list->count() : 0;
    }
    pmc::Owned<IPmcGetData> object;
};

TEST(GetDataFactory, NullStatusStillGivesAnObjectWithTheDefaultCommunity) {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(static_cast<CPmcGetData*>(object.get())->community(), "vexmor");
}

TEST_F(GetDataFixture, CommunityOfAtMost255CharactersIsTakenLongerOrNullIsRefused) {
    const std::string longest(255, 'c');
    object->set_community(longest.c_str());
    EXPECT_EQ(impl()->community(), longest);
    object->set_community(std::string(256, 'x').c_str());
    EXPECT_EQ(impl()->community(), longest);
    object->set_community(nullptr);
    EXPECT_EQ(impl()->community(), longest);
    object->set_community("");
    EXPECT_STREQ(impl()->community(), "");
}

TEST_F(GetDataFixture, OpenCapsTheMessageSizeByAddressKind) {
    struct Case {
        const char* address;
        pmc_long kind;
        pmc_ulong requested;
        pmc_long expected;
    };
    const Case cases[] = {
        {"127.0.0.1", PMC_ADDRESS_IPV4, 0, 1400},
        {"127.0.0.1", PMC_ADDRESS_IPV4, 1500, 1400},
        {"127.0.0.1", PMC_ADDRESS_IPV4, 900, 900},
        {"127.0.0.1", PMC_ADDRESS_IPV4, 1400, 1400},
        {"127.0.0.1", PMC_ADDRESS_IPV4, 1, 1},
        {"::1", PMC_ADDRESS_IPV6, 0, 1400},
        {"::1", PMC_ADDRESS_IPV6, 70000, 1400},
        {"0000000a:0000c0a80101", PMC_ADDRESS_IPX, 0, 546},
        {"0000000a:0000c0a80101", PMC_ADDRESS_IPX, 600, 546},
        {"0000000a:0000c0a80101", PMC_ADDRESS_IPX, 500, 500},
        {"127.0.0.1", PMC_ADDRESS_NONE, 1000, 546},
        {"127.0.0.1", 3, 0, 546},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " kind " + std::to_string(c.kind) + " max " +
                     std::to_string(c.requested));
        ASSERT_EQ(open(c.address, c.kind, PMS_VERSION_1, c.requested), PMC_S_OK);
        EXPECT_EQ(impl()->current_target()->get_max_message_size(), c.expected);
        EXPECT_EQ(impl()->address()->get_kind(), c.kind);
    }
}

TEST_F(GetDataFixture, CommunityTargetsAlwaysSpeakVersion1) {
    for (pmc_long version : {PMS_VERSION_1, PMS_VERSION_2C, pmc_long{7}, pmc_long{-1}}) {
        SCOPED_TRACE(version);
        object->set_community("pmsread");
        ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, version, 0, 2500, 3), PMC_S_OK);
        IPmsSnmpTarget* target = impl()->current_target();
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->translate_type(), PMS_SECURITY_COMMUNITY);
        EXPECT_EQ(target->get_version(), PMS_VERSION_1);
        EXPECT_EQ(target->get_timeout(), 2500);
        EXPECT_EQ(target->get_retries(), 3);
        ASSERT_NE(target->get_address(), nullptr);
        EXPECT_STREQ(target->get_address()->get_text(), "127.0.0.1");
        EXPECT_EQ(target->get_address()->get_port(), 161);
        void* view = nullptr;
        target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
        ASSERT_NE(view, nullptr);
        EXPECT_STREQ(static_cast<IPmsCommunityTarget*>(view)->get_community(), "pmsread");
    }
}

TEST_F(GetDataFixture, Version3OpensAUserBasedTargetWithTheCredentials) {
    ASSERT_EQ(object->open("::1", PMC_ADDRESS_IPV6, 1161, PMS_VERSION_3, "monitor",
                           PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "authpass1",
                           "privpass1", "ctx", 700, 0, 0),
              PMC_S_OK);
    IPmsSnmpTarget* target = impl()->current_target();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->translate_type(), PMS_SECURITY_USM);
    EXPECT_EQ(target->get_version(), PMS_VERSION_3);
    EXPECT_EQ(target->get_max_message_size(), 1400);
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    ASSERT_NE(view, nullptr);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    EXPECT_STREQ(v3->get_user_name(), "monitor");
    EXPECT_EQ(v3->get_security_level(), PMS_SEC_AUTH_PRIV);
    EXPECT_EQ(v3->get_auth_protocol(), PMS_AUTH_SHA);
    EXPECT_EQ(v3->get_priv_protocol(), PMS_PRIV_AES);
    EXPECT_STREQ(v3->get_auth_pass_phrase(), "authpass1");
    EXPECT_STREQ(v3->get_priv_pass_phrase(), "privpass1");
    EXPECT_STREQ(v3->get_context_name(), "ctx");
}

TEST_F(GetDataFixture, OpenRefusesArgumentsThatCannotGiveAnAnswer) {
    EXPECT_EQ(open(nullptr, PMC_ADDRESS_IPV4, PMS_VERSION_1, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0, -5), PMC_E_INVALID_ARG);
    EXPECT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0, 1000, -1),
              PMC_E_INVALID_ARG);
    EXPECT_EQ(impl()->request_pdu(), nullptr);
    EXPECT_EQ(impl()->current_target(), nullptr);
}

TEST_F(GetDataFixture, UnopenedObjectRefusesEveryRequest) {
    pmc_long number = 0;
    pmc_long numbers[2] = {0, 0};
    char text[16];
    pmc::Owned<IPmcPtrList<IPmsPdu>> list(pms_create_pdu_list(nullptr));
    EXPECT_EQ(object->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->add_set_variable("1.3.6.1.2.1.1.1", "0", 1), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->set(), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->get_integer(&number), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->get_integer_array(numbers, 2), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->get_string(text), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->get_string_n(text, sizeof text), PMC_E_NOT_OPEN);
    EXPECT_EQ(object->walk(list.get(), "1.3.6.1.2.1.1"), PMC_E_NOT_OPEN);
    EXPECT_EQ(list->count(), 0u);
}

TEST_F(GetDataFixture, SecondOpenReplacesTheAgentAndDropsTheBindings) {
    ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    ASSERT_EQ(binding_count(), 1u);
    ASSERT_EQ(open("::1", PMC_ADDRESS_IPV6, PMS_VERSION_3, 0), PMC_S_OK);
    EXPECT_EQ(binding_count(), 0u);
    EXPECT_EQ(impl()->current_target()->translate_type(), PMS_SECURITY_USM);
    EXPECT_STREQ(impl()->current_target()->get_address()->get_text(), "::1");
}

TEST_F(GetDataFixture, FailedSecondOpenKeepsTheFirst) {
    ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 900), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    EXPECT_EQ(open("::1", PMC_ADDRESS_IPV6, PMS_VERSION_1, 0, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(binding_count(), 1u);
    EXPECT_EQ(impl()->current_target()->get_max_message_size(), 900);
    EXPECT_STREQ(impl()->current_target()->get_address()->get_text(), "127.0.0.1");
}

TEST_F(GetDataFixture, AddGetVariableAppendsArcZeroForScalars) {
    ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.3", true), PMC_S_OK);
    EXPECT_EQ(first_name(), "1.3.6.1.2.1.1.3.0");
    EXPECT_EQ(impl()->request_pdu()->get_varbind_list()->get_at(0)->get_value()->get_type(),
              PMS_TYPE_NULL);
    impl()->request_pdu()->get_varbind_list()->remove_at(0, nullptr);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.3", false), PMC_S_OK);
    EXPECT_EQ(first_name(), "1.3.6.1.2.1.1.3");
    const char* const bad_texts[] = {"1.3..6", "1.3.6.", ".1.3", "1.3.06", "1.3.a", "", nullptr};
    for (const char* bad : bad_texts) {
        SCOPED_TRACE(bad == nullptr ? "(null)" : bad);
        EXPECT_EQ(object->add_get_variable(bad, true), PMC_E_INVALID_ARG);
    }
    EXPECT_EQ(binding_count(), 1u);
}

TEST_F(GetDataFixture, AddSetVariableJoinsIdentifierAndInstanceWithAnInteger) {
    ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0), PMC_S_OK);
    ASSERT_EQ(object->add_set_variable("1.3.6.1.2.1.43.5.1.1.3", "1", 4), PMC_S_OK);
    EXPECT_EQ(first_name(), "1.3.6.1.2.1.43.5.1.1.3.1");
    IPmsValue* value = impl()->request_pdu()->get_varbind_list()->get_at(0)->get_value();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->get_type(), PMS_TYPE_INTEGER);
    EXPECT_EQ(value->get_int(nullptr), 4);

    ASSERT_EQ(object->add_set_variable("1.3.6.1.4.1.1", nullptr, -3), PMC_S_OK);
    ASSERT_EQ(object->add_set_variable("1.3.6.1.4.1.2", "", 0), PMC_S_OK);
    IPmsVarBindList* list = impl()->request_pdu()->get_varbind_list();
    ASSERT_EQ(list->count(), 3u);
    pmc::Owned<IPmcByteString> second(list->get_at(1)->get_oid()->get_text_new(nullptr));
    EXPECT_TRUE(second->equals_text("1.3.6.1.4.1.1"));
    EXPECT_EQ(list->get_at(1)->get_value()->get_int(nullptr), -3);

    EXPECT_EQ(object->add_set_variable("1.3.6.1.4.1", "1..2", 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->add_set_variable("1.3..6", "1", 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(list->count(), 3u);
}

TEST_F(GetDataFixture, GetAddressKindClassifiesTextsWithoutOpen) {
    pmc_long kind = -1;
    EXPECT_EQ(object->get_address_kind("192.168.000.001", &kind), PMC_S_OK);
    EXPECT_EQ(kind, PMC_ADDRESS_IPV4);
    EXPECT_EQ(object->get_address_kind("::1", &kind), PMC_S_OK);
    EXPECT_EQ(kind, PMC_ADDRESS_IPV6);
    EXPECT_EQ(object->get_address_kind("0A0B0C0D:00112233445F", &kind), PMC_S_OK);
    EXPECT_EQ(kind, PMC_ADDRESS_IPX);
    EXPECT_LT(object->get_address_kind("printer.invalid", &kind), 0);
    EXPECT_EQ(object->get_address_kind(nullptr, &kind), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->get_address_kind("::1", nullptr), PMC_E_INVALID_ARG);
}

TEST_F(GetDataFixture, ReadsRefuseNullBuffersBeforeSending) {
    // Each call fails on its arguments before anything is sent.
    ASSERT_EQ(open("127.0.0.1", PMC_ADDRESS_IPV4, PMS_VERSION_1, 0), PMC_S_OK);
    ASSERT_EQ(object->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    char text[4];
    EXPECT_EQ(object->get_integer(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->get_integer_array(nullptr, 1), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->get_string(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->get_string_n(text, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(object->walk(nullptr, "1.3.6.1"), PMC_E_INVALID_ARG);
    EXPECT_EQ(binding_count(), 1u);
}

}  // namespace
