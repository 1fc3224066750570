// Creation, identity and copying across every kind.
#include <cstdint>

#include "value_test_util.h"

namespace {

struct KindRow {
    pmc_long type;
    pmc_ulong length;          // get_length at creation
    std::uint32_t iid;         // the kind's own interface identifier
    const char* created_text;  // text at creation, or the status for none
};

const KindRow kKinds[] = {
    {PMS_TYPE_INTEGER, 1, 0xF0000002u, "0"},
    {PMS_TYPE_OCTET_STRING, 0, 0xF0000004u, ""},
    {PMS_TYPE_NULL, 0, 0xF0000005u, "<status -5>"},
    {PMS_TYPE_OID, 0, 0xF0000006u, ""},
    {PMS_TYPE_IP_ADDRESS, 4, 0xF0000040u, "0.0.0.0"},
    {PMS_TYPE_COUNTER32, 1, 0xF0000041u, "0"},
    {PMS_TYPE_GAUGE32, 1, 0xF0000042u, "0"},
    {PMS_TYPE_TIME_TICKS, 1, 0xF0000043u, "0"},
    {PMS_TYPE_OPAQUE, 0, 0xF0000044u, ""},
    {PMS_TYPE_COUNTER64, 1, 0xF0000046u, "0"},
    {PMS_TYPE_IPV6_ADDRESS, 16, 0xF0000048u, "0:0:0:0:0:0:0:0"},
    {PMS_TYPE_NO_SUCH_OBJECT, 0, 0xF000FF01u, "<status -5>"},
    {PMS_TYPE_NO_SUCH_INSTANCE, 0, 0xF000FF01u, "<status -5>"},
    {PMS_TYPE_END_OF_MIB_VIEW, 0, 0xF000FF01u, "<status -5>"},
    {PMS_TYPE_UDP_ADDRESS, 6, 0xF000FF02u, "0.0.0.0/0"},
    {PMS_TYPE_IPX_ADDRESS, 12, 0xF000FF03u, "00000000:000000000000/0"},
};

pmc_long iid(std::uint32_t bits) { return static_cast<pmc_long>(bits); }

void* ask(IPmsValue& value, std::uint32_t id) {
    void* out = reinterpret_cast<void*>(1);
    value.query_interface(iid(id), &out);
    return out;
}

class EveryKind : public ::testing::TestWithParam<KindRow> {};

TEST_P(EveryKind, CreatedWithItsInitialContent) {
    const KindRow& row = GetParam();
    OwnedValue value = make_value(row.type);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->get_type(), row.type);
    EXPECT_EQ(value->get_length(), row.length);
    EXPECT_EQ(text_of(*value), row.created_text);
    EXPECT_TRUE(value->is_valid());
}

TEST_P(EveryKind, AnswersItsInterfaceIdentifiers) {
    OwnedValue value = make_value(GetParam().type);
    EXPECT_EQ(ask(*value, 0xFF00u), static_cast<void*>(value.get()));
    EXPECT_NE(ask(*value, 0xF000FF00u), nullptr);
    EXPECT_NE(ask(*value, GetParam().iid), nullptr);
    EXPECT_EQ(ask(*value, 0xF0000047u), nullptr);
    value->query_interface(iid(0xFF00u), nullptr);  // a null out is ignored
}

TEST_P(EveryKind, CloneIsEqualAndIndependent) {
    OwnedValue value = make_value(GetParam().type);
    pmc_long status = -99;
    OwnedValue copy(value->clone(&status));
    ASSERT_EQ(status, PMC_S_OK);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), value.get());
    EXPECT_EQ(copy->get_type(), value->get_type());
    EXPECT_TRUE(copy->equals(value.get()));
    EXPECT_TRUE(value->equals(copy.get()));
    EXPECT_FALSE(value->equals(nullptr));
    EXPECT_EQ(value->assign(copy.get()), PMC_S_OK);
    EXPECT_EQ(value->assign(nullptr), PMC_E_INVALID_ARG);
}

TEST_P(EveryKind, RefusesAssignAcrossTypes) {
    OwnedValue value = make_value(GetParam().type);
    const pmc_long other_type = GetParam().type == PMS_TYPE_INTEGER ? PMS_TYPE_GAUGE32 : PMS_TYPE_INTEGER;
    OwnedValue other = make_value(other_type);
    EXPECT_EQ(value->assign(other.get()), PMC_E_INVALID_ARG);
    EXPECT_FALSE(value->equals(other.get()));
}

TEST_P(EveryKind, NullArgumentsAreRefused) {
    OwnedValue value = make_value(GetParam().type);
    pmc_long status = -99;
    EXPECT_EQ(value->accept(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->get_bytes_into(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->set_text_from(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->set_bytes_from(nullptr), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->get_bytes(nullptr, &status), nullptr);
    EXPECT_NE(status, PMC_S_OK);
}

INSTANTIATE_TEST_SUITE_P(Values, EveryKind, ::testing::ValuesIn(kKinds), [](const auto& info) {
    return "type_" + std::to_string(info.param.type);
});

TEST(ValueFactory, RefusesUnknownTypes) {
    for (pmc_long type : {0x47, 0x45, 0x00, 0x03, 0x83, 0xFF01, -1}) {
        pmc_long status = -99;
        EXPECT_EQ(pms_create_value(type, &status), nullptr) << type;
        EXPECT_EQ(status, PMC_E_INVALID_ARG) << type;
    }
    EXPECT_EQ(pms_create_value(0x47, nullptr), nullptr);
}

TEST(ValueFactory, ExceptionKeepsItsCode) {
    OwnedValue value = make_value(PMS_TYPE_NO_SUCH_INSTANCE);
    EXPECT_EQ(value->get_type(), PMS_TYPE_NO_SUCH_INSTANCE);
    EXPECT_EQ(value->get_length(), 0u);
    pmc_long status = -99;
    OwnedString text(pmc_create_byte_string(nullptr));
    EXPECT_EQ(value->get_text_into(text.get()), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->set_text("x"), PMC_E_NOT_SUPPORTED);
    OwnedValue end = make_value(PMS_TYPE_END_OF_MIB_VIEW);
    OwnedValue copy(end->clone(&status));
    EXPECT_EQ(copy->get_type(), PMS_TYPE_END_OF_MIB_VIEW);
    EXPECT_TRUE(copy->equals(end.get()));
    EXPECT_FALSE(copy->equals(value.get()));
    EXPECT_EQ(copy->assign(value.get()), PMC_E_INVALID_ARG);
}

TEST(ValueFactory, FromIntOnlyForInteger) {
    pmc_long status = -99;
    OwnedValue value(pms_create_value_from_int(-42, PMS_TYPE_INTEGER, &status));
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(value->get_int(nullptr), -42);
    EXPECT_EQ(pms_create_value_from_int(1, PMS_TYPE_GAUGE32, &status), nullptr);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(pms_create_value_from_int(1, 0x47, &status), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

TEST(ValueFactory, FromTextParsesAndValidates) {
    struct Row {
        const char* text;
        pmc_long type;
        pmc_long status;
        const char* reads;
    };
    const Row rows[] = {
        {"17", PMS_TYPE_INTEGER, PMC_S_OK, "17"},
        {"1.3.6.1", PMS_TYPE_OID, PMC_S_OK, "1.3.6.1"},
        {"1..3", PMS_TYPE_OID, PMC_E_INVALID_ARG, nullptr},
        {"10.0.0", PMS_TYPE_IP_ADDRESS, PMC_E_INVALID_ARG, nullptr},
        {"12a", PMS_TYPE_COUNTER64, PMC_E_INVALID_ARG, nullptr},
        {"x", PMS_TYPE_NULL, PMC_E_NOT_SUPPORTED, nullptr},
        {"x", 0x47, PMC_E_INVALID_ARG, nullptr},
    };
    for (const Row& row : rows) {
        pmc_long status = -99;
        OwnedValue value(pms_create_value_from_text(row.text, row.type, &status));
        EXPECT_EQ(status, row.status) << row.text;
        if (row.reads != nullptr) {
            ASSERT_TRUE(value);
            EXPECT_EQ(text_of(*value), row.reads);
        } else {
            EXPECT_FALSE(value) << row.text;
        }
    }
    pmc_long status = -99;
    EXPECT_EQ(pms_create_value_from_text(nullptr, PMS_TYPE_INTEGER, &status), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

TEST(ValueIdentity, SharedPartsAnswerTheirBaseIdentifier) {
    // Counter32 and TimeTicks are Gauge32 underneath; the byte kinds expose
    // their OCTET STRING bytes; the UDP address is not an IpAddress.
    for (pmc_long type : {PMS_TYPE_COUNTER32, PMS_TYPE_TIME_TICKS}) {
        OwnedValue value = make_value(type);
        EXPECT_NE(ask(*value, 0xF0000042u), nullptr) << type;
    }
    for (pmc_long type : {PMS_TYPE_IP_ADDRESS, PMS_TYPE_OPAQUE, PMS_TYPE_IPV6_ADDRESS, PMS_TYPE_UDP_ADDRESS,
                          PMS_TYPE_IPX_ADDRESS}) {
        OwnedValue value = make_value(type);
        EXPECT_NE(ask(*value, 0xF0000004u), nullptr) << type;
    }
    OwnedValue udp = make_value(PMS_TYPE_UDP_ADDRESS);
    EXPECT_EQ(ask(*udp, 0xF0000040u), nullptr);
    OwnedValue gauge = make_value(PMS_TYPE_GAUGE32);
    EXPECT_EQ(ask(*gauge, 0xF0000041u), nullptr);
    OwnedValue integer = make_value(PMS_TYPE_INTEGER);
    EXPECT_EQ(ask(*integer, 0xF0000004u), nullptr);
}

TEST(ValueIdentity, OnlyIdentifiersHaveAnOidView) {
    OwnedValue oid_value = make_value(PMS_TYPE_OID);
    IPmsOid* view = oid_value->as_oid();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(static_cast<IPmsValue*>(view), oid_value.get());
    EXPECT_EQ(ask(*oid_value, 6), static_cast<void*>(view));
    EXPECT_EQ(ask(*oid_value, 0xF0000006u), static_cast<void*>(view));
    OwnedValue text = make_value(PMS_TYPE_OCTET_STRING);
    EXPECT_EQ(text->as_oid(), nullptr);
    EXPECT_EQ(ask(*text, 6), nullptr);
}

// Records which visitor operation a value chose.
class RecordingVisitor : public IPmsValueVisitor {
public:
    std::string called;
    pmc_long visit_oid(IPmsOid*) override { return note("oid"); }
    pmc_long visit_octet_string(IPmsValue*) override { return note("octet_string"); }
    pmc_long visit_integer(IPmsValue*) override { return note("integer"); }
    pmc_long visit_null(IPmsValue*) override { return note("null"); }
    pmc_long visit_counter32(IPmsValue*) override { return note("counter32"); }
    pmc_long visit_gauge32(IPmsValue*) override { return note("gauge32"); }
    pmc_long visit_time_ticks(IPmsValue*) override { return note("time_ticks"); }
    pmc_long visit_counter64(IPmsValue*) override { return note("counter64"); }
    pmc_long visit_ip_address(IPmsValue*) override { return note("ip_address"); }
    pmc_long visit_ipv6_address(IPmsValue*) override { return note("ipv6_address"); }
    pmc_long visit_udp_address(IPmsValue*) override { return note("udp_address"); }
    pmc_long visit_ipx_address(IPmsValue*) override { return note("ipx_address"); }
    pmc_long visit_exception(IPmsValue*) override { return note("exception"); }

private:
    pmc_long note(const char* name) {
        called = name;
        return 1234;  // accept must pass the visitor's status back
    }
};

TEST(ValueVisitor, EachKindCallsItsOperation) {
    const std::pair<pmc_long, const char*> rows[] = {
        {PMS_TYPE_INTEGER, "integer"},         {PMS_TYPE_OCTET_STRING, "octet_string"},
        {PMS_TYPE_NULL, "null"},               {PMS_TYPE_OID, "oid"},
        {PMS_TYPE_IP_ADDRESS, "ip_address"},   {PMS_TYPE_COUNTER32, "counter32"},
        {PMS_TYPE_GAUGE32, "gauge32"},         {PMS_TYPE_TIME_TICKS, "time_ticks"},
        {PMS_TYPE_OPAQUE, "octet_string"},     {PMS_TYPE_COUNTER64, "counter64"},
        {PMS_TYPE_IPV6_ADDRESS, "ipv6_address"}, {PMS_TYPE_NO_SUCH_OBJECT, "exception"},
        {PMS_TYPE_END_OF_MIB_VIEW, "exception"}, {PMS_TYPE_UDP_ADDRESS, "udp_address"},
        {PMS_TYPE_IPX_ADDRESS, "ipx_address"},
    };
    for (const auto& [type, name] : rows) {
        RecordingVisitor visitor;
        OwnedValue value = make_value(type);
        EXPECT_EQ(value->accept(&visitor), 1234) << type;
        EXPECT_EQ(visitor.called, name) << type;
    }
}

}  // namespace
