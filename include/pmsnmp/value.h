/// \file
/// Typed SNMP values, object identifiers and the counted byte string.
/// Included through <pmsnmp/pmsnmp.h>.
///
/// Interfaces declare their operations in a fixed slot order that hosts rely
/// on; none has a virtual destructor (it would shift the slots). Objects end
/// through their own release().
#ifndef PMSNMP_VALUE_H
#define PMSNMP_VALUE_H

#include <pmsnmp/types.h>

class IPmsOid;
class IPmsValue;

/// Owned, counted byte string; the data is always followed by a 0 byte, so a
/// text can be read as a C string. May hold any bytes, zeros included.
class IPmcByteString {
public:
    /// Destroys the string and its bytes.
    virtual void release() = 0;
    /// The number of bytes, without the trailing 0 byte.
    virtual pmc_ulong get_length() const = 0;
    /// The bytes, or null while the length is 0. Lent.
    virtual const unsigned char* get_data() const = 0;
    /// Replaces the content with a copy of length bytes (0 empties it).
    /// PMC_S_OK, or PMC_E_NO_MEMORY keeping the old content.
    virtual pmc_long assign(const void* data, pmc_ulong length) = 0;
    /// assign() with a C string; null or "" empties the string.
    virtual pmc_long assign_text(const char* text) = 0;
    /// Appends a copy of length bytes. PMC_S_OK, or PMC_E_NO_MEMORY keeping the old content.
    virtual pmc_long append(const void* data, pmc_ulong length) = 0;
    /// append() with a C string; null appends nothing.
    virtual pmc_long append_text(const char* text) = 0;
    /// append() with another string's bytes (lent; null appends nothing).
    virtual pmc_long append_string(const IPmcByteString* other) = 0;
    /// A new string with the same bytes in *out (the caller releases it).
    /// PMC_S_OK; PMC_E_INVALID_ARG for a null out; PMC_E_NO_MEMORY with *out null.
    virtual pmc_long clone(IPmcByteString** out) const = 0;
    /// True when the string holds exactly these length bytes.
    virtual bool equals(const void* data, pmc_ulong length) const = 0;
    /// equals() with a C string; false for null.
    virtual bool equals_text(const char* text) const = 0;
    /// equals() with another string's bytes; false for null.
    virtual bool equals_string(const IPmcByteString* other) const = 0;

protected:
    ~IPmcByteString() = default;
};

/// Double dispatch over the value kinds; each operation's status is passed
/// back by the value's accept(). Where two kinds share an operation, the
/// visitor reads the type code from the value.
class IPmsValueVisitor {
public:
    /// Called by an OBJECT IDENTIFIER with its identifier view.
    virtual pmc_long visit_oid(IPmsOid* value) = 0;
    /// Called by an OCTET STRING and by an Opaque.
    virtual pmc_long visit_octet_string(IPmsValue* value) = 0;
    /// Called by an INTEGER.
    virtual pmc_long visit_integer(IPmsValue* value) = 0;
    /// Called by a NULL.
    virtual pmc_long visit_null(IPmsValue* value) = 0;
    /// Called by a Counter32.
    virtual pmc_long visit_counter32(IPmsValue* value) = 0;
    /// Called by a Gauge32.
    virtual pmc_long visit_gauge32(IPmsValue* value) = 0;
    /// Called by a TimeTicks.
    virtual pmc_long visit_time_ticks(IPmsValue* value) = 0;
    /// Called by a Counter64.
    virtual pmc_long visit_counter64(IPmsValue* value) = 0;
    /// Called by an IpAddress.
    virtual pmc_long visit_ip_address(IPmsValue* value) = 0;
    /// Called by an IPv6 address.
    virtual pmc_long visit_ipv6_address(IPmsValue* value) = 0;
    /// Called by a UDP (IPv4 and port) address.
    virtual pmc_long visit_udp_address(IPmsValue* value) = 0;
    /// Called by an IPX address.
    virtual pmc_long visit_ipx_address(IPmsValue* value) = 0;
    /// Called by noSuchObject, noSuchInstance and endOfMibView.
    virtual pmc_long visit_exception(IPmsValue* value) = 0;

protected:
    ~IPmsValueVisitor() = default;
};

/// A typed SNMP value. Every kind answers every operation; one that makes no
/// sense for the kind returns PMC_E_NOT_SUPPORTED (getters: through the optional status, with a
/// sentinel result: -1, 0xFFFFFFFF, 0xFFFF or null).
class IPmsValue {
public:
    /// Calls the visitor's operation for this kind with this value and
    /// returns its status.
    virtual pmc_long accept(IPmsValueVisitor* visitor) = 0;
    /// Destroys the value.
    virtual void release() = 0;
    /// A deep copy the caller releases; null and the status on failure.
    virtual IPmsValue* clone(pmc_long* status) const = 0;
    /// Copies other's content; PMC_E_INVALID_ARG when other is null or of another type.
    virtual pmc_long assign(const IPmsValue* other) = 0;
    /// Back to the content at creation (0, empty, all bytes zero).
    virtual void clear() = 0;
    /// The type code (PMS_TYPE_...).
    virtual pmc_long get_type() const = 0;
    /// Same type code and content; false for null.
    virtual bool equals(const IPmsValue* other) const = 0;
    /// The identifier view of an OBJECT IDENTIFIER, null for other kinds.
    virtual IPmsOid* as_oid() = 0;
    /// The implementation that answers interface identifier id into *out
    /// (lent), or null; a null out does nothing.
    virtual void query_interface(pmc_long id, void** out) = 0;
    /// False only for an identifier whose text is not dotted decimal.
    virtual bool is_valid() const = 0;
    /// An INTEGER's number; other kinds give -1 and status PMC_E_NOT_SUPPORTED.
    virtual pmc_long get_int(pmc_long* status) const = 0;
    /// The number of a Counter32, Gauge32 or TimeTicks, the low half of a
    /// Counter64, an IpAddress as a big-endian number, an identifier's first
    /// arc; other kinds give 0xFFFFFFFF and status PMC_E_NOT_SUPPORTED.
    virtual pmc_ulong get_uint(pmc_long* status) const = 0;
    /// The text form in a new string the caller releases (returned even when
    /// filling it failed; the status tells). Null and PMC_E_NO_MEMORY without memory.
    virtual IPmcByteString* get_text_new(pmc_long* status) const = 0;
    /// The text form into out (lent). PMC_E_INVALID_ARG for null; PMC_E_NOT_SUPPORTED for kinds without a
    /// text form (NULL, the exceptions).
    virtual pmc_long get_text_into(IPmcByteString* out) const = 0;
    /// The content bytes, lent; their count through length (PMC_E_INVALID_ARG when null).
    /// PMC_E_NOT_SUPPORTED for kinds without bytes.
    virtual const unsigned char* get_bytes(pmc_ulong* length, pmc_long* status) const = 0;
    /// get_bytes() copied into a new string the caller releases; as
    /// get_text_new() otherwise.
    virtual IPmcByteString* get_bytes_new(pmc_long* status) const = 0;
    /// get_bytes() copied into out (lent). PMC_E_INVALID_ARG for null; get_bytes()'s
    /// status; PMC_E_NO_MEMORY.
    virtual pmc_long get_bytes_into(IPmcByteString* out) const = 0;
    /// The port of a UDP address or the socket of an IPX address; other
    /// kinds give 0xFFFF and status PMC_E_NOT_SUPPORTED.
    virtual unsigned short get_port(pmc_long* status) const = 0;
    /// The high half of a Counter64; other kinds give 0xFFFFFFFF and PMC_E_NOT_SUPPORTED.
    virtual pmc_ulong get_uint_high(pmc_long* status) const = 0;
    /// The low half of a Counter64; other kinds give 0xFFFFFFFF and PMC_E_NOT_SUPPORTED.
    virtual pmc_ulong get_uint_low(pmc_long* status) const = 0;
    /// Stores an INTEGER's number; PMC_S_OK, or PMC_E_NOT_SUPPORTED for other kinds.
    virtual pmc_long set_int(pmc_long number) = 0;
    /// The counterpart of get_uint() (a Counter64 gets a high half of 0);
    /// PMC_S_OK, or PMC_E_NOT_SUPPORTED.
    virtual pmc_long set_uint(pmc_ulong number) = 0;
    /// Parses the text form. PMC_S_OK; PMC_E_INVALID_ARG for a text the kind cannot read; PMC_E_NOT_SUPPORTED for
    /// kinds without a text form.
    virtual pmc_long set_text(const char* text) = 0;
    /// set_text() with a string's bytes (lent); PMC_E_INVALID_ARG for null.
    virtual pmc_long set_text_from(const IPmcByteString* text) = 0;
    /// Stores count bytes (copied). PMC_S_OK; PMC_E_INVALID_ARG when a fixed-size kind gets
    /// another count; PMC_E_NO_MEMORY; PMC_E_NOT_SUPPORTED for kinds without bytes.
    virtual pmc_long set_bytes(const unsigned char* data, pmc_ulong count) = 0;
    /// set_bytes() with a string's bytes (lent); PMC_E_INVALID_ARG for null.
    virtual pmc_long set_bytes_from(const IPmcByteString* bytes) = 0;
    /// The counterpart of get_port(); PMC_S_OK, or PMC_E_NOT_SUPPORTED.
    virtual pmc_long set_port(unsigned short port) = 0;
    /// Stores a Counter64's high half; PMC_S_OK, or PMC_E_NOT_SUPPORTED.
    virtual pmc_long set_uint_high(pmc_ulong number) = 0;
    /// Stores a Counter64's low half; PMC_S_OK, or PMC_E_NOT_SUPPORTED.
    virtual pmc_long set_uint_low(pmc_ulong number) = 0;
    /// Bytes of a byte kind, arcs of an identifier, 1 for a number, 0 for
    /// NULL and the exceptions.
    virtual pmc_ulong get_length() const = 0;
    /// The number of arcs of the table-index form, with its length arc
    /// unless implied.
    virtual pmc_ulong get_index_length(bool implied) const = 0;
    /// Byte or arc position (from 0). Past the end: 0xFFFFFFFF and status
    /// PMC_E_INVALID_ARG (bytes) or PMC_E_OUT_OF_RANGE (arcs); PMC_E_EMPTY_OID on the empty identifier; PMC_E_NOT_SUPPORTED for other
    /// kinds.
    virtual pmc_ulong get_element(pmc_ulong position, pmc_long* status) const = 0;
    /// Appends the table-index form to oid (lent). PMC_S_OK; PMC_E_INVALID_ARG for null; PMC_E_NOT_SUPPORTED for
    /// NULL, the exceptions and Counter64.
    virtual pmc_long append_index(IPmsOid* oid, bool implied) const = 0;
    /// As append_index() after clearing oid.
    virtual pmc_long write_index(IPmsOid* oid, bool implied) const = 0;
    /// Reads this value from the front arcs of source (lent; count limits an
    /// implied byte or identifier form, 0xFFFFFFFF for all). PMC_S_OK; PMC_E_INVALID_ARG for null;
    /// PMC_E_BAD_INDEX for arcs that do not form this kind; PMC_E_NOT_SUPPORTED as for append_index().
    /// The value is cleared first, also when reading fails.
    virtual pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) = 0;

protected:
    ~IPmsValue() = default;
};

// Relation codes of IPmsOid::compare and compare_text.
constexpr pmc_long PMS_OID_EQUAL = 0;         ///< equal texts
constexpr pmc_long PMS_OID_ABOVE = 1;         ///< this is a proper prefix of the other
constexpr pmc_long PMS_OID_BELOW = 2;         ///< the other is a proper prefix of this
constexpr pmc_long PMS_OID_BEFORE = 3;        ///< this sorts before the other (text order)
constexpr pmc_long PMS_OID_AFTER = 4;         ///< this sorts after the other (text order)
constexpr pmc_long PMS_OID_NO_RELATION = -1;  ///< no comparison: a null argument

/// An object identifier, kept as dotted decimal text. Reach it from a value
/// with as_oid(); convert, never cast, between the two views.
///
/// Arguments are lent. Operations that fail leave the identifier as it was.
class IPmsOid : public virtual IPmsValue {
public:
    /// A new identifier with the same text (the caller releases it); null
    /// and status PMC_E_NO_MEMORY without memory.
    virtual IPmsOid* clone_oid(pmc_long* status) const = 0;
    /// The relation (PMS_OID_...) of this identifier to the dotted text;
    /// PMS_OID_NO_RELATION and status PMC_E_INVALID_ARG for null.
    virtual pmc_long compare_text(const char* text, pmc_long* status) const = 0;
    /// compare_text() with other's text.
    virtual pmc_long compare(const IPmsOid* other, pmc_long* status) const = 0;
    /// Removes the leading arcs equal to prefix ("1.3.6.1" on "1.3.6.1.2.1"
    /// leaves "2.1"). PMC_S_OK; PMC_E_INVALID_ARG for null or a text that is not a prefix.
    virtual pmc_long remove_prefix_text(const char* prefix) = 0;
    /// remove_prefix_text() with prefix's text.
    virtual pmc_long remove_prefix(const IPmsOid* prefix) = 0;
    /// Appends "." and the text (not checked); null or "" appends nothing. 0.
    virtual pmc_long append_text(const char* text) = 0;
    /// Appends one arc. 0.
    virtual pmc_long append_arc(pmc_ulong arc) = 0;
    /// Appends other's arcs. PMC_S_OK; PMC_E_INVALID_ARG for null.
    virtual pmc_long append_oid(const IPmsOid* other) = 0;
    /// Appends the table-index form of a value of the type read from text.
    /// PMC_S_OK; PMC_E_INVALID_ARG for a null text; the value's parse or index status.
    virtual pmc_long append_text_index(const char* text, pmc_long type, bool implied) = 0;
    /// Appends value's table-index form. PMC_S_OK; PMC_E_INVALID_ARG for null; the value's status
    /// (PMC_E_NOT_SUPPORTED for kinds without an index form).
    virtual pmc_long append_value_index(const IPmsValue* value, bool implied) = 0;
    /// Takes the first count arcs off into a new identifier (the caller
    /// releases it); null and the status on failure.
    virtual IPmsOid* pop_oid(pmc_ulong count, pmc_long* status) = 0;
    /// Takes the first count arcs off into value's set_text(). PMC_S_OK; PMC_E_INVALID_ARG for
    /// null; value's status, nothing removed.
    virtual pmc_long pop_into_value(IPmsValue* value, pmc_ulong count) = 0;
    /// Takes the first arc off and returns it; 0xFFFFFFFF and get_element()'s
    /// status on the empty identifier.
    virtual pmc_ulong pop_arc(pmc_long* status) = 0;
    /// Takes the first count arcs off as text in a new string (the caller
    /// releases it); null and the status on failure.
    virtual IPmcByteString* pop_text_new(pmc_ulong count, pmc_long* status) = 0;
    /// Takes the first count arcs off as text into out. PMC_S_OK; PMC_E_INVALID_ARG for null; PMC_E_NO_MEMORY.
    virtual pmc_long pop_text_into(IPmcByteString* out, pmc_ulong count) = 0;
    /// Reads a new value of type from the front arcs as pop_index_into()
    /// does (the caller releases it); null and the status on failure.
    virtual IPmsValue* pop_index_new(pmc_long type, pmc_long* status, bool implied, pmc_ulong count) = 0;
    /// Reads value (read_index()) from the front arcs and removes the arcs
    /// it used, so that successive pops read successive index values. 0;
    /// PMC_E_INVALID_ARG for null; value's status, nothing removed.
    virtual pmc_long pop_index_into(IPmsValue* value, bool implied, pmc_ulong count) = 0;
    /// Removes count arcs from position start (0xFFFFFFFF: to the end). 0;
    /// PMC_E_INVALID_ARG on the empty identifier or a start past the arcs.
    virtual pmc_long remove_arcs(pmc_ulong start, pmc_ulong count) = 0;
    /// As pop_index_new() with all arcs, leaving this identifier unchanged.
    virtual IPmsValue* decode_index_new(pmc_long type, pmc_long* status, bool implied) = 0;
    /// value's read_index() of all arcs; this identifier stays. PMC_S_OK; PMC_E_INVALID_ARG for
    /// null; value's status.
    virtual pmc_long decode_index_into(IPmsValue* value, bool implied) = 0;
    /// This identifier becomes value's table-index form. PMC_S_OK; PMC_E_INVALID_ARG for null;
    /// value's status.
    virtual pmc_long encode_index(const IPmsValue* value, bool implied) = 0;

protected:
    ~IPmsOid() = default;
};

#endif
