// Identifiers a host implements itself reach our operations only through
// the interface: every path must work without our implementation class.
#include "value/oid_arcs.h"
#include "value_test_util.h"

namespace {

// Forwards to a real identifier but hides our implementation identifier,
// as a host's own class would.
class ForeignOid final : public IPmsOid {
public:
    explicit ForeignOid(const char* text) : inner_(make_oid(text)) {}
    ~ForeignOid() = default;

#define FORWARD(ret, name, params, args, cv) \
    ret name params cv override { return inner_->name args; }
    FORWARD(pmc_long, accept, (IPmsValueVisitor* v), (v), )
    void release() override {}
    FORWARD(IPmsValue*, clone, (pmc_long* s), (s), const)
    FORWARD(pmc_long, assign, (const IPmsValue* o), (o), )
    void clear() override { inner_->clear(); }
    FORWARD(pmc_long, get_type, (), (), const)
    FORWARD(bool, equals, (const IPmsValue* o), (o), const)
    IPmsOid* as_oid() override { return this; }
    void query_interface(pmc_long, void** out) override {
        if (out != nullptr) *out = nullptr;
    }
    FORWARD(bool, is_valid, (), (), const)
    FORWARD(pmc_long, get_int, (pmc_long* s), (s), const)
    FORWARD(pmc_ulong, get_uint, (pmc_long* s), (s), const)
    FORWARD(IPmcByteString*, get_text_new, (pmc_long* s), (s), const)
    FORWARD(pmc_long, get_text_into, (IPmcByteString* o), (o), const)
    FORWARD(const unsigned char*, get_bytes, (pmc_ulong* l, pmc_long* s), (l, s), const)
    FORWARD(IPmcByteString*, get_bytes_new, (pmc_long* s), (s), const)
    FORWARD(pmc_long, get_bytes_into, (IPmcByteString* o), (o), const)
    FORWARD(unsigned short, get_port, (pmc_long* s), (s), const)
    FORWARD(pmc_ulong, get_uint_high, (pmc_long* s), (s), const)
    FORWARD(pmc_ulong, get_uint_low, (pmc_long* s), (s), const)
    FORWARD(pmc_long, set_int, (pmc_long n), (n), )
    FORWARD(pmc_long, set_uint, (pmc_ulong n), (n), )
    FORWARD(pmc_long, set_text, (const char* t), (t), )
    FORWARD(pmc_long, set_text_from, (const IPmcByteString* t), (t), )
    FORWARD(pmc_long, set_bytes, (const unsigned char* d, pmc_ulong c), (d, c), )
    FORWARD(pmc_long, set_bytes_from, (const IPmcByteString* b), (b), )
    FORWARD(pmc_long, set_port, (unsigned short p), (p), )
    FORWARD(pmc_long, set_uint_high, (pmc_ulong n), (n), )
    FORWARD(pmc_long, set_uint_low, (pmc_ulong n), (n), )
    FORWARD(pmc_ulong, get_length, (), (), const)
    FORWARD(pmc_ulong, get_index_length, (bool i), (i), const)
    FORWARD(pmc_ulong, get_element, (pmc_ulong p, pmc_long* s), (p, s), const)
    FORWARD(pmc_long, append_index, (IPmsOid* o, bool i), (o, i), const)
    FORWARD(pmc_long, write_index, (IPmsOid* o, bool i), (o, i), const)
    FORWARD(pmc_long, read_index, (IPmsOid* o, bool i, pmc_ulong c), (o, i, c), )
    FORWARD(IPmsOid*, clone_oid, (pmc_long* s), (s), const)
    FORWARD(pmc_long, compare_text, (const char* t, pmc_long* s), (t, s), const)
    FORWARD(pmc_long, compare, (const IPmsOid* o, pmc_long* s), (o, s), const)
    FORWARD(pmc_long, remove_prefix_text, (const char* p), (p), )
    FORWARD(pmc_long, remove_prefix, (const IPmsOid* p), (p), )
    FORWARD(pmc_long, append_text, (const char* t), (t), )
    FORWARD(pmc_long, append_arc, (pmc_ulong a), (a), )
    FORWARD(pmc_long, append_oid, (const IPmsOid* o), (o), )
    FORWARD(pmc_long, append_text_index, (const char* t, pmc_long y, bool i), (t, y, i), )
    FORWARD(pmc_long, append_value_index, (const IPmsValue* v, bool i), (v, i), )
    FORWARD(IPmsOid*, pop_oid, (pmc_ulong c, pmc_long* s), (c, s), )
    FORWARD(pmc_long, pop_into_value, (IPmsValue* v, pmc_ulong c), (v, c), )
    FORWARD(pmc_ulong, pop_arc, (pmc_long* s), (s), )
    FORWARD(IPmcByteString*, pop_text_new, (pmc_ulong c, pmc_long* s), (c, s), )
    FORWARD(pmc_long, pop_text_into, (IPmcByteString* o, pmc_ulong c), (o, c), )
    FORWARD(IPmsValue*, pop_index_new, (pmc_long y, pmc_long* s, bool i, pmc_ulong c), (y, s, i, c), )
    FORWARD(pmc_long, pop_index_into, (IPmsValue* v, bool i, pmc_ulong c), (v, i, c), )
    FORWARD(pmc_long, remove_arcs, (pmc_ulong s, pmc_ulong c), (s, c), )
    FORWARD(IPmsValue*, decode_index_new, (pmc_long y, pmc_long* s, bool i), (y, s, i), )
    FORWARD(pmc_long, decode_index_into, (IPmsValue* v, bool i), (v, i), )
    FORWARD(pmc_long, encode_index, (const IPmsValue* v, bool i), (v, i), )
#undef FORWARD

    std::string text() const { return text_of(*inner_); }

private:
    OwnedOid inner_;
};

TEST(ForeignOid, ArcPathsUseTheInterface) {
    ForeignOid foreign("1.3.6.1.4.1");
    pmc_ulong arcs[8] = {};
    pmc_ulong count = 0;
    ASSERT_EQ(pms_oid_read_arcs(&foreign, arcs, 8, &count), PMC_S_OK);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(arcs[4], 4u);
    const pmc_ulong replacement[] = {2, 5, 4};
    ASSERT_EQ(pms_oid_assign_arcs(&foreign, replacement, 3), PMC_S_OK);
    EXPECT_EQ(foreign.text(), "2.5.4");
    ASSERT_EQ(pms_oid_assign_arcs(&foreign, replacement, 0), PMC_S_OK);
    EXPECT_EQ(foreign.text(), "");
}

TEST(ForeignOid, OurOperationsReadItsText) {
    ForeignOid foreign("1.3.6");
    OwnedOid ours = make_oid("1.3.6.1");
    EXPECT_EQ(ours->compare(&foreign, nullptr), PMS_OID_BELOW);
    ASSERT_EQ(ours->remove_prefix(&foreign), PMC_S_OK);
    EXPECT_EQ(text_of(*ours), "1");
    ASSERT_EQ(ours->append_oid(&foreign), PMC_S_OK);
    EXPECT_EQ(text_of(*ours), "1.1.3.6");
    EXPECT_EQ(ours->get_length(), 4u);
    OwnedValue copy = make_value(PMS_TYPE_OID);
    ASSERT_EQ(copy->assign(&foreign), PMC_S_OK);
    EXPECT_TRUE(copy->equals(&foreign));
}

TEST(ForeignOid, IndexFormsReadAndWriteIt) {
    ForeignOid foreign("2.97.98.7");
    OwnedValue text = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(text->read_index(&foreign, false, 0xFFFFFFFFu), PMC_S_OK);
    EXPECT_EQ(text_of(*text), "ab");
    OwnedValue address = make_value(PMS_TYPE_UDP_ADDRESS);
    address->set_text("127.0.0.1/161");
    ASSERT_EQ(address->write_index(&foreign, true), PMC_S_OK);
    EXPECT_EQ(foreign.text(), "1.127.0.0.1.0.161");
    OwnedOid id = make_oid("1.3");
    ASSERT_EQ(id->append_index(&foreign, false), PMC_S_OK);
    EXPECT_EQ(foreign.text(), "1.127.0.0.1.0.161.2.1.3");
}

}  // namespace
