// Typed SNMP values, object identifiers and the counted byte string.
// Included through <pmsnmp/pmsnmp.h>.
//
// Interfaces declare their operations in a fixed slot order that hosts rely
// on; none has a virtual destructor (it would shift the slots). Objects end
// through their own release().
#ifndef PMSNMP_VALUE_H
#define PMSNMP_VALUE_H

#include <pmsnmp/types.h>

class IPmsOid;
class IPmsValue;

// Owned, counted byte string; the data is always followed by a 0 byte, so a
// text can be read as a C string. May hold any bytes, zeros included.
class IPmcByteString {
public:
    virtual void release() = 0;
    virtual pmc_ulong get_length() const = 0;
    // The bytes, or null while the length is 0. Lent.
    virtual const unsigned char* get_data() const = 0;
    // Replaces the content; -3 keeps the old content.
    virtual pmc_long assign(const void* data, pmc_ulong length) = 0;
    virtual pmc_long assign_text(const char* text) = 0;
    virtual pmc_long append(const void* data, pmc_ulong length) = 0;
    virtual pmc_long append_text(const char* text) = 0;
    virtual pmc_long append_string(const IPmcByteString* other) = 0;
    // A new string with the same bytes in *out (the caller releases it).
    virtual pmc_long clone(IPmcByteString** out) const = 0;
    virtual bool equals(const void* data, pmc_ulong length) const = 0;
    virtual bool equals_text(const char* text) const = 0;
    virtual bool equals_string(const IPmcByteString* other) const = 0;

protected:
    ~IPmcByteString() = default;
};

// Double dispatch over the value kinds; each operation's status is passed
// back by the value's accept(). Where two kinds share an operation, the
// visitor reads the type code from the value.
class IPmsValueVisitor {
public:
    virtual pmc_long visit_oid(IPmsOid* value) = 0;
    virtual pmc_long visit_octet_string(IPmsValue* value) = 0;  // OCTET STRING and Opaque
    virtual pmc_long visit_integer(IPmsValue* value) = 0;
    virtual pmc_long visit_null(IPmsValue* value) = 0;
    virtual pmc_long visit_counter32(IPmsValue* value) = 0;
    virtual pmc_long visit_gauge32(IPmsValue* value) = 0;
    virtual pmc_long visit_time_ticks(IPmsValue* value) = 0;
    virtual pmc_long visit_counter64(IPmsValue* value) = 0;
    virtual pmc_long visit_ip_address(IPmsValue* value) = 0;
    virtual pmc_long visit_ipv6_address(IPmsValue* value) = 0;
    virtual pmc_long visit_udp_address(IPmsValue* value) = 0;
    virtual pmc_long visit_ipx_address(IPmsValue* value) = 0;
    virtual pmc_long visit_exception(IPmsValue* value) = 0;

protected:
    ~IPmsValueVisitor() = default;
};

// A typed SNMP value. Every kind answers every operation; one that makes no
// sense for the kind returns -5 (getters: through the optional status, with a
// sentinel result: -1, 0xFFFFFFFF, 0xFFFF or null).
class IPmsValue {
public:
    virtual pmc_long accept(IPmsValueVisitor* visitor) = 0;
    virtual void release() = 0;
    // A deep copy the caller releases; null and the status on failure.
    virtual IPmsValue* clone(pmc_long* status) const = 0;
    // Copies other's content; -2 when other is null or of another type.
    virtual pmc_long assign(const IPmsValue* other) = 0;
    virtual void clear() = 0;
    virtual pmc_long get_type() const = 0;
    virtual bool equals(const IPmsValue* other) const = 0;
    // The identifier view of an OBJECT IDENTIFIER, null for other kinds.
    virtual IPmsOid* as_oid() = 0;
    virtual void query_interface(pmc_long id, void** out) = 0;
    virtual bool is_valid() const = 0;
    virtual pmc_long get_int(pmc_long* status) const = 0;
    virtual pmc_ulong get_uint(pmc_long* status) const = 0;
    // The text form in a new string the caller releases (returned even when
    // filling it failed; the status tells).
    virtual IPmcByteString* get_text_new(pmc_long* status) const = 0;
    virtual pmc_long get_text_into(IPmcByteString* out) const = 0;
    // The content bytes, lent; their count through length.
    virtual const unsigned char* get_bytes(pmc_ulong* length, pmc_long* status) const = 0;
    virtual IPmcByteString* get_bytes_new(pmc_long* status) const = 0;
    virtual pmc_long get_bytes_into(IPmcByteString* out) const = 0;
    virtual unsigned short get_port(pmc_long* status) const = 0;
    virtual pmc_ulong get_uint_high(pmc_long* status) const = 0;
    virtual pmc_ulong get_uint_low(pmc_long* status) const = 0;
    virtual pmc_long set_int(pmc_long number) = 0;
    virtual pmc_long set_uint(pmc_ulong number) = 0;
    virtual pmc_long set_text(const char* text) = 0;
    virtual pmc_long set_text_from(const IPmcByteString* text) = 0;
    virtual pmc_long set_bytes(const unsigned char* data, pmc_ulong count) = 0;
    virtual pmc_long set_bytes_from(const IPmcByteString* bytes) = 0;
    virtual pmc_long set_port(unsigned short port) = 0;
    virtual pmc_long set_uint_high(pmc_ulong number) = 0;
    virtual pmc_long set_uint_low(pmc_ulong number) = 0;
    virtual pmc_ulong get_length() const = 0;
    // Table-index form: the number of arcs, appending, writing and reading it.
    virtual pmc_ulong get_index_length(bool implied) const = 0;
    virtual pmc_ulong get_element(pmc_ulong position, pmc_long* status) const = 0;
    virtual pmc_long append_index(IPmsOid* oid, bool implied) const = 0;
    virtual pmc_long write_index(IPmsOid* oid, bool implied) const = 0;
    virtual pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) = 0;

protected:
    ~IPmsValue() = default;
};

// Relation codes of IPmsOid::compare and compare_text.
constexpr pmc_long PMS_OID_EQUAL = 0;
constexpr pmc_long PMS_OID_ABOVE = 1;    // this is a proper prefix of the other
constexpr pmc_long PMS_OID_BELOW = 2;    // the other is a proper prefix of this
constexpr pmc_long PMS_OID_BEFORE = 3;   // this sorts before the other (text order)
constexpr pmc_long PMS_OID_AFTER = 4;
constexpr pmc_long PMS_OID_NO_RELATION = -1;

// An object identifier, kept as dotted decimal text. Reach it from a value
// with as_oid(); convert, never cast, between the two views.
class IPmsOid : public virtual IPmsValue {
public:
    virtual IPmsOid* clone_oid(pmc_long* status) const = 0;
    virtual pmc_long compare_text(const char* text, pmc_long* status) const = 0;
    virtual pmc_long compare(const IPmsOid* other, pmc_long* status) const = 0;
    virtual pmc_long remove_prefix_text(const char* prefix) = 0;
    virtual pmc_long remove_prefix(const IPmsOid* prefix) = 0;
    virtual pmc_long append_text(const char* text) = 0;
    virtual pmc_long append_arc(pmc_ulong arc) = 0;
    virtual pmc_long append_oid(const IPmsOid* other) = 0;
    virtual pmc_long append_text_index(const char* text, pmc_long type, bool implied) = 0;
    virtual pmc_long append_value_index(const IPmsValue* value, bool implied) = 0;
    virtual IPmsOid* pop_oid(pmc_ulong count, pmc_long* status) = 0;
    virtual pmc_long pop_into_value(IPmsValue* value, pmc_ulong count) = 0;
    virtual pmc_ulong pop_arc(pmc_long* status) = 0;
    virtual IPmcByteString* pop_text_new(pmc_ulong count, pmc_long* status) = 0;
    virtual pmc_long pop_text_into(IPmcByteString* out, pmc_ulong count) = 0;
    virtual IPmsValue* pop_index_new(pmc_long type, pmc_long* status, bool implied, pmc_ulong count) = 0;
    virtual pmc_long pop_index_into(IPmsValue* value, bool implied, pmc_ulong count) = 0;
    virtual pmc_long remove_arcs(pmc_ulong start, pmc_ulong count) = 0;
    virtual IPmsValue* decode_index_new(pmc_long type, pmc_long* status, bool implied) = 0;
    virtual pmc_long decode_index_into(IPmsValue* value, bool implied) = 0;
    virtual pmc_long encode_index(const IPmsValue* value, bool implied) = 0;

protected:
    ~IPmsOid() = default;
};

#endif
