// A host's view of the library: its own copy of the interface tables, in
// slot order, sharing nothing with our headers but the factories. Real
// objects are called through the copies, and the library calls back into
// objects the host implements, which proves the slot layout and the virtual
// base of the identifier interface.
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "value/value_factory.h"

namespace host {

using Long = std::int32_t;
using ULong = std::uint32_t;

class Oid;
class Value;

class ByteString {
public:
    virtual void release() = 0;
    virtual ULong get_length() const = 0;
    virtual const unsigned char* get_data() const = 0;
    virtual Long assign(const void* data, ULong length) = 0;
    virtual Long assign_text(const char* text) = 0;
    virtual Long append(const void* data, ULong length) = 0;
    virtual Long append_text(const char* text) = 0;
    virtual Long append_string(const ByteString* other) = 0;
    virtual Long clone(ByteString** out) const = 0;
    virtual bool equals(const void* data, ULong length) const = 0;
    virtual bool equals_text(const char* text) const = 0;
    virtual bool equals_string(const ByteString* other) const = 0;

protected:
    ~ByteString() = default;
};

class Visitor {
public:
    virtual Long visit_oid(Oid* value) = 0;
    virtual Long visit_octet_string(Value* value) = 0;
    virtual Long visit_integer(Value* value) = 0;
    virtual Long visit_null(Value* value) = 0;
    virtual Long visit_counter32(Value* value) = 0;
    virtual Long visit_gauge32(Value* value) = 0;
    virtual Long visit_time_ticks(Value* value) = 0;
    virtual Long visit_counter64(Value* value) = 0;
    virtual Long visit_ip_address(Value* value) = 0;
    virtual Long visit_ipv6_address(Value* value) = 0;
    virtual Long visit_udp_address(Value* value) = 0;
    virtual Long visit_ipx_address(Value* value) = 0;
    virtual Long visit_exception(Value* value) = 0;

protected:
    ~Visitor() = default;
};

class Value {
public:
    virtual Long accept(Visitor* visitor) = 0;
    virtual void release() = 0;
    virtual Value* clone(Long* status) const = 0;
    virtual Long assign(const Value* other) = 0;
    virtual void clear() = 0;
    virtual Long get_type() const = 0;
    virtual bool equals(const Value* other) const = 0;
    virtual Oid* as_oid() = 0;
    virtual void query_interface(Long id, void** out) = 0;
    virtual bool is_valid() const = 0;
    virtual Long get_int(Long* status) const = 0;
    virtual ULong get_uint(Long* status) const = 0;
    virtual ByteString* get_text_new(Long* status) const = 0;
    virtual Long get_text_into(ByteString* out) const = 0;
    virtual const unsigned char* get_bytes(ULong* length, Long* status) const = 0;
    virtual ByteString* get_bytes_new(Long* status) const = 0;
    virtual Long get_bytes_into(ByteString* out) const = 0;
    virtual unsigned short get_port(Long* status) const = 0;
    virtual ULong get_uint_high(Long* status) const = 0;
    virtual ULong get_uint_low(Long* status) const = 0;
    virtual Long set_int(Long number) = 0;
    virtual Long set_uint(ULong number) = 0;
    virtual Long set_text(const char* text) = 0;
    virtual Long set_text_from(const ByteString* text) = 0;
    virtual Long set_bytes(const unsigned char* data, ULong count) = 0;
    virtual Long set_bytes_from(const ByteString* bytes) = 0;
    virtual Long set_port(unsigned short port) = 0;
    virtual Long set_uint_high(ULong number) = 0;
    virtual Long set_uint_low(ULong number) = 0;
    virtual ULong get_length() const = 0;
    virtual ULong get_index_length(bool implied) const = 0;
    virtual ULong get_element(ULong position, Long* status) const = 0;
    virtual Long append_index(Oid* oid, bool implied) const = 0;
    virtual Long write_index(Oid* oid, bool implied) const = 0;
    virtual Long read_index(Oid* source, bool implied, ULong count) = 0;

protected:
    ~Value() = default;
};

class Oid : public virtual Value {
public:
    virtual Oid* clone_oid(Long* status) const = 0;
    virtual Long compare_text(const char* text, Long* status) const = 0;
    virtual Long compare(const Oid* other, Long* status) const = 0;
    virtual Long remove_prefix_text(const char* prefix) = 0;
    virtual Long remove_prefix(const Oid* prefix) = 0;
    virtual Long append_text(const char* text) = 0;
    virtual Long append_arc(ULong arc) = 0;
    virtual Long append_oid(const Oid* other) = 0;
    virtual Long append_text_index(const char* text, Long type, bool implied) = 0;
    virtual Long append_value_index(const Value* value, bool implied) = 0;
    virtual Oid* pop_oid(ULong count, Long* status) = 0;
    virtual Long pop_into_value(Value* value, ULong count) = 0;
    virtual ULong pop_arc(Long* status) = 0;
    virtual ByteString* pop_text_new(ULong count, Long* status) = 0;
    virtual Long pop_text_into(ByteString* out, ULong count) = 0;
    virtual Value* pop_index_new(Long type, Long* status, bool implied, ULong count) = 0;
    virtual Long pop_index_into(Value* value, bool implied, ULong count) = 0;
    virtual Long remove_arcs(ULong start, ULong count) = 0;
    virtual Value* decode_index_new(Long type, Long* status, bool implied) = 0;
    virtual Long decode_index_into(Value* value, bool implied) = 0;
    virtual Long encode_index(const Value* value, bool implied) = 0;

protected:
    ~Oid() = default;
};

// The host's own byte string, handed to the library to fill.
class HostString final : public ByteString {
public:
    std::string bytes;
    int released = 0;
    void release() override { ++released; }
    ULong get_length() const override { return static_cast<ULong>(bytes.size()); }
    const unsigned char* get_data() const override {
        return bytes.empty() ? nullptr : reinterpret_cast<const unsigned char*>(bytes.c_str());
    }
    Long assign(const void* data, ULong length) override {
        bytes.assign(static_cast<const char*>(data), length);
        return 0;
    }
    Long assign_text(const char* text) override { return assign(text, text ? static_cast<ULong>(std::strlen(text)) : 0); }
    Long append(const void* data, ULong length) override {
        bytes.append(static_cast<const char*>(data), length);
        return 0;
    }
    Long append_text(const char* text) override { return text ? append(text, static_cast<ULong>(std::strlen(text))) : 0; }
    Long append_string(const ByteString* other) override {
        return other ? append(other->get_data(), other->get_length()) : 0;
    }
    Long clone(ByteString**) const override { return -5; }
    bool equals(const void* data, ULong length) const override {
        return length == bytes.size() && (length == 0 || std::memcmp(data, bytes.data(), length) == 0);
    }
    bool equals_text(const char* text) const override { return text && bytes == text; }
    bool equals_string(const ByteString* other) const override {
        return other && equals(other->get_data(), other->get_length());
    }
};

// Records the visited operation and, for identifiers, reads the text back
// through the pointer the library passed.
class HostVisitor final : public Visitor {
public:
    std::string called;
    std::string oid_text;
    Long visit_oid(Oid* value) override {
        called = "oid";
        HostString text;
        Value* as_value = value;  // through the copy's virtual base
        as_value->get_text_into(&text);
        oid_text = text.bytes;
        return 60;
    }
    Long visit_octet_string(Value*) override { return note("octet_string", 4); }
    Long visit_integer(Value* value) override { return note("integer", value->get_int(nullptr)); }
    Long visit_null(Value*) override { return note("null", 5); }
    Long visit_counter32(Value*) override { return note("counter32", 41); }
    Long visit_gauge32(Value*) override { return note("gauge32", 42); }
    Long visit_time_ticks(Value*) override { return note("time_ticks", 43); }
    Long visit_counter64(Value*) override { return note("counter64", 46); }
    Long visit_ip_address(Value*) override { return note("ip_address", 40); }
    Long visit_ipv6_address(Value*) override { return note("ipv6_address", 48); }
    Long visit_udp_address(Value* value) override { return note("udp_address", value->get_port(nullptr)); }
    Long visit_ipx_address(Value*) override { return note("ipx_address", 3); }
    Long visit_exception(Value* value) override { return note("exception", value->get_type()); }

private:
    Long note(const char* name, Long result) {
        called = name;
        return result;
    }
};

Value* as_host(IPmsValue* value) { return reinterpret_cast<Value*>(value); }
Oid* as_host(IPmsOid* oid) { return reinterpret_cast<Oid*>(oid); }
ByteString* as_host(IPmcByteString* string) { return reinterpret_cast<ByteString*>(string); }

std::string take_text(ByteString* text) {
    std::string result(reinterpret_cast<const char*>(text->get_data()), text->get_length());
    text->release();
    return result;
}

}  // namespace host

namespace {

TEST(SlotTable, ValueThroughHostCopy) {
    host::Value* value = host::as_host(pms_create_value(PMS_TYPE_INTEGER, nullptr));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->get_type(), 2);
    EXPECT_EQ(value->set_int(-7), 0);
    host::Long status = 99;
    EXPECT_EQ(value->get_int(&status), -7);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(value->get_uint(&status), 0xFFFFFFFFu);
    EXPECT_EQ(status, -5);
    EXPECT_EQ(host::take_text(value->get_text_new(&status)), "-7");
    EXPECT_EQ(value->set_text(" 12x"), 0);
    host::HostString text;
    EXPECT_EQ(value->get_text_into(&text), 0);
    EXPECT_EQ(text.bytes, "12");
    EXPECT_EQ(value->get_length(), 1u);
    EXPECT_EQ(value->get_index_length(false), 1u);
    EXPECT_EQ(value->as_oid(), nullptr);
    void* self = nullptr;
    value->query_interface(0xFF00, &self);
    EXPECT_EQ(self, static_cast<void*>(value));

    host::Value* copy = value->clone(&status);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->equals(value));
    copy->clear();
    EXPECT_FALSE(copy->equals(value));
    EXPECT_EQ(copy->assign(value), 0);
    EXPECT_TRUE(copy->is_valid());
    copy->release();
    value->release();
}

TEST(SlotTable, AddressSlotsThroughHostCopy) {
    host::Value* udp = host::as_host(pms_create_value(PMS_TYPE_UDP_ADDRESS, nullptr));
    ASSERT_NE(udp, nullptr);
    EXPECT_EQ(udp->set_text("127.0.0.1/161"), 0);
    EXPECT_EQ(udp->get_port(nullptr), 161);
    EXPECT_EQ(udp->set_port(162), 0);
    EXPECT_EQ(udp->get_uint(nullptr), 0x7F000001u);
    host::ULong length = 0;
    const unsigned char* bytes = udp->get_bytes(&length, nullptr);
    ASSERT_EQ(length, 6u);
    EXPECT_EQ(bytes[5], 162);
    EXPECT_EQ(udp->get_element(0, nullptr), 127u);
    host::HostString raw;
    raw.bytes = std::string("\x0a\x00\x00\x01\x00\x35", 6);
    EXPECT_EQ(udp->set_bytes_from(&raw), 0);
    EXPECT_EQ(host::take_text(udp->get_bytes_new(nullptr)), raw.bytes);
    host::HostString out;
    EXPECT_EQ(udp->get_bytes_into(&out), 0);
    EXPECT_EQ(out.bytes, raw.bytes);
    host::HostString text;
    text.bytes = "10.0.0.2/53";
    EXPECT_EQ(udp->set_text_from(&text), 0);
    EXPECT_EQ(host::take_text(udp->get_text_new(nullptr)), "10.0.0.2/53");
    udp->release();

    host::Value* counter = host::as_host(pms_create_value(PMS_TYPE_COUNTER64, nullptr));
    EXPECT_EQ(counter->set_uint_high(1), 0);
    EXPECT_EQ(counter->set_uint_low(2), 0);
    EXPECT_EQ(counter->get_uint_high(nullptr), 1u);
    EXPECT_EQ(counter->get_uint_low(nullptr), 2u);
    EXPECT_EQ(counter->set_uint(9), 0);
    EXPECT_EQ(host::take_text(counter->get_text_new(nullptr)), "9");
    counter->release();
}

TEST(SlotTable, IdentifierThroughHostCopy) {
    host::Oid* oid = host::as_host(pms_create_oid(nullptr));
    ASSERT_NE(oid, nullptr);
    host::Value* value = oid;  // the virtual base, found through the host's own table
    EXPECT_EQ(value->get_type(), 6);
    EXPECT_EQ(value->as_oid(), oid);
    EXPECT_EQ(value->set_text("1.3.6"), 0);
    EXPECT_EQ(oid->append_arc(1), 0);
    EXPECT_EQ(oid->append_text("2.1"), 0);
    host::HostString text;
    EXPECT_EQ(value->get_text_into(&text), 0);
    EXPECT_EQ(text.bytes, "1.3.6.1.2.1");
    EXPECT_EQ(value->get_length(), 6u);
    host::Long status = 99;
    EXPECT_EQ(oid->compare_text("1.3.6.1", &status), 2);
    EXPECT_EQ(oid->compare_text("1.3.6.1.2.1.9", &status), 1);
    EXPECT_EQ(oid->compare_text("1.3.7", &status), 3);

    host::Oid* prefix = oid->clone_oid(&status);
    ASSERT_NE(prefix, nullptr);
    EXPECT_EQ(prefix->remove_arcs(3, 0xFFFFFFFFu), 0);
    EXPECT_EQ(oid->compare(prefix, &status), 2);
    EXPECT_EQ(oid->remove_prefix(prefix), 0);
    EXPECT_EQ(host::take_text(static_cast<host::Value*>(oid)->get_text_new(nullptr)), "1.2.1");
    EXPECT_EQ(oid->append_oid(prefix), 0);
    EXPECT_EQ(oid->pop_arc(&status), 1u);
    EXPECT_EQ(oid->remove_prefix_text("2.1"), 0);
    EXPECT_EQ(host::take_text(oid->pop_text_new(1, &status)), "1");

    void* view = nullptr;
    value->query_interface(6, &view);
    EXPECT_EQ(view, static_cast<void*>(oid));

    // Index forms, with a value and an identifier passed as host pointers.
    host::Value* address = host::as_host(pms_create_value(PMS_TYPE_IP_ADDRESS, nullptr));
    EXPECT_EQ(address->set_text("10.0.0.1"), 0);
    EXPECT_EQ(oid->encode_index(address, false), 0);
    EXPECT_EQ(host::take_text(static_cast<host::Value*>(oid)->get_text_new(nullptr)), "4.10.0.0.1");
    EXPECT_EQ(address->get_index_length(true), 4u);
    EXPECT_EQ(address->append_index(oid, true), 0);
    host::Value* decoded = oid->pop_index_new(PMS_TYPE_IP_ADDRESS, &status, false, 0xFFFFFFFFu);
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(decoded->equals(address));
    host::Value* implied = host::as_host(pms_create_value(PMS_TYPE_IP_ADDRESS, nullptr));
    EXPECT_EQ(oid->decode_index_into(implied, true), 0);
    EXPECT_TRUE(implied->equals(address));
    EXPECT_EQ(oid->pop_index_into(implied, true, 0xFFFFFFFFu), 0);
    EXPECT_EQ(static_cast<host::Value*>(oid)->get_length(), 0u);
    EXPECT_EQ(oid->append_value_index(address, true), 0);
    EXPECT_EQ(oid->append_text_index("ab", PMS_TYPE_OCTET_STRING, false), 0);
    host::Oid* front = oid->pop_oid(4, &status);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(host::take_text(static_cast<host::Value*>(front)->get_text_new(nullptr)), "10.0.0.1");
    host::Value* text_value = host::as_host(pms_create_value(PMS_TYPE_OCTET_STRING, nullptr));
    host::Value* peeked = oid->decode_index_new(PMS_TYPE_OCTET_STRING, &status, false);
    ASSERT_NE(peeked, nullptr);
    EXPECT_EQ(host::take_text(peeked->get_text_new(nullptr)), "ab");
    peeked->release();
    EXPECT_EQ(oid->pop_into_value(text_value, 1), 0);
    EXPECT_EQ(host::take_text(text_value->get_text_new(nullptr)), "2");
    host::HostString popped;
    EXPECT_EQ(oid->pop_text_into(&popped, 2), 0);
    EXPECT_EQ(popped.bytes, "97.98");
    EXPECT_EQ(address->write_index(oid, false), 0);
    EXPECT_EQ(address->read_index(oid, false, 0), 0);
    EXPECT_EQ(static_cast<host::Value*>(oid)->get_element(0, nullptr), 4u);

    text_value->release();
    static_cast<host::Value*>(front)->release();
    implied->release();
    decoded->release();
    address->release();
    static_cast<host::Value*>(prefix)->release();
    value->release();
}

TEST(SlotTable, LibraryCallsHostVisitor) {
    struct Row {
        host::Long type;
        const char* name;
        host::Long result;  // what the host's operation returned, passed back by accept
    };
    const Row rows[] = {
        {PMS_TYPE_INTEGER, "integer", 77},          {PMS_TYPE_OCTET_STRING, "octet_string", 4},
        {PMS_TYPE_NULL, "null", 5},                 {PMS_TYPE_IP_ADDRESS, "ip_address", 40},
        {PMS_TYPE_COUNTER32, "counter32", 41},      {PMS_TYPE_GAUGE32, "gauge32", 42},
        {PMS_TYPE_TIME_TICKS, "time_ticks", 43},    {PMS_TYPE_OPAQUE, "octet_string", 4},
        {PMS_TYPE_COUNTER64, "counter64", 46},      {PMS_TYPE_IPV6_ADDRESS, "ipv6_address", 48},
        {PMS_TYPE_NO_SUCH_INSTANCE, "exception", 0x81}, {PMS_TYPE_UDP_ADDRESS, "udp_address", 1161},
        {PMS_TYPE_IPX_ADDRESS, "ipx_address", 3},
    };
    for (const Row& row : rows) {
        host::Value* value = host::as_host(pms_create_value(row.type, nullptr));
        ASSERT_NE(value, nullptr);
        value->set_int(77);     // only INTEGER takes it
        value->set_port(1161);  // only the transport addresses take it
        host::HostVisitor visitor;
        EXPECT_EQ(value->accept(&visitor), row.result) << row.name;
        EXPECT_EQ(visitor.called, row.name);
        value->release();
    }
    host::Oid* oid = host::as_host(pms_create_oid_from_text("1.3.6.1.2.1.1.5.0", nullptr));
    ASSERT_NE(oid, nullptr);
    host::HostVisitor visitor;
    EXPECT_EQ(static_cast<host::Value*>(oid)->accept(&visitor), 60);
    EXPECT_EQ(visitor.called, "oid");
    EXPECT_EQ(visitor.oid_text, "1.3.6.1.2.1.1.5.0");
    static_cast<host::Value*>(oid)->release();
}

TEST(SlotTable, ByteStringThroughHostCopy) {
    host::ByteString* text = host::as_host(pmc_create_byte_string(nullptr));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->get_data(), nullptr);
    EXPECT_EQ(text->assign("ab", 2), 0);
    EXPECT_EQ(text->append_text("c"), 0);
    EXPECT_EQ(text->append("de", 2), 0);
    host::HostString tail;
    tail.bytes = "f";
    EXPECT_EQ(text->append_string(&tail), 0);
    EXPECT_EQ(text->get_length(), 6u);
    EXPECT_TRUE(text->equals_text("abcdef"));
    EXPECT_TRUE(text->equals("abcdef", 6));
    host::ByteString* copy = nullptr;
    EXPECT_EQ(text->clone(&copy), 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->equals_string(text));
    EXPECT_EQ(copy->assign_text("z"), 0);
    EXPECT_FALSE(copy->equals_string(text));
    copy->release();
    text->release();
}

}  // namespace
