// Decoding answers into the request's own objects, and every refusal.
#include <algorithm>

#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

const Bytes NAME1 = supply_oid(1);
const Bytes NAME2 = supply_oid(2);
const Bytes NAME3 = supply_oid(3);

// A request PDU of n bindings 1.3.6.1.2.1.43.11.1.1.9.1.(i + 1) with NULLs.
OwnedPdu request(int n, pmc_long request_id = 5) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, request_id);
    for (int i = 1; i <= n; ++i) add_binding(pdu.get(), "1.3.6.1.2.1.43.11.1.1.9.1." + std::to_string(i));
    return pdu;
}

pmc_long status_at(IPmsPdu* pdu, pmc_ulong i) { return pdu->get_varbind_list()->get_at(i)->get_status(); }
IPmsValue* value_at(IPmsPdu* pdu, pmc_ulong i) { return pdu->get_varbind_list()->get_at(i)->get_value(); }

TEST(Decoder, ResponseFillsTheRequestInPlace) {
    OwnedPdu pdu = request(2);
    OwnedTarget target = make_target("public");
    IPmsVarBind* first = pdu->get_varbind_list()->get_at(0);
    IPmsOid* first_name = first->get_oid();
    const Bytes wire = response(5, 0, 0,
                                cat({binding(NAME1, integer(-3)), binding(NAME2, octets("black"))}),
                                PMS_VERSION_2C, "answer");
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(pdu->get_type(), PMS_PDU_RESPONSE);
    EXPECT_EQ(pdu->get_request_id(), 5);
    EXPECT_EQ(pdu->get_varbind_list()->get_at(0), first);  // binding reused
    EXPECT_EQ(first->get_oid(), first_name);                // identifier reused
    EXPECT_EQ(oid_text(first_name), "1.3.6.1.2.1.43.11.1.1.9.1.1");
    EXPECT_EQ(value_at(pdu.get(), 0)->get_int(nullptr), -3);
    EXPECT_EQ(bytes_of(value_at(pdu.get(), 1)), Bytes({'b', 'l', 'a', 'c', 'k'}));
    EXPECT_EQ(status_at(pdu.get(), 0), 0);
    EXPECT_EQ(status_at(pdu.get(), 1), 0);
    // The answer's version and community replace the request target's.
    EXPECT_EQ(target->get_version(), PMS_VERSION_2C);
    EXPECT_STREQ(community_of(target.get()), "answer");
}

TEST(Decoder, ValueIsReplacedOnlyWhenItsKindDiffers) {
    OwnedPdu pdu = request(2);
    OwnedTarget target = make_target("public");
    const Bytes first = response(5, 0, 0, cat({binding(NAME1, integer(1)), binding(NAME2, integer(2))}));
    ASSERT_EQ(decode(first, pdu.get(), target.get()), PMC_S_OK);
    IPmsValue* kept = value_at(pdu.get(), 0);
    IPmsValue* replaced = value_at(pdu.get(), 1);
    const Bytes second = response(6, 0, 0, cat({binding(NAME1, integer(10)), binding(NAME2, octets("x"))}));
    ASSERT_EQ(decode(second, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(value_at(pdu.get(), 0), kept);
    EXPECT_EQ(kept->get_int(nullptr), 10);
    EXPECT_NE(value_at(pdu.get(), 1), replaced);
    EXPECT_EQ(value_at(pdu.get(), 1)->get_type(), PMS_TYPE_OCTET_STRING);
}

TEST(Decoder, FewerBindingsShortenTheListAndMoreAppend) {
    OwnedPdu pdu = request(3);
    OwnedTarget target = make_target("public");
    ASSERT_EQ(decode(response(5, 0, 0, binding(NAME2, integer(7))), pdu.get(), target.get()), PMC_S_OK);
    ASSERT_EQ(pdu->get_varbind_list()->count(), 1u);
    EXPECT_EQ(oid_text(pdu->get_varbind_list()->get_at(0)->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.2");

    const Bytes three = cat({binding(NAME1, integer(1)), binding(NAME2, integer(2)), binding(NAME3, integer(3))});
    ASSERT_EQ(decode(response(5, 0, 0, three), pdu.get(), target.get()), PMC_S_OK);
    ASSERT_EQ(pdu->get_varbind_list()->count(), 3u);
    EXPECT_EQ(value_at(pdu.get(), 2)->get_int(nullptr), 3);
    EXPECT_EQ(status_at(pdu.get(), 2), 0);

    // An empty answer empties the list.
    ASSERT_EQ(decode(response(5, 0, 0, Bytes()), pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(pdu->get_varbind_list()->count(), 0u);
}

TEST(Decoder, ErrorStatusMarksTheBindings) {
    OwnedPdu pdu = request(3);
    OwnedTarget target = make_target("public");
    const Bytes three = cat({binding(NAME1, hex("05 00")), binding(NAME2, hex("05 00")), binding(NAME3, hex("05 00"))});
    ASSERT_EQ(decode(response(5, 2, 1, three), pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(pdu->get_error_status(), 2);
    EXPECT_EQ(pdu->get_error_index(), 1);
    EXPECT_EQ(status_at(pdu.get(), 0), 2);
    EXPECT_EQ(status_at(pdu.get(), 1), 100);
    EXPECT_EQ(status_at(pdu.get(), 2), 100);

    ASSERT_EQ(decode(response(5, 18, 0, three), pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(status_at(pdu.get(), 0), 100);  // index 0 points at no binding

    LogCapture& log = LogCapture::on(pmc_snmp_log());

    log.clear();
    EXPECT_EQ(decode(response(5, 19, 0, three), pdu.get(), target.get()), PMC_E_DECODE);
    EXPECT_TRUE(log.has_line("decode error: error_status's value is wrong."));
    EXPECT_EQ(decode(response(5, -1, 0, three), pdu.get(), target.get()), PMC_E_DECODE);
}

struct ValueCase {
    const char* name;
    Bytes wire_value;
    pmc_long type;
    const char* text;  // text form of the decoded value
};

TEST(Decoder, EveryValueKind) {
    const ValueCase cases[] = {
        {"integer min", hex("02 04 80 00 00 00"), PMS_TYPE_INTEGER, "-2147483648"},
        {"integer empty", hex("02 00"), PMS_TYPE_INTEGER, "0"},
        {"gauge 5 octets", hex("42 05 00 FF FF FF FF"), PMS_TYPE_GAUGE32, "4294967295"},
        {"counter32", hex("41 02 00 80"), PMS_TYPE_COUNTER32, "128"},
        {"ticks", hex("43 01 05"), PMS_TYPE_TIME_TICKS, nullptr},
        {"counter64", hex("46 09 00 FF FF FF FF FF FF FF FF"), PMS_TYPE_COUNTER64, "18446744073709551615"},
        {"counter64 low", hex("46 05 00 80 00 00 00"), PMS_TYPE_COUNTER64, "2147483648"},
        {"counter64 empty", hex("46 00"), PMS_TYPE_COUNTER64, "0"},
        {"oid 2.0", hex("06 01 50"), PMS_TYPE_OID, "2.0"},
        {"oid 2.40", hex("06 01 78"), PMS_TYPE_OID, "2.40"},
        {"oid empty", hex("06 00"), PMS_TYPE_OID, ""},
        {"oid big arc", hex("06 06 2B 8F FF FF FF 7F"), PMS_TYPE_OID, "1.3.4294967295"},
        {"ip", hex("40 04 0A 01 02 03"), PMS_TYPE_IP_ADDRESS, "10.1.2.3"},
        {"null", hex("05 00"), PMS_TYPE_NULL, nullptr},
        {"noSuchObject", hex("80 00"), PMS_TYPE_NO_SUCH_OBJECT, nullptr},
        {"noSuchInstance", hex("81 00"), PMS_TYPE_NO_SUCH_INSTANCE, nullptr},
        {"endOfMibView", hex("82 00"), PMS_TYPE_END_OF_MIB_VIEW, nullptr},
        {"opaque", hex("44 02 9F 78"), PMS_TYPE_OPAQUE, nullptr},
    };
    for (const ValueCase& c : cases) {
        OwnedPdu pdu = request(1);
        OwnedTarget target = make_target("public");
        ASSERT_EQ(decode(response(5, 0, 0, binding(NAME1, c.wire_value)), pdu.get(), target.get()), PMC_S_OK)
            << c.name;
        IPmsValue* value = value_at(pdu.get(), 0);
        EXPECT_EQ(value->get_type(), c.type) << c.name;
        if (c.text != nullptr) {
            EXPECT_EQ(oid_text(value), c.text) << c.name;
        }
    }
}

struct BadCase {
    const char* name;
    Bytes wire;
    pmc_long status;
    const char* line;  // how the log line ends
};

TEST(Decoder, MalformedInputIsRefusedWithItsReason) {
    const Bytes good_binding = binding(NAME1, integer(1));
    const Bytes list = tlv(0x30, good_binding);
    const Bytes header = cat({integer(5), integer(0), integer(0)});
    const BadCase cases[] = {
        {"empty datagram", Bytes(), PMC_E_DECODE, "decode error: message: no octets left."},
        {"not a sequence", hex("31 03 02 01 00"), PMC_E_DECODE, "decode error: message: unexpected tag."},
        {"outer length past datagram", hex("30 10 02 01 00"), PMC_E_DECODE,
         "decode error: lack of received packet. can't go on decoding any more."},
        {"indefinite outer length", hex("30 80 02 01 00 00 00"), PMC_E_DECODE, "decode error: message: indefinite length."},
        {"version 3", message(3, "public", 0xA2, cat({header, list})), PMC_E_DECODE,
         "decode error: unsupported snmp version."},
        {"version 2 (SNMPv3 code)", message(PMS_VERSION_3, "public", 0xA2, cat({header, list})),
         PMC_E_DECODE, "decode error: unsupported snmp version."},
        {"community tag", tlv(0x30, cat({integer(0), tlv(0x44, Bytes{'a'}), tlv(0xA2, cat({header, list}))})),
         PMC_E_DECODE, "decode error: community: unexpected tag."},
        {"unknown pdu", message(0, "public", 0xA9, cat({header, list})), PMC_E_DECODE,
         "decode error: unknown pdu type."},
        {"pdu length short", tlv(0x30, cat({integer(0), octets("public"), hex("A2 05"), header, list})),
         PMC_E_DECODE, "decode error: pdu length is wrong."},
        {"indefinite pdu length", tlv(0x30, cat({integer(0), octets("public"), hex("A2 80"), header, list})),
         PMC_E_DECODE, "decode error: pdu: indefinite length."},
        {"v2 trap in v2c", message(1, "public", 0xA7, cat({header, list})), PMC_E_NOT_SUPPORTED, "decode error: pdu: a trap is read in SNMPv1 messages only."},
        {"list length", message(0, "public", 0xA2, cat({header, hex("30 03"), good_binding})), PMC_E_DECODE,
         "decode error: length of var bind list is wrong."},
        {"list tag", message(0, "public", 0xA2, cat({header, tlv(0x31, good_binding)})), PMC_E_DECODE, "decode error: binding list: unexpected tag."},
        {"binding length", message(0, "public", 0xA2,
                                   cat({header, tlv(0x30, cat({hex("30 10"), NAME1, integer(1), integer(2)}))})),
         PMC_E_DECODE, "decode error: length of var bind is wrong."},
        {"unknown value tag", response(5, 0, 0, binding(NAME1, hex("47 01 00"))), PMC_E_DECODE,
         "decode error: unknown asn type."},
        {"ipv6 tag is not a wire type", response(5, 0, 0, binding(NAME1, hex("48 00"))), PMC_E_DECODE,
         "decode error: unknown asn type."},
        {"value missing", response(5, 0, 0, tlv(0x30, NAME1)), PMC_E_DECODE, "decode error: binding: no value after the name."},
        {"name not an oid", response(5, 0, 0, binding(integer(1), integer(1))), PMC_E_DECODE, "decode error: binding name: unexpected tag."},
        {"gauge 01 FF FF FF FF", response(5, 0, 0, binding(NAME1, hex("42 05 01 FF FF FF FF"))), PMC_E_DECODE,
         "decode error: gauge32 value: does not fit 32 bits."},
        {"null with contents", response(5, 0, 0, binding(NAME1, hex("05 01 00"))), PMC_E_DECODE, "decode error: value: contents where none belong."},
        {"exception with contents", response(5, 0, 0, binding(NAME1, hex("81 01 00"))), PMC_E_DECODE, "decode error: value: contents where none belong."},
        {"oid cut inside a sub-identifier", response(5, 0, 0, binding(hex("06 02 2B 86"), integer(1))),
         PMC_E_DECODE, "decode error. oid format is wrong."},
        {"oid arc above 32 bits", response(5, 0, 0, binding(hex("06 07 2B 90 80 80 80 80 00"), integer(1))),
         PMC_E_DECODE, "decode error. oid format is wrong."},
        {"counter64 runs out", response(5, 0, 0, tlv(0x30, cat({NAME1, hex("46 09 00 01")}))), PMC_E_DECODE,
         "decode error: counter64 format is wrong."},
        {"ipaddress of 5 octets", response(5, 0, 0, binding(NAME1, hex("40 05 0A 00 00 01 02"))), PMC_E_DECODE,
         "decode error: a value of type 0x40 cannot hold 5 octets."},
        {"octets run out", response(5, 0, 0, tlv(0x30, cat({NAME1, hex("04 09 41")}))), PMC_E_DECODE, "decode error: value: contents run past the end."},
        {"length 0x80 in a value", response(5, 0, 0, tlv(0x30, cat({NAME1, hex("04 80 41 00 00")}))),
         PMC_E_DECODE, "decode error: value: indefinite length."},
        {"length of 5 octets", response(5, 0, 0, tlv(0x30, cat({NAME1, hex("04 85 01 00 00 00 01 41")}))),
         PMC_E_DECODE, "decode error: value: length beyond 32 bits."},
        {"error index of 2^32", message(0, "public", 0xA2, cat({integer(5), integer(0), hex("02 05 01 00 00 00 00"), list})),
         PMC_E_DECODE, "decode error: error index: does not fit 32 bits."},
        {"specific trap of 2^31", message(0, "public", 0xA4, cat({NAME1, hex("40 04 7F 00 00 01"), integer(6),
                                                                   hex("02 05 00 80 00 00 00"), hex("43 01 05"),
                                                                   hex("30 00")})),
         PMC_E_DECODE, "decode error: specific trap: does not fit 32 bits."},
        {"agent address of 5 octets", message(0, "public", 0xA4, cat({NAME1, hex("40 05 7F 00 00 01 00"),
                                                                       integer(6), integer(1), hex("43 01 05"),
                                                                       hex("30 00")})),
         PMC_E_DECODE, "decode error: agent address: not 4 octets."},
    };
    for (const BadCase& c : cases) {
        LogCapture& log = LogCapture::on(pmc_snmp_log());
        log.clear();
        OwnedPdu pdu = request(1);
        OwnedTarget target = make_target("public");
        EXPECT_EQ(decode(c.wire, pdu.get(), target.get()), c.status) << c.name;
        EXPECT_TRUE(log.has_line(c.line)) << c.name;
        // One line per refusal, saying what was wrong.
        const std::vector<std::string> lines = log.lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) { return line.find("decode error") != std::string::npos; }),
                  1)
            << c.name;
    }
}

TEST(Decoder, StrayOctetsAfterTheMessageAreCutOff) {
    LogCapture& log = LogCapture::on(pmc_snmp_log());
    log.clear();
    OwnedPdu pdu = request(1);
    OwnedTarget target = make_target("public");
    const Bytes wire = cat({response(9, 0, 0, binding(NAME1, integer(42))), hex("DE AD BE")});
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(value_at(pdu.get(), 0)->get_int(nullptr), 42);
    EXPECT_TRUE(log.has_line("received packet is redundancy. be cut down."));
    const std::vector<std::string> lines = log.lines();
    ASSERT_FALSE(lines.empty());
}

TEST(Decoder, DecodingStartsAtTheBuffersCurrentPointer) {
    const Bytes message_bytes = response(9, 0, 0, binding(NAME1, integer(42)));
    OwnedBuffer buffer = make_buffer();
    ASSERT_TRUE(buffer->allocate(static_cast<pmc_ulong>(message_bytes.size() + 4)));
    std::fill(buffer->data(), buffer->data() + 4, 0xFF);
    std::copy(message_bytes.begin(), message_bytes.end(), buffer->data() + 4);
    buffer->seek(4);
    OwnedPdu pdu = request(1);
    OwnedTarget target = make_target("public");
    ASSERT_EQ(codec_registry()->decode(buffer.get(), pdu.get(), target.get(), 0), PMC_S_OK);
    EXPECT_EQ(pdu->get_request_id(), 9);
}

TEST(Decoder, TargetAndPduAreCreatedWhenMissing) {
    const Bytes wire = response(9, 0, 0, binding(NAME1, integer(42)), PMS_VERSION_2C, "c");
    OwnedBuffer buffer = make_buffer();
    ASSERT_TRUE(buffer->allocate(static_cast<pmc_ulong>(wire.size())));
    std::copy(wire.begin(), wire.end(), buffer->data());
    pmc_long status = -99;
    OwnedPacket packet(create_packet(&status));
    ASSERT_EQ(codec_registry()->decode_packet(buffer.get(), packet.get(), 0), PMC_S_OK);
    ASSERT_NE(packet->get_target(), nullptr);
    ASSERT_NE(packet->get_pdu(), nullptr);
    EXPECT_EQ(packet->get_target()->translate_type(), PMS_SECURITY_COMMUNITY);
    EXPECT_EQ(packet->get_target()->get_version(), PMS_VERSION_2C);
    EXPECT_STREQ(community_of(packet->get_target()), "c");
    EXPECT_EQ(packet->get_pdu()->get_varbind_list()->count(), 1u);

    // decode() with neither: made for the decoding and released after.
    EXPECT_EQ(codec_registry()->decode(buffer.get(), nullptr, nullptr, 0), PMC_S_OK);
}

TEST(Decoder, TranslateTypeAndTargetKind) {
    const Bytes wire = response(9, 0, 0, binding(NAME1, integer(42)));
    OwnedBuffer buffer = make_buffer();
    ASSERT_TRUE(buffer->allocate(static_cast<pmc_ulong>(wire.size())));
    std::copy(wire.begin(), wire.end(), buffer->data());
    IPmsCodecRegistry* registry = codec_registry();
    {
        LogCapture& log = LogCapture::on(pmc_snmp_log());
        log.clear();
        EXPECT_EQ(registry->decode(buffer.get(), nullptr, nullptr, PMS_TRANSLATE_NONE), PMC_E_INVALID_ARG);
        EXPECT_TRUE(log.has_line("decode error: unknown translate type."));
    }
    EXPECT_EQ(registry->decode(buffer.get(), nullptr, nullptr, PMS_SECURITY_USM), PMC_E_INVALID_ARG);
    pmc_long status = -99;
    OwnedTarget v3(create_v3_target(&status));
    EXPECT_EQ(registry->decode(buffer.get(), nullptr, v3.get(), 0), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(registry->decode_packet(nullptr, nullptr, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->decode_packet(buffer.get(), nullptr, 0), PMC_E_INVALID_ARG);
}

TEST(PeekResponse, ReadsTheHeaderOnly) {
    IPmsCodecRegistry* registry = codec_registry();
    const Bytes wire = response(0x7FFFFFFF, 5, 1, binding(NAME1, hex("47 00")));  // bad value tag, unread
    OwnedBuffer buffer = make_buffer();
    ASSERT_TRUE(buffer->allocate(static_cast<pmc_ulong>(wire.size())));
    std::copy(wire.begin(), wire.end(), buffer->data());
    pmc_long error_status = -99;
    pmc_long request_id = -99;
    ASSERT_EQ(registry->peek_response(buffer.get(), &error_status, &request_id, 0), PMC_S_OK);
    EXPECT_EQ(request_id, 0x7FFFFFFF);
    EXPECT_EQ(error_status, 5);
    EXPECT_EQ(buffer->current(), buffer->data());  // the buffer is not consumed

    EXPECT_EQ(registry->peek_response(nullptr, &error_status, &request_id, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->peek_response(buffer.get(), nullptr, &request_id, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->peek_response(buffer.get(), &error_status, nullptr, 0), PMC_E_INVALID_ARG);
    EXPECT_EQ(registry->peek_response(buffer.get(), &error_status, &request_id, PMS_TRANSLATE_NONE),
              PMC_E_INVALID_ARG);

    const Bytes truncated(wire.begin(), wire.begin() + 12);
    buffer->attach(const_cast<unsigned char*>(truncated.data()), static_cast<pmc_ulong>(truncated.size()),
                   PMS_BUFFER_BORROWED);
    EXPECT_EQ(registry->peek_response(buffer.get(), &error_status, &request_id, 0), PMC_E_DECODE);
}

TEST(Decoder, RoundTripThroughTheEncoder) {
    OwnedPdu sent = make_pdu(PMS_PDU_SET, -77);
    add_binding(sent.get(), "1.3.6.1.4.1.99.1", make_int(-2147483647 - 1));
    add_binding(sent.get(), "1.3.6.1.4.1.99.2", make_bytes(PMS_TYPE_OCTET_STRING, Bytes(300, 'z')));
    add_binding(sent.get(), "1.3.6.1.4.1.99.3", make_counter64(0xFFFFFFFFu, 1));
    add_binding(sent.get(), "2.999.4294967295", make_uint(PMS_TYPE_TIME_TICKS, 4294967295u));
    OwnedTarget target = make_target("round trip", PMS_VERSION_2C);
    pmc_long status = -99;
    const Bytes wire = encode(sent.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    OwnedPdu received = make_pdu(PMS_PDU_GET, 0);
    OwnedTarget answer_target = make_target("other");
    ASSERT_EQ(decode(wire, received.get(), answer_target.get()), PMC_S_OK);
    received->get_varbind_list()->set_all_status(0);
    sent->get_varbind_list()->set_all_status(0);
    EXPECT_TRUE(received->equals(sent.get()));
    EXPECT_STREQ(community_of(answer_target.get()), "round trip");
}

}  // namespace

namespace {

// The decoder remembers the names it wrote; a name changed by the caller in
// between, or a different identifier object at the same position, must
// still be rewritten from the wire.
TEST(Decoder, RepeatedNamesStayCorrectWhenTheCallerChangesThem) {
    OwnedPdu pdu = request(2);
    OwnedTarget target = make_target("public");
    const Bytes wire = response(5, 0, 0, cat({binding(NAME1, integer(1)), binding(NAME2, integer(2))}));
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    IPmsOid* first = pdu->get_varbind_list()->get_at(0)->get_oid();
    EXPECT_EQ(oid_text(first), "1.3.6.1.2.1.43.11.1.1.9.1.1");

    ASSERT_EQ(first->set_text("1.3.6.1.2.1.43.11.1.1.9.1.7"), PMC_S_OK);
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(oid_text(first), "1.3.6.1.2.1.43.11.1.1.9.1.1");

    pdu->get_varbind_list()->get_at(1)->set_oid(make_oid("1.3.6.1.9").release());
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(oid_text(pdu->get_varbind_list()->get_at(1)->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.2");

    // Another PDU whose identifiers hold other texts, the same wire.
    OwnedPdu other = make_pdu(PMS_PDU_GET, 1);
    add_binding(other.get(), "1.3.6.1.2.1.1.5.0");
    add_binding(other.get(), "1.3.6.1.2.1.1.6.0");
    ASSERT_EQ(decode(wire, other.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(oid_text(other->get_varbind_list()->get_at(0)->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.1");
    EXPECT_EQ(oid_text(other->get_varbind_list()->get_at(1)->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.2");

    // A failed name leaves the identifier empty, and the next good answer
    // fills it again.
    const Bytes bad = response(5, 0, 0, binding(hex("06 02 2B 86"), integer(1)));
    EXPECT_EQ(decode(bad, pdu.get(), target.get()), PMC_E_DECODE);
    EXPECT_EQ(oid_text(pdu->get_varbind_list()->get_at(0)->get_oid()), "");
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(oid_text(pdu->get_varbind_list()->get_at(0)->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.1");
}

}  // namespace

namespace {

TEST(Decoder, BindingsWithoutNameOrValueGetThem) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    pmc_long status = -99;
    IPmsVarBind* empty = create_varbind(&status);
    ASSERT_EQ(status, PMC_S_OK);
    ASSERT_EQ(pdu->append_varbind(empty), PMC_S_OK);
    add_binding(pdu.get(), "1.3.6.1.2.1.1.1.0");
    pdu->get_varbind_list()->get_at(1)->set_value(nullptr);
    OwnedTarget target = make_target("public");
    const Bytes wire = response(1, 0, 0, cat({binding(NAME1, octets("a")), binding(NAME2, hex("43 01 07"))}));
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(pdu->get_varbind_list()->get_at(0), empty);
    EXPECT_EQ(oid_text(empty->get_oid()), "1.3.6.1.2.1.43.11.1.1.9.1.1");
    EXPECT_EQ(bytes_of(empty->get_value()), Bytes({'a'}));
    EXPECT_EQ(value_at(pdu.get(), 1)->get_type(), PMS_TYPE_TIME_TICKS);
    EXPECT_EQ(value_at(pdu.get(), 1)->get_uint(nullptr), 7u);
}

}  // namespace
