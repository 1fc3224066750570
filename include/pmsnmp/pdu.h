/// \file
/// PDUs, variable bindings and binding lists. Included through
/// <pmsnmp/pmsnmp.h>; a host reads walk results through these interfaces.
///
/// Ownership: set... takes what it is given and releases what it replaces,
/// get... lends, detach... hands over, a list releases what it still holds.
/// A call that fails takes nothing: the caller keeps what it passed.
#ifndef PMSNMP_PDU_H
#define PMSNMP_PDU_H

#include <pmsnmp/value.h>

/// One variable binding: an identifier, a value and a per-binding status
/// (0 no error, 1..18 the agent's error-status aimed at this binding, 100 an
/// error aimed elsewhere).
class IPmsVarBind {
public:
    /// Destroys the binding and the pair it holds.
    virtual void release() = 0;
    /// A new deep copy of the pair (the caller owns it) with status PMC_S_OK; null
    /// and *status PMC_E_NO_MEMORY, or the failing copy's status, when a copy fails.
    virtual IPmsVarBind* clone(pmc_long* status) const = 0;
    /// Same identifier, value and status; a part absent on one side only, or
    /// a null other, is unequal.
    virtual bool equals(const IPmsVarBind* other) const = 0;
    /// Takes both; a null value becomes a new NULL value.
    virtual pmc_long set(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long set_pair(IPmsOid* oid, IPmsValue* value) = 0;  ///< same as set()
    /// Hands out the pair through the pointers given, releases the rest.
    virtual void detach(IPmsOid** oid, IPmsValue** value) = 0;
    /// Takes the identifier and releases the one it replaces.
    virtual void set_oid(IPmsOid* oid) = 0;
    /// Takes the value and releases the one it replaces.
    virtual void set_value(IPmsValue* value) = 0;
    /// Lends the identifier; null when absent.
    virtual IPmsOid* get_oid() const = 0;
    /// Lends the value; null when absent.
    virtual IPmsValue* get_value() const = 0;
    /// The binding status (0, an error status, or PMS_VARBIND_OTHER_ERROR).
    virtual pmc_long get_status() const = 0;
    /// Sets the binding status.
    virtual void set_status(pmc_long status) = 0;

protected:
    ~IPmsVarBind() = default;
};

/// Ordered list of owned bindings, positions from 0.
class IPmsVarBindList {
public:
    /// Destroys the list and every binding it holds.
    virtual void release() = 0;
    /// A new deep copy (the caller owns it); null and *status on failure.
    virtual IPmsVarBindList* clone(pmc_long* status) const = 0;
    /// Same count and equal bindings in the same order.
    virtual bool equals(const IPmsVarBindList* other) const = 0;
    /// The number of bindings.
    virtual pmc_ulong count() const = 0;
    /// Adds a new binding holding the pair (a null value becomes a NULL value)
    /// at the end. PMC_E_INVALID_ARG: null oid; PMC_E_NO_MEMORY: no memory.
    virtual pmc_long add(IPmsOid* oid, IPmsValue* value) = 0;
    /// Takes binding at the end. PMC_E_INVALID_ARG: null; PMC_E_NO_MEMORY: no memory.
    virtual pmc_long append(IPmsVarBind* binding) = 0;
    /// As add(), at the front.
    virtual pmc_long add_front(IPmsOid* oid, IPmsValue* value) = 0;
    /// As append(), at the front.
    virtual pmc_long insert_front(IPmsVarBind* binding) = 0;
    /// Removes the binding at index; it goes to *out, or is released.
    /// PMC_E_INVALID_ARG: index past the end (*out is then null).
    virtual pmc_long remove_at(pmc_ulong index, IPmsVarBind** out) = 0;
    /// Removes the first binding and hands its pair out through the pointers
    /// given (null ones release that part); both null on an empty list.
    virtual void pop_detach(IPmsOid** oid, IPmsValue** value) = 0;
    /// Removes the first binding and hands it over; null on an empty list.
    virtual IPmsVarBind* pop_front() = 0;
    /// Lends the binding at index; null past the end.
    virtual IPmsVarBind* get_at(pmc_ulong index) const = 0;
    /// A new list (the caller owns it) of copies of up to count bindings from
    /// start on; null and *status PMC_E_INVALID_ARG when start is past the end, or PMC_E_NO_MEMORY.
    virtual IPmsVarBindList* clone_range(pmc_ulong start, pmc_ulong count, pmc_long* status) const = 0;
    /// Moves the first min(n, count()) bindings into a new list (the caller
    /// owns it); null and *status PMC_E_NO_MEMORY, this list unchanged, without memory.
    virtual IPmsVarBindList* split_front(pmc_ulong n, pmc_long* status) = 0;
    /// Spreads an agent's error over the bindings: error_status on the one at
    /// error_index (counted from 1), 100 on every other.
    virtual void apply_error(pmc_long error_status, pmc_long error_index) = 0;
    /// Sets the status of every binding.
    virtual void set_all_status(pmc_long status) = 0;

protected:
    ~IPmsVarBindList() = default;
};

/// An SNMP protocol data unit: header fields and an optional binding list.
class IPmsPdu {
public:
    /// Destroys the PDU and everything it holds.
    virtual void release() = 0;
    /// Releases the list, time-stamp and trap identifier; type none, error
    /// status -1 (no answer read yet), error index 0. The request id stays.
    virtual void clear() = 0;
    /// A new deep copy (the caller owns it); null and *status on failure.
    virtual IPmsPdu* clone(pmc_long* status) = 0;
    /// copy_header, then a copy of source's binding list replaces ours (none
    /// when source has none). PMC_E_INVALID_ARG: null source; on any failure this PDU stays
    /// as it was.
    virtual pmc_long copy_from(IPmsPdu* source) = 0;
    /// Copies type, request id, error status and index, and copies of the
    /// time-stamp and trap identifier (ours stay where source has none); the
    /// list stays. PMC_E_INVALID_ARG: null source; on failure this PDU stays as it was.
    virtual pmc_long copy_header(IPmsPdu* source) = 0;
    /// Same type (never none) and binding lists (both absent counts as
    /// equal); traps also compare time-stamp and trap identifier, other
    /// types request id, error status and error index.
    virtual bool equals(IPmsPdu* other) = 0;
    /// The PDU type (PMS_PDU_...).
    virtual pmc_long get_type() = 0;
    /// Sets the PDU type; a request's type decides what the agent is asked.
    virtual void set_type(pmc_long type) = 0;
    /// Lends the binding list; null when there is none.
    virtual IPmsVarBindList* get_varbind_list() = 0;
    /// Takes list (null: none) and releases the one it replaces.
    virtual void set_varbind_list(IPmsVarBindList* list) = 0;
    /// Hands the binding list over to the caller (null when there is none);
    /// the PDU is left without one.
    virtual IPmsVarBindList* detach_varbind_list() = 0;
    /// The list's add, append, add_front and insert_front; each makes the
    /// list when there is none, and a failed insertion leaves none.
    virtual pmc_long add_varbind(IPmsOid* oid, IPmsValue* value) = 0;
    /// The list's append(): takes binding at the end. PMC_S_OK, PMC_E_INVALID_ARG or PMC_E_NO_MEMORY.
    virtual pmc_long append_varbind(IPmsVarBind* binding) = 0;
    /// The list's add_front(): takes the pair into a new first binding. 0,
    /// PMC_E_INVALID_ARG or PMC_E_NO_MEMORY.
    virtual pmc_long add_varbind_front(IPmsOid* oid, IPmsValue* value) = 0;
    /// The list's insert_front(): takes binding at the front. PMC_S_OK, PMC_E_INVALID_ARG or PMC_E_NO_MEMORY.
    virtual pmc_long insert_varbind_front(IPmsVarBind* binding) = 0;
    /// The list's pop_detach and pop_front; null outputs without a list.
    virtual void pop_varbind(IPmsOid** oid, IPmsValue** value) = 0;
    /// The list's pop_front(): the first binding, handed over; null when
    /// there is none.
    virtual IPmsVarBind* pop_varbind_object() = 0;
    /// The request identifier the PDU was last sent or answered with.
    virtual pmc_long get_request_id() = 0;
    /// The agent's error status (PMS_ERR_...); -1 before an answer was read.
    virtual pmc_long get_error_status() = 0;
    /// The position (from 1) of the binding the error status is about; 0
    /// when it names none.
    virtual pmc_long get_error_index() = 0;
    /// Sets the request identifier (the session sets its own when sending).
    virtual void set_request_id(pmc_long id) = 0;
    /// Sets the error status.
    virtual void set_error_status(pmc_long status) = 0;
    /// Sets the error index.
    virtual void set_error_index(pmc_long index) = 0;
    /// An SNMPv1 trap's time-stamp and identifier, lent; null when absent.
    virtual IPmsValue* get_timestamp() = 0;
    /// An SNMPv1 trap's identifier, lent; null when absent.
    virtual IPmsOid* get_trap_oid() = 0;
    /// Hands the time-stamp over to the caller; null when absent.
    virtual IPmsValue* detach_timestamp() = 0;
    /// Hands the trap identifier over to the caller; null when absent.
    virtual IPmsOid* detach_trap_oid() = 0;
    /// Takes a TimeTicks value; anything else is PMC_E_INVALID_ARG and nothing changes.
    virtual pmc_long set_timestamp(IPmsValue* value) = 0;
    /// Takes an OBJECT IDENTIFIER value; anything else is PMC_E_INVALID_ARG and nothing
    /// changes.
    virtual pmc_long set_trap_oid(IPmsValue* value) = 0;

protected:
    ~IPmsPdu() = default;
};

#endif
