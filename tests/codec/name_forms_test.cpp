// Identifiers keep what the codec last wrote or read for them; whatever is
// done to one afterwards must show in its text and in the next message.
#include <functional>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

const char* const kName = "1.3.6.1.2.1.43.11.1.1.9.1.1";

// The binding name as the wire carries it, after one round through the codec.
std::string name_after(const std::function<void(IPmsOid*)>& change, bool decoded_first) {
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 7);
    add_binding(pdu.get(), decoded_first ? "1.3" : kName);
    OwnedTarget target = make_target("public");
    IPmsOid* name = pdu->get_varbind_list()->get_at(0)->get_oid();
    if (decoded_first) {
        EXPECT_EQ(decode(response(7, 0, 0, binding(supply_oid(1), hex("05 00"))), pdu.get(), target.get()),
                  PMC_S_OK);
        pdu->set_type(PMS_PDU_GET);
    }
    EXPECT_FALSE(encode(pdu.get(), target.get()).empty());
    change(name);
    const Bytes wire = encode(pdu.get(), target.get());
    OwnedPdu back = make_pdu(PMS_PDU_NONE, 0);
    EXPECT_EQ(decode(wire, back.get(), target.get()), PMC_S_OK);
    const std::string sent = oid_text(back->get_varbind_list()->get_at(0)->get_oid());
    EXPECT_EQ(sent, oid_text(name));
    return sent;
}

TEST(NameForms, ChangesAfterEncodingOrDecodingReachTheWire) {
    OwnedOid other = make_oid("1.3.6.1.4");
    const struct {
        const char* what;
        std::function<void(IPmsOid*)> change;
        const char* expected;
    } cases[] = {
        {"unchanged", [](IPmsOid*) {}, kName},
        {"set_text", [](IPmsOid* o) { o->set_text("1.3.6.1.2.1.1.5.0"); }, "1.3.6.1.2.1.1.5.0"},
        {"append_arc", [](IPmsOid* o) { o->append_arc(300); }, "1.3.6.1.2.1.43.11.1.1.9.1.1.300"},
        {"remove_arcs", [](IPmsOid* o) { o->remove_arcs(11, 2); }, "1.3.6.1.2.1.43.11.1.1.9"},
        {"append_text", [](IPmsOid* o) { o->append_text("7.8"); }, "1.3.6.1.2.1.43.11.1.1.9.1.1.7.8"},
        {"assign", [&](IPmsOid* o) { o->assign(other.get()); }, "1.3.6.1.4"},
        {"append_oid self", [](IPmsOid* o) { o->remove_arcs(2, 11); o->append_oid(o); }, "1.3.1.3"},
        {"set_bytes", [](IPmsOid* o) { o->set_bytes(reinterpret_cast<const unsigned char*>("2.5"), 3); }, "2.5"},
    };
    for (const auto& c : cases) {
        for (bool decoded_first : {false, true}) {
            EXPECT_EQ(name_after(c.change, decoded_first), c.expected) << c.what << " decoded " << decoded_first;
        }
    }
}

TEST(NameForms, DecodedNamesReadAsTheirTextAndArcs) {
    OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
    OwnedTarget target = make_target("public");
    // The second name pads its last sub-identifier (80 01): read as 1, sent as 01.
    const Bytes padded = hex("06 0D 2B 06 01 02 01 2B 0B 01 01 09 01 80 01");
    ASSERT_EQ(decode(response(1, 0, 0, cat({binding(supply_oid(100), hex("05 00")), binding(padded, hex("05 00"))})),
                     pdu.get(), target.get()),
              PMC_S_OK);
    IPmsOid* first = pdu->get_varbind_list()->get_at(0)->get_oid();
    EXPECT_EQ(first->get_length(), 13u);
    EXPECT_EQ(first->get_element(12, nullptr), 100u);
    EXPECT_EQ(oid_text(first), "1.3.6.1.2.1.43.11.1.1.9.1.100");
    EXPECT_EQ(first->compare_text("1.3.6.1.2.1.43", nullptr), PMS_OID_BELOW);
    pdu->set_type(PMS_PDU_GET);
    const Bytes wire = encode(pdu.get(), target.get());
    EXPECT_NE(to_hex(wire).find(to_hex(supply_oid(1))), std::string::npos) << to_hex(wire);
    EXPECT_EQ(to_hex(wire).find("80 01"), std::string::npos) << to_hex(wire);
}

}  // namespace
