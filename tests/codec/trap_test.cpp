// SNMPv1 Trap-PDUs both ways, through the library's trap identifier form.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

const Bytes CISCO_ENTERPRISE = hex("06 06 2B 06 01 04 01 09");  // 1.3.6.1.4.1.9

Bytes trap_message(const Bytes& enterprise, pmc_long generic, pmc_long specific, pmc_ulong ticks,
                   const Bytes& bindings = Bytes(), pmc_long version = PMS_VERSION_1,
                   unsigned char tag = 0xA4) {
    Bytes ticks_wire = integer(static_cast<pmc_long>(ticks));
    ticks_wire[0] = 0x43;
    return message(version, "public", tag,
                   cat({enterprise, hex("40 04 C0 A8 00 01"), integer(generic), integer(specific), ticks_wire,
                        tlv(0x30, bindings)}));
}

struct DecodeCase {
    const char* name;
    pmc_long generic;
    pmc_long specific;
    const char* trap_oid;
};

TEST(Trap, DecodesToTheTrapIdentifier) {
    const DecodeCase cases[] = {
        {"coldStart", 0, 0, "1.3.6.1.6.3.1.1.5.0.1"},
        {"linkUp", 3, 0, "1.3.6.1.6.3.1.1.5.0.4"},
        {"egpNeighborLoss", 5, 9, "1.3.6.1.6.3.1.1.5.0.6"},
        {"enterprise specific", 6, 17, "1.3.6.1.4.1.9.0.17"},
    };
    for (const DecodeCase& c : cases) {
        OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
        OwnedTarget target = make_target("x");
        const Bytes wire = trap_message(CISCO_ENTERPRISE, c.generic, c.specific, 1234,
                                        binding(hex("06 03 2B 06 01"), integer(8)));
        ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK) << c.name;
        EXPECT_EQ(pdu->get_type(), PMS_PDU_TRAP);
        EXPECT_EQ(oid_text(pdu->get_trap_oid()), c.trap_oid) << c.name;
        ASSERT_NE(pdu->get_timestamp(), nullptr);
        EXPECT_EQ(pdu->get_timestamp()->get_type(), PMS_TYPE_TIME_TICKS);
        EXPECT_EQ(pdu->get_timestamp()->get_uint(nullptr), 1234u);
        ASSERT_EQ(pdu->get_varbind_list()->count(), 1u);
        EXPECT_EQ(pdu->get_varbind_list()->get_at(0)->get_status(), 0);
    }
}

TEST(Trap, SnmpV2TrapTagInVersion1IsReadAsATrap) {
    OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
    OwnedTarget target = make_target("x");
    const Bytes wire = trap_message(CISCO_ENTERPRISE, 2, 0, 1, Bytes(), PMS_VERSION_1, 0xA7);
    ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(oid_text(pdu->get_trap_oid()), "1.3.6.1.6.3.1.1.5.0.3");
}

TEST(Trap, RefusedWhenMalformedOrInAnotherVersion) {
    struct BadCase {
        const char* name;
        Bytes wire;
        pmc_long status;
    };
    const BadCase cases[] = {
        {"generic 7", trap_message(CISCO_ENTERPRISE, 7, 0, 1), PMC_E_DECODE},
        {"generic -1", trap_message(CISCO_ENTERPRISE, -1, 0, 1), PMC_E_DECODE},
        {"trap in v2c", trap_message(CISCO_ENTERPRISE, 1, 0, 1, Bytes(), PMS_VERSION_2C), PMC_E_NOT_SUPPORTED},
        {"agent-addr of 3 octets",
         message(0, "public", 0xA4, cat({CISCO_ENTERPRISE, hex("40 03 01 02 03"), integer(1), integer(0),
                                          hex("43 01 00 30 00")})),
         PMC_E_DECODE},
        {"time-stamp as integer",
         message(0, "public", 0xA4, cat({CISCO_ENTERPRISE, hex("40 04 01 02 03 04"), integer(1), integer(0),
                                          hex("02 01 00 30 00")})),
         PMC_E_DECODE},
    };
    for (const BadCase& c : cases) {
        LogCapture& log = LogCapture::on(pmc_snmp_log());
        log.clear();
        OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
        OwnedTarget target = make_target("x");
        EXPECT_EQ(decode(c.wire, pdu.get(), target.get()), c.status) << c.name;
        if (std::string(c.name).rfind("generic", 0) == 0) {
            EXPECT_TRUE(log.has_line("decode error: generic trap No. > 6. ")) << c.name;
        }
    }
}

OwnedPdu trap_pdu(const std::string& trap_oid, pmc_ulong ticks) {
    OwnedPdu pdu = make_pdu(PMS_PDU_TRAP, 0);
    if (!trap_oid.empty()) {
        OwnedOid oid = make_oid(trap_oid);
        EXPECT_EQ(pdu->set_trap_oid(oid.release()), PMC_S_OK);
    }
    EXPECT_EQ(pdu->set_timestamp(make_uint(PMS_TYPE_TIME_TICKS, ticks).release()), PMC_S_OK);
    return pdu;
}

TEST(Trap, EncodesGenericAndEnterpriseSpecificFields) {
    OwnedTarget target = make_target("public");
    pmc_long status = -99;
    // Generic: enterprise snmpTraps, generic 3, specific 0, agent-addr 0.0.0.0.
    OwnedPdu link_up = trap_pdu("1.3.6.1.6.3.1.1.5.0.4", 200);
    Bytes wire = encode(link_up.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(wire), to_hex(message(0, "public", 0xA4,
                                           cat({hex("06 08 2B 06 01 06 03 01 01 05 40 04 00 00 00 00"),
                                                integer(3), integer(0), hex("43 02 00 C8 30 00")}))));
    // Enterprise-specific: the trap identifier without its last two arcs.
    OwnedPdu specific = trap_pdu("1.3.6.1.4.1.9.0.17", 0);
    wire = encode(specific.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(to_hex(wire), to_hex(message(0, "public", 0xA4,
                                           cat({CISCO_ENTERPRISE, hex("40 04 00 00 00 00"), integer(6),
                                                integer(17), hex("43 01 00 30 00")}))));
}

TEST(Trap, DecodeThenEncodeGivesTheCanonicalFields) {
    OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
    OwnedTarget target = make_target("x");
    ASSERT_EQ(decode(trap_message(CISCO_ENTERPRISE, 3, 0, 5), pdu.get(), target.get()), PMC_S_OK);
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    // The received agent-addr (192.168.0.1) is not kept: 0.0.0.0 goes out.
    EXPECT_EQ(to_hex(wire), to_hex(message(0, "public", 0xA4,
                                           cat({hex("06 08 2B 06 01 06 03 01 01 05 40 04 00 00 00 00"),
                                                integer(3), integer(0), hex("43 01 05 30 00")}))));
}

TEST(Trap, EncodingRefusals) {
    OwnedTarget v1 = make_target("public");
    struct BadCase {
        const char* name;
        std::string trap_oid;
        pmc_long status;
    };
    const BadCase cases[] = {
        {"no 0 before the last arc", "1.3.6.1.6.3.1.1.5.1", PMC_E_INVALID_ARG},
        {"one arc", "7", PMC_E_INVALID_ARG},
        {"no trap oid", "", PMC_E_INVALID_ARG},
        {"generic number 0", "1.3.6.1.6.3.1.1.5.0.0", PMC_E_INVALID_ARG},
        {"generic number 7", "1.3.6.1.6.3.1.1.5.0.7", PMC_E_INVALID_ARG},
    };
    for (const BadCase& c : cases) {
        OwnedPdu pdu = trap_pdu(c.trap_oid, 1);
        pmc_long status = -99;
        encode(pdu.get(), v1.get(), &status);
        EXPECT_EQ(status, c.status) << c.name;
    }
    OwnedPdu no_time = make_pdu(PMS_PDU_TRAP, 0);
    no_time->set_trap_oid(make_oid("1.3.6.1.4.1.9.0.1").release());
    pmc_long status = -99;
    encode(no_time.get(), v1.get(), &status);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);

    OwnedPdu good = trap_pdu("1.3.6.1.4.1.9.0.1", 1);
    OwnedTarget v2c = make_target("public", PMS_VERSION_2C);
    encode(good.get(), v2c.get(), &status);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
}

}  // namespace
