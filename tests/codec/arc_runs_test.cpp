// Names read eight one-octet arcs at a time, and compared with the name held
// a word at a time: long arcs at every offset of such a run, faults just
// after one, and held names that differ from the wire's in a single octet.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

// An identifier element as Net-SNMP encodes it.
Bytes netsnmp_oid(std::vector<oid> arcs) {
    u_char out[256];
    size_t room = sizeof out;
    u_char* end = asn_build_objid(out, &room, ASN_OBJECT_ID, arcs.data(), arcs.size());
    EXPECT_NE(end, nullptr);
    return end != nullptr ? Bytes(static_cast<u_char*>(out), end) : Bytes();
}

std::string decoded_name(const Bytes& name, IPmsPdu* pdu, pmc_long* status) {
    OwnedTarget target = make_target("public");
    *status = decode(response(1, 0, 0, binding(name, hex("05 00"))), pdu, target.get());
    return oid_text(pdu->get_varbind_list()->get_at(0)->get_oid());
}

TEST(ArcRuns, LongArcAtEveryOffsetReadsAndGoesBackAsSent) {
    for (const oid long_arc : {128ul, 16383ul, 2097152ul, 4294967295ul}) {
        for (std::size_t at = 2; at < 22; ++at) {
            std::vector<oid> arcs{1, 3};
            std::string text = "1.3";
            for (std::size_t i = 2; i < 22; ++i) {
                arcs.push_back(i == at ? long_arc : i % 7);
                text += "." + std::to_string(arcs.back());
            }
            const Bytes name = netsnmp_oid(arcs);
            OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
            pmc_long status = -99;
            EXPECT_EQ(decoded_name(name, pdu.get(), &status), text) << long_arc << " at " << at;
            EXPECT_EQ(status, PMC_S_OK);
            pdu->set_type(PMS_PDU_RESPONSE);
            EXPECT_EQ(encode(pdu.get(), make_target("public").get()), response(1, 0, 0, binding(name, hex("05 00"))))
                << long_arc << " at " << at;
        }
    }
}

TEST(ArcRuns, FaultsAfterARunAreRefused) {
    const Bytes run = hex("2B 01 02 03 04 05 06 07 08 09");
    for (const Bytes& tail : {hex("86"), hex("90 80 80 80 00"), hex("01 88 80")}) {
        LogCapture& log = LogCapture::on(pmc_snmp_log());
        log.clear();
        OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
        pmc_long status = -99;
        EXPECT_EQ(decoded_name(tlv(0x06, cat({run, tail})), pdu.get(), &status), "") << to_hex(tail);
        EXPECT_EQ(status, PMC_E_DECODE);
        EXPECT_TRUE(log.has_line("decode error. oid format is wrong.")) << to_hex(tail);
    }
}

TEST(ArcRuns, HeldNameDifferingInAnyOneOctetIsReplaced) {
    for (std::size_t length : {1u, 3u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 23u, 24u, 25u, 31u, 32u, 33u}) {
        const Bytes base = tlv(0x06, cat({Bytes{0x2B}, Bytes(length - 1, 0x01)}));
        for (std::size_t k = 0; k < length; ++k) {
            Bytes changed = base;
            changed[2 + k] = k == 0 ? 0x2C : 0x02;
            OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
            pmc_long status = -99;
            const std::string first = decoded_name(base, pdu.get(), &status);
            const std::string second = decoded_name(changed, pdu.get(), &status);
            EXPECT_NE(first, second) << length << " octet " << k;
            OwnedPdu fresh = make_pdu(PMS_PDU_GET, 1);
            EXPECT_EQ(decoded_name(changed, fresh.get(), &status), second) << length << " octet " << k;
            // What the codec keeps of the name is what goes out next.
            pdu->set_type(PMS_PDU_RESPONSE);
            EXPECT_EQ(encode(pdu.get(), make_target("public").get()), response(1, 0, 0, binding(changed, hex("05 00"))))
                << length << " octet " << k;
        }
    }
}

}  // namespace
