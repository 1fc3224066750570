// PDUs, variable bindings and binding lists. Included through
// <pmsnmp/pmsnmp.h>; a host reads walk results through these interfaces.
//
// Ownership: set... takes what it is given and releases what it replaces,
// get... lends, detach... hands over, a list releases what it still holds.
// A call that fails takes nothing: the caller keeps what it passed.
#ifndef PMSNMP_PDU_H
#define PMSNMP_PDU_H

#include <pmsnmp/value.h>

// One variable binding: an identifier, a value and a per-binding status
// (0 no error, 1..18 the agent's error-status aimed at this binding, 100 an
// error aimed elsewhere).
class IPmsVarBind {
public:
    virtual void release() = 0;
    virtual IPmsVarBind* clone(pmc_long* status) const = 0;
    virtual bool equals(const IPmsVarBind* other) const = 0;
    // Takes both; a null value becomes a new NULL value.
    virtual pmc_long set(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long set_pair(IPmsOid* oid, IPmsValue* value) = 0;  // same as set()
    // Hands out the pair through the pointers given, releases the rest.
    virtual void detach(IPmsOid** oid, IPmsValue** value) = 0;
    virtual void set_oid(IPmsOid* oid) = 0;
    virtual void set_value(IPmsValue* value) = 0;
    virtual IPmsOid* get_oid() const = 0;
    virtual IPmsValue* get_value() const = 0;
    virtual pmc_long get_status() const = 0;
    virtual void set_status(pmc_long status) = 0;

protected:
    ~IPmsVarBind() = default;
};

// Ordered list of owned bindings, positions from 0.
class IPmsVarBindList {
public:
    virtual void release() = 0;
    virtual IPmsVarBindList* clone(pmc_long* status) const = 0;
    virtual bool equals(const IPmsVarBindList* other) const = 0;
    virtual pmc_ulong count() const = 0;
    virtual pmc_long add(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long append(IPmsVarBind* binding) = 0;
    virtual pmc_long add_front(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long insert_front(IPmsVarBind* binding) = 0;
    // Removes the binding at index; it goes to *out, or is released.
    virtual pmc_long remove_at(pmc_ulong index, IPmsVarBind** out) = 0;
    virtual void pop_detach(IPmsOid** oid, IPmsValue** value) = 0;
    virtual IPmsVarBind* pop_front() = 0;
    virtual IPmsVarBind* get_at(pmc_ulong index) const = 0;
    virtual IPmsVarBindList* clone_range(pmc_ulong start, pmc_ulong count, pmc_long* status) const = 0;
    // Moves the first min(n, count()) bindings into a new list.
    virtual IPmsVarBindList* split_front(pmc_ulong n, pmc_long* status) = 0;
    virtual void apply_error(pmc_long error_status, pmc_long error_index) = 0;
    virtual void set_all_status(pmc_long status) = 0;

protected:
    ~IPmsVarBindList() = default;
};

// An SNMP protocol data unit: header fields and an optional binding list.
class IPmsPdu {
public:
    virtual void release() = 0;
    virtual void clear() = 0;
    virtual IPmsPdu* clone(pmc_long* status) = 0;
    virtual pmc_long copy_from(IPmsPdu* source) = 0;
    virtual pmc_long copy_header(IPmsPdu* source) = 0;
    virtual bool equals(IPmsPdu* other) = 0;
    virtual pmc_long get_type() = 0;
    virtual void set_type(pmc_long type) = 0;
    virtual IPmsVarBindList* get_varbind_list() = 0;
    virtual void set_varbind_list(IPmsVarBindList* list) = 0;
    virtual IPmsVarBindList* detach_varbind_list() = 0;
    virtual pmc_long add_varbind(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long append_varbind(IPmsVarBind* binding) = 0;
    virtual pmc_long add_varbind_front(IPmsOid* oid, IPmsValue* value) = 0;
    virtual pmc_long insert_varbind_front(IPmsVarBind* binding) = 0;
    virtual void pop_varbind(IPmsOid** oid, IPmsValue** value) = 0;
    virtual IPmsVarBind* pop_varbind_object() = 0;
    virtual pmc_long get_request_id() = 0;
    virtual pmc_long get_error_status() = 0;
    virtual pmc_long get_error_index() = 0;
    virtual void set_request_id(pmc_long id) = 0;
    virtual void set_error_status(pmc_long status) = 0;
    virtual void set_error_index(pmc_long index) = 0;
    virtual IPmsValue* get_timestamp() = 0;
    virtual IPmsOid* get_trap_oid() = 0;
    virtual IPmsValue* detach_timestamp() = 0;
    virtual IPmsOid* detach_trap_oid() = 0;
    // Takes a TimeTicks value; anything else is -2 and nothing changes.
    virtual pmc_long set_timestamp(IPmsValue* value) = 0;
    // Takes an OBJECT IDENTIFIER value; anything else is -2.
    virtual pmc_long set_trap_oid(IPmsValue* value) = 0;

protected:
    ~IPmsPdu() = default;
};

#endif
