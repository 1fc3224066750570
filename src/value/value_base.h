// Common base of every value kind: the answer of each IPmsValue operation a
// kind does not support, and the helpers the kinds share.
#ifndef PMSNMP_VALUE_VALUE_BASE_H
#define PMSNMP_VALUE_VALUE_BASE_H

#include <new>

#include <pmsnmp/value.h>

// query_interface identifiers.
constexpr pmc_long PMS_IID_VALUE = 0xFF00;
constexpr pmc_long PMS_IID_VALUE_BASE = static_cast<pmc_long>(0xF000FF00u);
// Inside the library: the identifier implementation (CPmsOid) behind a value.
constexpr pmc_long PMS_IID_OID_IMPL = static_cast<pmc_long>(0xF000FF10u);
constexpr pmc_long PMS_IID_OID_SHORT = 6;
constexpr pmc_long PMS_IID_EXCEPTION = static_cast<pmc_long>(0xF000FF01u);

// Every kind but the exceptions is named by 0xF0000000 plus its type code.
constexpr pmc_long pms_kind_iid(pmc_long type) {
    return static_cast<pmc_long>(0xF0000000u | static_cast<pmc_ulong>(type));
}

constexpr pmc_ulong PMS_ALL_ARCS = 0xFFFFFFFFu;
constexpr pmc_ulong PMS_BAD_NUMBER = 0xFFFFFFFFu;
constexpr unsigned short PMS_BAD_PORT = 0xFFFF;

inline void pms_report(pmc_long* status, pmc_long value) {
    if (status != nullptr) *status = value;
}

class CPmsValueBase : public virtual IPmsValue {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    void release() override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override;
    bool equals(const IPmsValue* other) const override;
    IPmsOid* as_oid() override;
    void query_interface(pmc_long id, void** out) override;
    bool is_valid() const override;
    pmc_long get_int(pmc_long* status) const override;
    pmc_ulong get_uint(pmc_long* status) const override;
    IPmcByteString* get_text_new(pmc_long* status) const override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    const unsigned char* get_bytes(pmc_ulong* length, pmc_long* status) const override;
    IPmcByteString* get_bytes_new(pmc_long* status) const override;
    pmc_long get_bytes_into(IPmcByteString* out) const override;
    unsigned short get_port(pmc_long* status) const override;
    pmc_ulong get_uint_high(pmc_long* status) const override;
    pmc_ulong get_uint_low(pmc_long* status) const override;
    pmc_long set_int(pmc_long number) override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long set_text(const char* text) override;
    pmc_long set_text_from(const IPmcByteString* text) override;
    pmc_long set_bytes(const unsigned char* data, pmc_ulong count) override;
    pmc_long set_bytes_from(const IPmcByteString* bytes) override;
    pmc_long set_port(unsigned short port) override;
    pmc_long set_uint_high(pmc_ulong number) override;
    pmc_long set_uint_low(pmc_ulong number) override;
    pmc_ulong get_length() const override;
    pmc_ulong get_index_length(bool implied) const override;
    pmc_ulong get_element(pmc_ulong position, pmc_long* status) const override;
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;

    virtual ~CPmsValueBase();
    // Runs once after construction, from the factory and from clone.
    virtual pmc_long init();

protected:
    // True when other is non-null and of this value's type.
    bool same_type(const IPmsValue* other) const;
};

// Allocates a kind, runs init; null and the status on failure.
template <class Kind, class... Args>
Kind* pms_new_kind(pmc_long* status, Args... args) {
    Kind* value = new (std::nothrow) Kind(args...);
    if (value == nullptr) {
        pms_report(status, PMC_E_NO_MEMORY);
        return nullptr;
    }
    const pmc_long result = value->init();
    if (result != PMC_S_OK) {
        value->release();
        pms_report(status, result);
        return nullptr;
    }
    pms_report(status, PMC_S_OK);
    return value;
}

// A new value of the same kind holding a copy of source.
template <class Kind, class... Args>
IPmsValue* pms_clone_kind(const IPmsValue& source, pmc_long* status, Args... args) {
    Kind* copy = pms_new_kind<Kind>(status, args...);
    if (copy == nullptr) return nullptr;
    const pmc_long result = copy->assign(&source);
    if (result != PMC_S_OK) {
        copy->release();
        pms_report(status, result);
        return nullptr;
    }
    return copy;
}

// What tells one kind from another of the same shape: its type code, its
// interface identifier (derived from the type code) and its visitor
// operation. Base holds the contents; Answering is where query_interface
// goes for identifiers other than the kind's own.
template <class Self, class Base, pmc_long Type, pmc_long (IPmsValueVisitor::*Visit)(IPmsValue*),
          class Answering = Base>
class CPmsKind : public Base {
public:
    using Base::Base;

    pmc_long accept(IPmsValueVisitor* visitor) override {
        if (visitor == nullptr) return PMC_E_INVALID_ARG;
        return (visitor->*Visit)(static_cast<Self*>(this));
    }
    IPmsValue* clone(pmc_long* status) const override {
        return pms_clone_kind<Self>(*static_cast<const Self*>(this), status);
    }
    pmc_long get_type() const override { return Type; }
    void query_interface(pmc_long id, void** out) override {
        if (out != nullptr && id == pms_kind_iid(Type)) {
            *out = static_cast<Self*>(this);
            return;
        }
        Answering::query_interface(id, out);
    }
};

#endif
