// Identifiers a host implements itself reach our operations only through
// the interface: every path must work without our implementation class.
#include <cstdint>

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
    const unsigned char* get_bytes(pmc_ulong* l, pmc_long* s) const override {
        if (window_.empty() || l == nullptr) return inner_->get_bytes(l, s);
        *l = static_cast<pmc_ulong>(window_length_);
        if (s != nullptr) *s = PMC_S_OK;
        return reinterpret_cast<const unsigned char*>(window_.data());
    }
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
    // Lends the first `length` characters of `text` as its text, with no
    // terminator after them, as a host's buffer may be.
    void show(const std::string& text, std::size_t length) {
        window_ = text;
        window_length_ = length;
    }

private:
    OwnedOid inner_;
    std::string window_;
    std::size_t window_length_ = 0;
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

namespace {

// The arcs of a dotted text by the identifier grammar, or false.
bool reference_arcs(const std::string& text, std::vector<pmc_ulong>* arcs) {
    arcs->clear();
    if (text.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part.empty() || part.size() > 10 || (part.size() > 1 && part[0] == '0')) return false;
        std::uint64_t arc = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            arc = arc * 10u + static_cast<std::uint64_t>(c - '0');
        }
        if (arc > 0xFFFFFFFFu) return false;  // an arc is 32 bits
        arcs->push_back(static_cast<pmc_ulong>(arc));
        if (dot == std::string::npos) return true;
        start = dot + 1;
    }
}

TEST(ForeignOid, ArcReadingStopsAtTheLengthNotATerminator) {
    const std::string texts[] = {"", "0", "7", "1.3", "1.3.6.1.2.1.43.11.1.1.9.1", "0.0", "10.200.3000",
                                 "4294967295.4294967296", "99999999999", "1.03", "1..3", ".1", "1.",
                                 "00", "1.a", std::string("1.3\0" "7", 5), std::string("1\0", 2)};
    // What follows the text in the host's buffer must not be read as part of it.
    const std::string tails[] = {"", "7", "0", ".5", "x", std::string(1, '\0')};
    for (const std::string& text : texts) {
        std::vector<pmc_ulong> expected;
        const bool valid = reference_arcs(text, &expected);
        OwnedOid ours = make_oid("");
        ASSERT_EQ(ours->set_bytes(reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<pmc_ulong>(text.size())),
                  PMC_S_OK);
        pmc_ulong arcs[16] = {};
        pmc_ulong count = 0;
        ASSERT_EQ(pms_oid_read_arcs(ours.get(), arcs, 16, &count), valid ? PMC_S_OK : PMC_E_INVALID_ARG) << text;
        if (valid) {
            EXPECT_EQ(std::vector<pmc_ulong>(arcs, arcs + count), expected) << text;
        }
        for (const std::string& tail : tails) {
            ForeignOid foreign("");
            foreign.show(text + tail, text.size());
            pmc_ulong foreign_arcs[16] = {};
            pmc_ulong foreign_count = 0;
            ASSERT_EQ(pms_oid_read_arcs(&foreign, foreign_arcs, 16, &foreign_count),
                      valid ? PMC_S_OK : PMC_E_INVALID_ARG)
                << text << " + " << tail;
            if (valid) {
                EXPECT_EQ(std::vector<pmc_ulong>(foreign_arcs, foreign_arcs + foreign_count), expected)
                    << text << " + " << tail;
            }
        }
    }
}

TEST(ForeignOid, ArcsAreWrittenAtEveryWidth) {
    std::vector<pmc_ulong> arcs;
    std::string expected;
    for (pmc_ulong power = 1, width = 1; width <= 10; ++width, power *= 10u) {
        // The last number of each width and the first of the next.
        for (pmc_ulong arc : {power - 1, power, power + 1, power * 5u + 7u}) {
            if (width == 10 && arc != power - 1 && arc != power) continue;  // beyond 32 bits
            arcs.push_back(arc);
        }
    }
    arcs.push_back(4294967295u);
    for (pmc_ulong arc : arcs) expected += (expected.empty() ? "" : ".") + std::to_string(arc);
    const auto count = static_cast<pmc_ulong>(arcs.size());
    OwnedOid ours = make_oid("");
    ASSERT_EQ(pms_oid_assign_arcs(ours.get(), arcs.data(), count), PMC_S_OK);
    EXPECT_EQ(text_of(*ours), expected);
    ForeignOid foreign("1");
    ASSERT_EQ(pms_oid_assign_arcs(&foreign, arcs.data(), count), PMC_S_OK);
    EXPECT_EQ(foreign.text(), expected);
}

}  // namespace
