/// \file
/// The get-data facade. Included through <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_GET_DATA_H
#define PMSNMP_GET_DATA_H

#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>

/// The get-data facade: one object per agent, made by pmc_create_get_data().
///
/// Calling order: pmc_create_get_data; optionally set_community; open; any
/// number of add_get_variable / add_set_variable; then set, get_integer,
/// get_integer_array, get_string or walk, as often as needed; release.
/// Every operation runs synchronously on the caller's thread. One object is
/// used by one thread at a time; different objects may run in parallel.
///
/// The object keeps one request PDU. Each read takes the bindings it reads
/// out of that PDU, so a later read asks again for the bindings that are left.
///
/// Answers: each exchange reads whole datagrams (up to 65,535 octets) and
/// waits with poll, so the socket may have any descriptor number. An answer
/// that cannot be decoded is discarded and the wait goes on; that includes
/// one the system cut short and one whose integers do not fit their kind
/// (INTEGER and the request id, error status and index: -2^31 .. 2^31 - 1;
/// Counter32, Gauge32, TimeTicks: 0 .. 2^32 - 1; Counter64: 0 .. 2^64 - 1;
/// leading padding octets that leave the value as it is are accepted,
/// nothing is cut to fit). Each such refusal writes one Error line on the
/// "snmp" trace session. A try that takes no answer ends in PMC_E_TIMEOUT; one whose
/// only answers to the request were malformed ends in PMC_E_DECODE.
///
/// Names and answers mean what they say:
/// - An arc is an unsigned 32-bit number: a text with a larger one
///   (1.3.6.1.4.1.4294967296) is refused with PMC_E_INVALID_ARG, never sent as another name.
/// - An IPv4 text is dotted decimal: 192.168.000.010 is 192.168.0.10, and
///   1.2.3 or 127.1 is no IPv4 address.
/// - An answer never changes what the next request sends: one in another SNMP
///   version than the request's is ignored like a stray datagram, and the
///   community stays the one open took.
/// - An answer whose value breaks its type's rule (an IpAddress of 5 octets)
///   is malformed and ignored; when no good answer follows, the operation
///   returns PMC_E_DECODE instead of the time-out PMC_E_TIMEOUT.
/// - An SNMPv1 agent that lacks an object answers noSuchName; the reads still
///   return PMC_S_OK (get_integer with -1, get_string with an empty text), and
///   get_error_status tells such an answer from a value.
class IPmcGetData {
public:
    /// Destroys the object and everything it owns.
    virtual void release() = 0;

    /// Copies the community used by the next open (default "vexmor"). A text
    /// longer than 255 characters, or null, is refused and the current
    /// community stays. A change after open does not affect that open.
    virtual void set_community(const char* community) = 0;

    /// Prepares requests to the agent at address (text of address_kind, port
    /// = the agent's port). version 2 (SNMPv3) uses the security arguments;
    /// any other version sends community requests as SNMPv1. A
    /// max_message_size of 0 or above the limit of the address kind (1400
    /// for IPv4/IPv6, 546 otherwise) is set to that limit.
    /// Returns PMC_S_OK; PMC_E_INVALID_ARG for a null address, a timeout_ms of 0 or less (a request
    /// could not wait for its answer), negative retries or an SNMPv3 security
    /// name longer than 32 characters (never cut); or the failing
    /// factory's status. A second open replaces the agent and drops the
    /// bindings added so far; a failed open leaves the object as it was.
    virtual pmc_long open(const char* address, pmc_long address_kind, unsigned short port,
                          pmc_long version, const char* security_name, pmc_long security_level,
                          pmc_long auth_protocol, pmc_long priv_protocol,
                          const char* auth_pass_phrase, const char* priv_pass_phrase,
                          const char* context_name, pmc_long timeout_ms, pmc_long retries,
                          pmc_ulong max_message_size) = 0;

    /// Adds the dotted identifier oid (with the arc 0 appended when scalar)
    /// to the request, without a value. PMC_E_INVALID_ARG: invalid text (an arc above
    /// 4294967295 included), or not opened.
    virtual pmc_long add_get_variable(const char* oid, bool scalar) = 0;

    /// Adds oid.instance with the INTEGER value (a null or empty instance adds
    /// nothing to oid). PMC_E_INVALID_ARG: invalid text or instance, or not opened.
    virtual pmc_long add_set_variable(const char* oid, const char* instance, pmc_long value) = 0;

    /// Sends the request as a SetRequest. 0, also when the agent answers with
    /// another error such as readOnly; PMC_E_NO_VALUE when it answers noSuchName or
    /// noAccess; PMC_E_INVALID_ARG when not opened; otherwise the exchange's status.
    virtual pmc_long set() = 0;

    /// Walks the subtree root_oid with GetNextRequests, starting from the
    /// bindings already in the request (normally root_oid itself, added with
    /// add_get_variable (root_oid, false)). Each response whose first
    /// identifier lies under root_oid is cloned into responses (the list owns
    /// it). The walk ends:
    ///   PMC_S_OK — at the first answer outside the subtree (not added), at the end
    ///        of the agent's view (noSuchName, or an endOfMibView value; not
    ///        added);
    ///   PMC_E_FAIL — when the agent answers another error status, or an identifier
    ///        that does not come after the one requested in SNMP order (it
    ///        would loop forever; the answer is not added); also when the
    ///        walk would add more than 1,000,000 responses, or responses
    ///        holding more than 64 MiB (counted as 4 octets per arc of a
    ///        name or identifier value, 8 per number and the bytes of a
    ///        string), to the list: an agent whose subtree never ends (the
    ///        answer that would pass the bound is not added);
    ///   PMC_E_NO_VALUE — when the request has no binding;
    ///   PMC_E_INVALID_ARG — null responses, invalid root_oid, or not opened;
    ///   else the exchange's status. Responses added before an end stay.
    /// Afterwards the request holds the last answer; open again to start a
    /// fresh request.
    virtual pmc_long walk(IPmcPtrList<IPmsPdu>* responses, const char* root_oid) = 0;

    /// Sends a GetRequest and copies the first answer's text form with its
    /// NUL terminator into buffer, which must hold the whole text plus one
    /// byte (an OCTET STRING may take up to 65535 + 1; prefer get_string_n).
    /// An empty text writes just the terminator. PMC_E_NO_VALUE: no binding left; PMC_E_INVALID_ARG:
    /// null buffer or not opened; otherwise the exchange's status.
    virtual pmc_long get_string(char* buffer) = 0;

    /// Sends one GetRequest and reads the first count answers as integers
    /// into values (-1 for a value of a kind without an integer form). PMC_E_NO_VALUE
    /// when fewer bindings came back (the earlier elements stay written); a
    /// count of 0 or less sends the request and reads nothing. PMC_E_INVALID_ARG: values
    /// null with count > 0, or not opened.
    virtual pmc_long get_integer_array(pmc_long* values, pmc_long count) = 0;

    /// Sends a GetRequest and reads the first answer as an integer into
    /// *value (-1 for a kind without an integer form, such as OCTET STRING).
    /// PMC_E_NO_VALUE: no binding left; PMC_E_INVALID_ARG: null value or not opened.
    virtual pmc_long get_integer(pmc_long* value) = 0;

    /// The address kind (0 none, 1 IPv4, 2 IPX, 4 IPv6) of an address text
    /// into *kind; needs no open. PMC_E_INVALID_ARG for a null argument; a text of no known
    /// kind gives a negative status.
    virtual pmc_long get_address_kind(const char* address, pmc_long* kind) = 0;

    /// get_string with the size of buffer in bytes. When the text and its
    /// terminator do not fit, returns PMC_E_INVALID_ARG, writes an empty text (size > 0) and
    /// leaves the binding in the request, so a larger buffer can read it.
    virtual pmc_long get_string_n(char* buffer, pmc_ulong size) = 0;

    /// What the agent said in this object's last exchange (set, a read, or
    /// a walk's last step): its error status and error index into
    /// *error_status and *error_index. 0, 0 when it answered without error;
    /// e.g. 2 (noSuchName) and the binding's position when an SNMPv1 agent
    /// lacks an object, which get_integer still reads as PMC_S_OK with the value -1
    /// and get_string as 0 with an empty text. When the last exchange failed
    /// before an answer, its negative status (PMC_E_TIMEOUT time-out, PMC_E_DECODE only
    /// malformed answers, ...) and 0. 0, 0 after open and before the first
    /// exchange; operations refused for their arguments change nothing.
    /// Always the agent's own error status: over SNMPv3 a missing object
    /// comes back as an exception value (noSuchObject, noSuchInstance; a
    /// walk ends at endOfMibView) with 0, 0, and reads as -1 or as the empty
    /// text like SNMPv1's noSuchName. Community requests go out as SNMPv1
    /// (also for version 1), so there the agent answers noSuchName itself.
    /// Returns PMC_S_OK, or PMC_E_INVALID_ARG for a null argument.
    virtual pmc_long get_error_status(pmc_long* error_status, pmc_long* error_index) = 0;

protected:
    ~IPmcGetData() = default;
};

#endif
