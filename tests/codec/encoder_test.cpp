// Wire bytes of the encoder, its size limit and its refusals.
#include <gtest/gtest.h>

#include "codec_test_support.h"

namespace {

const char* const SYS_DESCR = "1.3.6.1.2.1.1.1.0";

TEST(Encoder, GetOfOneBindingIsByteExact) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), SYS_DESCR);
    OwnedTarget target = make_target("abc");
    pmc_long status = -99;
    pmc_ulong count = 99;
    const Bytes wire = encode(pdu.get(), target.get(), &status, &count);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(to_hex(wire), to_hex(hex("30 23 02 01 00 04 03 61 62 63"
                                       " A0 19 02 01 01 02 01 00 02 01 00"
                                       " 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00")));
}

TEST(Encoder, MessageEndsAtTheBufferEnd) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET_NEXT, 7);
    add_binding(pdu.get(), SYS_DESCR);
    OwnedTarget target = make_target("public", PMS_VERSION_2C, 500);
    OwnedBuffer buffer = make_buffer();
    ASSERT_EQ(codec_registry()->encode(pdu.get(), target.get(), buffer.get(), nullptr), PMC_S_OK);
    EXPECT_EQ(buffer->size(), 500u);
    EXPECT_EQ(buffer->current() + buffer->remaining(), buffer->data() + buffer->size());
    EXPECT_EQ(buffer->current()[0], 0x30);
    EXPECT_EQ(buffer->current()[4], 0x01);  // version 1 (SNMPv2c)
}

struct KindCase {
    const char* name;
    OwnedValue (*make)();
    const char* value_wire;
};

TEST(Encoder, EveryValueKind) {
    const KindCase cases[] = {
        {"integer -129", [] { return make_int(-129); }, "02 02 FF 7F"},
        {"octets", [] { return make_bytes(PMS_TYPE_OCTET_STRING, hex("61 00 62")); }, "04 03 61 00 62"},
        {"empty octets", [] { return make_value(PMS_TYPE_OCTET_STRING); }, "04 00"},
        {"null", [] { return make_value(PMS_TYPE_NULL); }, "05 00"},
        {"oid", [] { return OwnedValue(make_oid("1.3.6.1.4.1.200").release()); }, "06 07 2B 06 01 04 01 81 48"},
        {"ip", [] { return make_bytes(PMS_TYPE_IP_ADDRESS, hex("0A 01 02 03")); }, "40 04 0A 01 02 03"},
        {"counter32", [] { return make_uint(PMS_TYPE_COUNTER32, 128); }, "41 02 00 80"},
        {"gauge32 max", [] { return make_uint(PMS_TYPE_GAUGE32, 4294967295u); }, "42 05 00 FF FF FF FF"},
        {"ticks", [] { return make_uint(PMS_TYPE_TIME_TICKS, 0); }, "43 01 00"},
        {"opaque", [] { return make_bytes(PMS_TYPE_OPAQUE, hex("9F 78 04")); }, "44 03 9F 78 04"},
        {"counter64 low", [] { return make_counter64(0, 0x80000000u); }, "46 05 00 80 00 00 00"},
        {"counter64 high", [] { return make_counter64(1, 0); }, "46 05 01 00 00 00 00"},
        {"ipv6", [] { return make_bytes(PMS_TYPE_IPV6_ADDRESS, Bytes(16, 0x11)); },
         "48 10 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"},
        {"noSuchObject", [] { return make_value(PMS_TYPE_NO_SUCH_OBJECT); }, "80 00"},
        {"noSuchInstance", [] { return make_value(PMS_TYPE_NO_SUCH_INSTANCE); }, "81 00"},
        {"endOfMibView", [] { return make_value(PMS_TYPE_END_OF_MIB_VIEW); }, "82 00"},
    };
    for (const KindCase& c : cases) {
        OwnedPdu pdu = make_pdu(PMS_PDU_RESPONSE, 1);
        add_binding(pdu.get(), "1.3", c.make());
        OwnedTarget target = make_target("");
        pmc_long status = -99;
        const Bytes wire = encode(pdu.get(), target.get(), &status);
        ASSERT_EQ(status, PMC_S_OK) << c.name;
        // The value closes the message: its last octets are the value element.
        const Bytes value = hex(c.value_wire);
        ASSERT_GE(wire.size(), value.size());
        EXPECT_EQ(to_hex(Bytes(wire.end() - static_cast<long>(value.size()), wire.end())),
                  to_hex(value))
            << c.name;
    }
}

TEST(Encoder, AddressKindsOfOurOwnAreNotEncodable) {
    for (pmc_long type : {PMS_TYPE_UDP_ADDRESS, PMS_TYPE_IPX_ADDRESS}) {
        OwnedPdu pdu = make_pdu(PMS_PDU_SET, 1);
        add_binding(pdu.get(), SYS_DESCR, make_value(type));
        OwnedTarget target = make_target("private");
        pmc_long status = -99;
        encode(pdu.get(), target.get(), &status);
        EXPECT_EQ(status, PMC_E_NOT_SUPPORTED) << type;
    }
}

TEST(Encoder, IdentifierOfOneArcIsRefusedWithItsLogLine) {
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    log.clear();
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), "1");
    OwnedTarget target = make_target("public");
    pmc_long status = -99;
    encode(pdu.get(), target.get(), &status);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    EXPECT_TRUE(log.has_line("encode error:oid size is 1."));
}

TEST(Encoder, ArcWiderThan32BitsIsRefusedNotWrapped) {
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    log.clear();
    OwnedTarget target = make_target("public");
    pmc_long status = -99;
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), "1.3.4294967295");
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(Bytes(wire.end() - 12, wire.end())), "30 0A 06 06 2B 8F FF FF FF 7F 05 00");
    add_binding(pdu.get(), "1.3.4294967296");  // once written as 06 02 2B 00
    encode(pdu.get(), target.get(), &status);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    EXPECT_TRUE(log.has_line("encode error: oid text is wrong."));
}

TEST(Encoder, IdentifierWithoutArcsIsEmpty) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), "");
    OwnedTarget target = make_target("public");
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(Bytes(wire.end() - 6, wire.end())), "30 04 06 00 05 00");
}

TEST(Encoder, TooSmallMaximumCountsTheBindingsThatFittedFromTheEnd) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    for (int i = 0; i < 3; ++i) add_binding(pdu.get(), SYS_DESCR);  // 14 octets each
    struct SizeCase {
        pmc_long max_size;
        pmc_long status;
        pmc_ulong count;
    };
    const SizeCase cases[] = {
        {0, PMC_E_MESSAGE_TOO_LARGE, 0},  {13, PMC_E_MESSAGE_TOO_LARGE, 0},
        {14, PMC_E_MESSAGE_TOO_LARGE, 1}, {30, PMC_E_MESSAGE_TOO_LARGE, 2},
        {44, PMC_E_MESSAGE_TOO_LARGE, 3},  // the bindings fit, the headers do not
        {65, PMC_S_OK, 3},                 // exactly the message
        {-5, PMC_E_MESSAGE_TOO_LARGE, 0},
    };
    for (const SizeCase& c : cases) {
        OwnedTarget target = make_target("abc", PMS_VERSION_1, c.max_size);
        pmc_long status = -99;
        pmc_ulong count = 99;
        const Bytes wire = encode(pdu.get(), target.get(), &status, &count);
        EXPECT_EQ(status, c.status) << c.max_size;
        EXPECT_EQ(count, c.count) << c.max_size;
        if (status == PMC_S_OK) {
            EXPECT_EQ(wire.size(), 65u);
        }
    }
}

TEST(Encoder, GetBulkCarriesRepeatersInTheErrorFields) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET_BULK, 0x12345678);
    pdu->set_error_status(2);
    pdu->set_error_index(200);
    add_binding(pdu.get(), SYS_DESCR);
    OwnedTarget target = make_target("abc", PMS_VERSION_2C);
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(Bytes(wire.begin() + 10, wire.begin() + 27)),
              "A5 1D 02 04 12 34 56 78 02 01 02 02 02 00 C8 30 0E");
}

TEST(Encoder, NullCommunityIsEmptyAndNoBindingListIsAnEmptySequence) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 0);
    OwnedTarget target = make_target(nullptr);
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(wire), "30 12 02 01 00 04 00 A0 0B 02 01 00 02 01 00 02 01 00 30 00");
    EXPECT_NE(pdu->get_varbind_list(), nullptr);  // created and given to the PDU
}

TEST(Encoder, Refusals) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), SYS_DESCR);
    OwnedTarget target = make_target("abc");
    OwnedBuffer buffer = make_buffer();
    IPmsCodecRegistry* registry = codec_registry();
    EXPECT_EQ(registry->encode(nullptr, target.get(), buffer.get(), nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->encode(pdu.get(), nullptr, buffer.get(), nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->encode(pdu.get(), target.get(), nullptr, nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->encode_packet(nullptr, buffer.get(), nullptr), PMC_E_INVALID_ARG);

    pmc_long status = -99;
    OwnedTarget v3(create_v3_target(&status));
    v3->set_max_message_size(1400);
    v3->set_version(PMS_VERSION_3);
    EXPECT_EQ(registry->encode(pdu.get(), v3.get(), buffer.get(), nullptr), PMC_E_NOT_SUPPORTED);

    // A PDU whose type was never set has no tag to go out with.
    OwnedPdu untyped = make_pdu(PMS_PDU_NONE, 1);
    EXPECT_EQ(registry->encode(untyped.get(), target.get(), buffer.get(), nullptr),
              PMC_E_INVALID_ARG);
    OwnedPdu seven = make_pdu(7, 1);
    EXPECT_EQ(registry->encode(seven.get(), target.get(), buffer.get(), nullptr),
              PMC_E_INVALID_ARG);
}

TEST(Encoder, EncodePacketKeepsThePacketsObjects) {
    pmc_long status = -99;
    OwnedPacket packet(create_packet(&status));
    ASSERT_EQ(status, PMC_S_OK);
    OwnedBuffer buffer = make_buffer();
    EXPECT_EQ(codec_registry()->encode_packet(packet.get(), buffer.get(), nullptr),
              PMC_E_INVALID_ARG);  // neither target nor PDU
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), SYS_DESCR);
    IPmsPdu* raw_pdu = pdu.get();
    packet->set_pdu(pdu.release());
    packet->set_target(make_target("abc").release());
    EXPECT_EQ(codec_registry()->encode_packet(packet.get(), buffer.get(), nullptr), PMC_S_OK);
    EXPECT_EQ(packet->get_pdu(), raw_pdu);
    EXPECT_EQ(buffer->remaining(), 37u);
}

TEST(CodecRegistry, TransStreamIsSelectedAndSelectionCanChange) {
    IPmsCodecRegistry* registry = codec_registry();
    ASSERT_NE(registry->selected_name(), nullptr);
    EXPECT_STREQ(registry->selected_name(), "TransStream");
    EXPECT_EQ(registry->select("transstream"), PMC_E_INVALID_ARG);  // case-sensitive
    EXPECT_STREQ(registry->selected_name(), "TransStream");

    EXPECT_EQ(registry->select(nullptr), PMC_S_OK);
    EXPECT_EQ(registry->selected_name(), nullptr);
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    OwnedTarget target = make_target("abc");
    OwnedBuffer buffer = make_buffer();
    EXPECT_EQ(registry->encode(pdu.get(), target.get(), buffer.get(), nullptr), PMC_E_NO_CODEC);
    EXPECT_EQ(registry->decode(buffer.get(), pdu.get(), target.get(), 0), PMC_E_NO_CODEC);
    pmc_long error_status = 0;
    pmc_long request_id = 0;
    EXPECT_EQ(registry->peek_response(buffer.get(), &error_status, &request_id, 0), PMC_E_NO_CODEC);

    EXPECT_EQ(registry->select("TransStream"), PMC_S_OK);
    EXPECT_EQ(registry->encode(pdu.get(), target.get(), buffer.get(), nullptr), PMC_S_OK);
    EXPECT_EQ(registry->register_factory(nullptr), PMC_E_INVALID_ARG);
}

}  // namespace

namespace {

// The encoder reuses the octets of a name it wrote at the same position
// before; a changed name must never go out with the old octets.
TEST(Encoder, RepeatedNamesFollowTheirText) {
    OwnedTarget target = make_target("abc");
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    add_binding(pdu.get(), "1.3.6.1.2.1.1.1.0");
    add_binding(pdu.get(), "1.3.6.1.2.1.1.5.0");
    pmc_long status = -99;
    const Bytes first = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(encode(pdu.get(), target.get(), &status), first);

    IPmsOid* name = pdu->get_varbind_list()->get_at(0)->get_oid();
    ASSERT_EQ(name->set_text("1.3.6.1.2.1.1.2.0"), PMC_S_OK);
    const Bytes changed = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(Bytes(changed.begin() + 25, changed.begin() + 35)), "06 08 2B 06 01 02 01 01 02 00");

    // A name that cannot be written is refused every time, not remembered.
    ASSERT_EQ(name->set_text("1"), PMC_S_OK);
    encode(pdu.get(), target.get(), &status);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    encode(pdu.get(), target.get(), &status);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);

    // An identifier as a value is never taken for the name at its position.
    OwnedPdu set = make_pdu(PMS_PDU_SET, 1);
    add_binding(set.get(), "1.3.6.1.2.1.1.2.0", OwnedValue(make_oid("1.3.6.1.4.1.9").release()));
    const Bytes with_value = encode(set.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(Bytes(with_value.end() - 8, with_value.end())), "06 06 2B 06 01 04 01 09");
}

}  // namespace
