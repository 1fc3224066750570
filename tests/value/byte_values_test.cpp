// OCTET STRING, Opaque and the fixed-size address kinds.
#include <cstring>

#include "value_test_util.h"

namespace {

using Bytes = std::vector<unsigned>;

pmc_long set_bytes(IPmsValue& value, const Bytes& bytes) {
    std::vector<unsigned char> raw(bytes.begin(), bytes.end());
    return value.set_bytes(raw.data(), static_cast<pmc_ulong>(raw.size()));
}

TEST(OctetString, BytesRoundTripWithZeros) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(set_bytes(*value, {0x41, 0x00, 0x42}), PMC_S_OK);
    EXPECT_EQ(value->get_length(), 3u);
    const std::string text = text_of(*value);
    EXPECT_EQ(text, std::string("A\0B", 3));
    pmc_long status = -99;
    OwnedString bytes(value->get_bytes_new(&status));
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(string_of(*bytes), text);
}

TEST(OctetString, NullDataEmpties) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(value->set_text("abc"), PMC_S_OK);
    EXPECT_EQ(value->set_bytes(nullptr, 10), PMC_S_OK);
    EXPECT_EQ(value->get_length(), 0u);
    ASSERT_EQ(value->set_text("abc"), PMC_S_OK);
    EXPECT_EQ(value->set_text(nullptr), PMC_S_OK);
    EXPECT_EQ(value->get_length(), 0u);
}

TEST(OctetString, ElementAccess) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    ASSERT_EQ(set_bytes(*value, {7, 255}), PMC_S_OK);
    pmc_long status = -99;
    EXPECT_EQ(value->get_element(1, &status), 255u);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(value->get_element(2, &status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

TEST(OctetString, GetBytesNeedsLengthPointer) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    pmc_long status = -99;
    EXPECT_EQ(value->get_bytes(nullptr, &status), nullptr);
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    pmc_ulong length = 99;
    EXPECT_EQ(value->get_bytes(&length, &status), nullptr);  // nothing stored yet
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(status, PMC_S_OK);
}

TEST(OctetString, NotEqualToOpaqueWithSameBytes) {
    OwnedValue text = make_value(PMS_TYPE_OCTET_STRING);
    OwnedValue opaque = make_value(PMS_TYPE_OPAQUE);
    text->set_text("same");
    opaque->set_text("same");
    EXPECT_FALSE(text->equals(opaque.get()));
    EXPECT_EQ(text->assign(opaque.get()), PMC_E_INVALID_ARG);
    OwnedValue other = make_value(PMS_TYPE_OPAQUE);
    ASSERT_EQ(other->assign(opaque.get()), PMC_S_OK);
    EXPECT_TRUE(other->equals(opaque.get()));
    other->set_text("samf");
    EXPECT_FALSE(other->equals(opaque.get()));
}

TEST(OctetString, ClearKeepsStorageUsable) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    std::string big(300, 'x');
    ASSERT_EQ(value->set_text(big.c_str()), PMC_S_OK);
    value->clear();
    EXPECT_EQ(value->get_length(), 0u);
    ASSERT_EQ(value->set_text("y"), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "y");
}

TEST(OctetString, AssignFromItself) {
    OwnedValue value = make_value(PMS_TYPE_OCTET_STRING);
    value->set_text("self");
    EXPECT_EQ(value->assign(value.get()), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "self");
}

TEST(IpAddress, NumberIsBigEndian) {
    OwnedValue value = make_value(PMS_TYPE_IP_ADDRESS);
    ASSERT_EQ(value->set_text("10.1.2.3"), PMC_S_OK);
    EXPECT_EQ(value->get_uint(nullptr), 0x0A010203u);
    ASSERT_EQ(value->set_uint(0xC0A80001u), PMC_S_OK);
    EXPECT_EQ(bytes_of(*value), (Bytes{192, 168, 0, 1}));
    EXPECT_EQ(text_of(*value), "192.168.0.1");
}

TEST(IpAddress, WrongByteCountKeepsOldBytes) {
    OwnedValue value = make_value(PMS_TYPE_IP_ADDRESS);
    ASSERT_EQ(set_bytes(*value, {1, 2, 3, 4}), PMC_S_OK);
    EXPECT_EQ(set_bytes(*value, {9, 9, 9, 9, 9}), PMC_E_INVALID_ARG);
    EXPECT_EQ(set_bytes(*value, {9, 9, 9}), PMC_E_INVALID_ARG);
    EXPECT_EQ(value->set_bytes(nullptr, 4), PMC_E_INVALID_ARG);
    EXPECT_EQ(bytes_of(*value), (Bytes{1, 2, 3, 4}));
    value->clear();
    EXPECT_EQ(bytes_of(*value), (Bytes{0, 0, 0, 0}));
}

struct TextRow {
    pmc_long type;
    const char* text;
    pmc_long status;
    const char* reads_back;
};

const TextRow kAddressTexts[] = {
    {PMS_TYPE_IP_ADDRESS, "10.0.0.1 trailing", PMC_S_OK, "10.0.0.1"},
    {PMS_TYPE_IP_ADDRESS, " 10. 0.0.1", PMC_S_OK, "10.0.0.1"},  // white space before a number is skipped
    {PMS_TYPE_IP_ADDRESS, "10 .0.0.1", PMC_E_INVALID_ARG, "0.0.0.0"},   // but a "." must follow it directly
    {PMS_TYPE_IP_ADDRESS, "+10.0.0.1", PMC_S_OK, "10.0.0.1"},
    {PMS_TYPE_IP_ADDRESS, "-4294967295.0.0.1", PMC_E_INVALID_ARG, "0.0.0.0"},
    {PMS_TYPE_IP_ADDRESS, "10.0.0", PMC_E_INVALID_ARG, "0.0.0.0"},
    {PMS_TYPE_IP_ADDRESS, "10.0.300.1", PMC_E_INVALID_ARG, "10.0.0.0"},
    {PMS_TYPE_IP_ADDRESS, "-1.0.0.0", PMC_E_INVALID_ARG, "0.0.0.0"},
    {PMS_TYPE_IP_ADDRESS, "4294967306.0.0.1", PMC_E_INVALID_ARG, "0.0.0.0"},  // no wrap to 10
    {PMS_TYPE_IP_ADDRESS, "", PMC_E_INVALID_ARG, "0.0.0.0"},
    {PMS_TYPE_IPV6_ADDRESS, "fe80::1", PMC_E_INVALID_ARG, "0:0:0:0:0:0:0:0"},
    {PMS_TYPE_IPV6_ADDRESS, "1:2:3:4:5:6:7:8", PMC_S_OK, "1:2:3:4:5:6:7:8"},
    {PMS_TYPE_IPV6_ADDRESS, "FE80:0:0:0:02AA:FF:FE28:9C5A", PMC_S_OK, "fe80:0:0:0:2aa:ff:fe28:9c5a"},
    {PMS_TYPE_IPV6_ADDRESS, "10000:0:0:0:0:0:0:1", PMC_S_OK, "0:0:0:0:0:0:0:1"},
    {PMS_TYPE_IPV6_ADDRESS, "0x1:-1:3:4:5:6:7:8", PMC_S_OK, "1:ffff:3:4:5:6:7:8"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1/161", PMC_S_OK, "192.168.0.1/161"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1/70000", PMC_E_INVALID_ARG, "192.168.0.1/0"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1", PMC_E_INVALID_ARG, "0.0.0.0/0"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1/4294967457", PMC_E_INVALID_ARG, "192.168.0.1/0"},  // no wrap to 161
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.1/-1", PMC_E_INVALID_ARG, "192.168.0.1/0"},
    {PMS_TYPE_UDP_ADDRESS, "192.168.0.256/1", PMC_E_INVALID_ARG, "192.168.0.0/0"},
    {PMS_TYPE_IPX_ADDRESS, "0000000a:0000c0a80101/4000", PMC_S_OK, "0000000a:0000c0a80101/4000"},
    {PMS_TYPE_IPX_ADDRESS, "0000000a:0000c0a80101/10000", PMC_E_INVALID_ARG, "0000000a:0000c0a80101/0"},
    {PMS_TYPE_IPX_ADDRESS, "0000000a-0000c0a80101/1", PMC_E_INVALID_ARG, "00000000:000000000000/0"},
    {PMS_TYPE_IPX_ADDRESS, "0000000a:0000c0a8/1", PMC_E_INVALID_ARG, "00000000:000000000000/0"},
};

TEST(AddressText, ScanningRules) {
    for (const TextRow& row : kAddressTexts) {
        OwnedValue value = make_value(row.type);
        ASSERT_EQ(value->set_text("garbage"), PMC_E_INVALID_ARG);
        EXPECT_EQ(value->set_text(row.text), row.status) << row.text;
        EXPECT_EQ(text_of(*value), row.reads_back) << row.text;
    }
}

TEST(AddressText, NullTextLeavesValue) {
    for (pmc_long type : {PMS_TYPE_IP_ADDRESS, PMS_TYPE_IPV6_ADDRESS, PMS_TYPE_UDP_ADDRESS, PMS_TYPE_IPX_ADDRESS}) {
        OwnedValue value = make_value(type);
        value->set_uint(0x01020304u);
        const std::string before = text_of(*value);
        EXPECT_EQ(value->set_text(nullptr), PMC_E_INVALID_ARG);
        EXPECT_EQ(text_of(*value), before);
    }
}

TEST(UdpAddress, PortIsBigEndianInLastBytes) {
    OwnedValue value = make_value(PMS_TYPE_UDP_ADDRESS);
    ASSERT_EQ(value->set_port(161), PMC_S_OK);
    EXPECT_EQ(bytes_of(*value), (Bytes{0, 0, 0, 0, 0x00, 0xA1}));
    EXPECT_EQ(value->get_port(nullptr), 161);
    ASSERT_EQ(value->set_uint(0x7F000001u), PMC_S_OK);
    EXPECT_EQ(bytes_of(*value), (Bytes{127, 0, 0, 1, 0x00, 0xA1}));
    EXPECT_EQ(value->get_uint(nullptr), 0x7F000001u);
    EXPECT_EQ(set_bytes(*value, {1, 2, 3, 4}), PMC_E_INVALID_ARG);
}

TEST(Ipv6Address, NumbersUnsupportedBytesExact) {
    OwnedValue value = make_value(PMS_TYPE_IPV6_ADDRESS);
    pmc_long status = -99;
    EXPECT_EQ(value->get_uint(&status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(value->set_uint(1), PMC_E_NOT_SUPPORTED);
    EXPECT_EQ(set_bytes(*value, Bytes(15, 1)), PMC_E_INVALID_ARG);
    EXPECT_EQ(set_bytes(*value, Bytes(16, 0xFE)), PMC_S_OK);
    EXPECT_EQ(text_of(*value), "fefe:fefe:fefe:fefe:fefe:fefe:fefe:fefe");
}

TEST(IpxAddress, TextLayoutAndSocket) {
    OwnedValue value = make_value(PMS_TYPE_IPX_ADDRESS);
    ASSERT_EQ(set_bytes(*value, {0, 0, 0, 0x0a, 0, 0, 0xc0, 0xa8, 1, 1, 0x40, 0}), PMC_S_OK);
    const std::string text = text_of(*value);
    EXPECT_EQ(text, "0000000a:0000c0a80101/4000");
    EXPECT_EQ(text.size(), 26u);
    EXPECT_EQ(value->get_port(nullptr), 0x4000);
    OwnedValue back = make_value(PMS_TYPE_IPX_ADDRESS);
    ASSERT_EQ(back->set_text(text.c_str()), PMC_S_OK);
    EXPECT_TRUE(back->equals(value.get()));
    pmc_long status = -99;
    EXPECT_EQ(value->get_uint(&status), 0xFFFFFFFFu);
    EXPECT_EQ(status, PMC_E_NOT_SUPPORTED);
}

TEST(IpxAddress, ClearKeepsTwelveZeroBytes) {
    OwnedValue value = make_value(PMS_TYPE_IPX_ADDRESS);
    value->set_text("ffffffff:ffffffffffff/ffff");
    value->clear();
    EXPECT_EQ(value->get_length(), 12u);
    EXPECT_EQ(bytes_of(*value), Bytes(12, 0));
}

TEST(ByteKinds, CloneCopiesBytes) {
    for (pmc_long type : {PMS_TYPE_OCTET_STRING, PMS_TYPE_OPAQUE, PMS_TYPE_IP_ADDRESS, PMS_TYPE_UDP_ADDRESS}) {
        OwnedValue value = make_value(type);
        value->set_text("1.2.3.4/5");
        pmc_long status = -99;
        OwnedValue copy(value->clone(&status));
        ASSERT_EQ(status, PMC_S_OK);
        EXPECT_EQ(bytes_of(*copy), bytes_of(*value)) << type;
        EXPECT_NE(bytes_of(*copy).size(), 0u);
    }
}

}  // namespace
