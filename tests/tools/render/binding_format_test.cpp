// Our -On output against what Net-SNMP's snmpget prints for the same value.
#include "render/binding_format.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using pmtool::Binding;

Binding make(pmc_long type, std::int64_t number = 0, std::string octets = {}, std::string oid_value = {}) {
    Binding b;
    b.oid = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    b.type = type;
    b.number = number;
    b.octets = std::move(octets);
    b.oid_value = pmtool::Oid::parse(oid_value).value_or(pmtool::Oid());
    return b;
}

TEST(BindingFormat, LikeNetSnmp) {
    const struct {
        Binding binding;
        std::string text;
    } cases[] = {
        {make(PMS_TYPE_OCTET_STRING, 0, "SHARP MX-3570N"), "STRING: \"SHARP MX-3570N\""},
        {make(PMS_TYPE_OCTET_STRING, 0, ""), "\"\""},
        {make(PMS_TYPE_OCTET_STRING, 0, "a \"quoted\" text"), "STRING: \"a \\\"quoted\\\" text\""},
        {make(PMS_TYPE_OCTET_STRING, 0, "tab\tand\nnewline"), "STRING: \"tab\tand\nnewline\""},
        {make(PMS_TYPE_OCTET_STRING, 0, std::string("\x20\x00", 2)), "Hex-STRING: 20 00 "},
        {make(PMS_TYPE_OCTET_STRING, 0, std::string(17, '\x01')),
         "Hex-STRING: 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 \n01 "},
        {make(PMS_TYPE_INTEGER, -3), "INTEGER: -3"},
        {make(PMS_TYPE_COUNTER32, 4294967295LL), "Counter32: 4294967295"},
        {make(PMS_TYPE_GAUGE32, 7), "Gauge32: 7"},
        {make(PMS_TYPE_COUNTER64, 1LL << 40), "Counter64: 1099511627776"},
        {make(PMS_TYPE_COUNTER64, -1), "Counter64: 18446744073709551615"},
        {make(PMS_TYPE_TIME_TICKS, 217539735), "Timeticks: (217539735) 25 days, 4:16:37.35"},
        {make(PMS_TYPE_IP_ADDRESS, 0, std::string("\xc0\x00\x02\x07", 4)), "IpAddress: 192.0.2.7"},
        {make(PMS_TYPE_OID, 0, {}, "1.3.6.1.4.1.2435.2.3.9.1"), "OID: .1.3.6.1.4.1.2435.2.3.9.1"},
        {make(PMS_TYPE_NULL), "NULL"},
        {make(PMS_TYPE_NO_SUCH_OBJECT), "No Such Object available on this agent at this OID"},
        {make(PMS_TYPE_NO_SUCH_INSTANCE), "No Such Instance currently exists at this OID"},
        {make(PMS_TYPE_END_OF_MIB_VIEW),
         "No more variables left in this MIB View (It is past the end of the MIB tree)"},
    };
    for (const auto& c : cases) EXPECT_EQ(pmtool::format_value(c.binding), c.text);
    EXPECT_EQ(pmtool::format_binding(make(PMS_TYPE_INTEGER, 2)), ".1.3.6.1.2.1.1.1.0 = INTEGER: 2");
}

TEST(BindingFormat, TimeTicks) {
    EXPECT_EQ(pmtool::format_time_ticks(0), "(0) 0:00:00.00");
    EXPECT_EQ(pmtool::format_time_ticks(8640000), "(8640000) 1 day, 0:00:00.00");
    EXPECT_EQ(pmtool::format_time_ticks(8639999), "(8639999) 23:59:59.99");
    EXPECT_EQ(pmtool::format_time_ticks(4294967295u), "(4294967295) 497 days, 2:27:52.95");
}

TEST(BindingFormat, Json) {
    const auto doc = nlohmann::json::parse(pmtool::bindings_json(
        {make(PMS_TYPE_COUNTER32, 121104), make(PMS_TYPE_OCTET_STRING, 0, std::string("\x20\x00", 2)),
         make(PMS_TYPE_NO_SUCH_OBJECT), make(PMS_TYPE_OCTET_STRING, 0, "text")}));
    EXPECT_EQ(doc, nlohmann::json::parse(R"([
        {"oid": ".1.3.6.1.2.1.1.1.0", "type": "Counter32", "value": 121104},
        {"oid": ".1.3.6.1.2.1.1.1.0", "type": "Hex-STRING", "value": "20 00"},
        {"oid": ".1.3.6.1.2.1.1.1.0", "type": "noSuchObject", "value": null},
        {"oid": ".1.3.6.1.2.1.1.1.0", "type": "STRING", "value": "text"}])"));
}

}  // namespace
