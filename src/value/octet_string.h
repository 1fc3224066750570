// Byte storage kinds: OCTET STRING and Opaque, and the base of the
// fixed-size address kinds.
#ifndef PMSNMP_VALUE_OCTET_STRING_H
#define PMSNMP_VALUE_OCTET_STRING_H

#include "value/malloc_block.h"
#include "value/value_base.h"

// Growable byte array; capacity grows in steps of 128 so that appending byte
// by byte reallocates only when a step is full.
class PmsByteStorage {
public:
    PmsByteStorage() = default;
    PmsByteStorage(const PmsByteStorage&) = delete;
    PmsByteStorage& operator=(const PmsByteStorage&) = delete;

    static constexpr pmc_ulong kStep = 128;

    const unsigned char* data() const { return data_.get(); }
    unsigned char* data() { return data_.get(); }
    pmc_ulong count() const { return count_; }
    pmc_ulong capacity() const { return capacity_; }

    // False on no memory; the old block, count and capacity stay.
    bool reserve(pmc_ulong n);
    bool append(unsigned char byte);
    bool store(const unsigned char* data, pmc_ulong n);
    void empty() { count_ = 0; }

private:
    PmcMallocBlock<unsigned char> data_;
    pmc_ulong count_ = 0;
    pmc_ulong capacity_ = 0;
};

class CPmsOctetString : public CPmsValueBase {
public:
    CPmsOctetString() : CPmsOctetString(0, 0) {}

    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override;
    pmc_long get_type() const override { return PMS_TYPE_OCTET_STRING; }
    bool equals(const IPmsValue* other) const override;
    void query_interface(pmc_long id, void** out) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    const unsigned char* get_bytes(pmc_ulong* length, pmc_long* status) const override;
    pmc_long set_bytes(const unsigned char* data, pmc_ulong count) override;
    pmc_ulong get_length() const override { return bytes_.count(); }
    pmc_ulong get_index_length(bool implied) const override;
    pmc_ulong get_element(pmc_ulong position, pmc_long* status) const override;
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;
    pmc_long init() override;

    const PmsByteStorage& bytes() const { return bytes_; }

protected:
    // fixed_size 0: variable length. domain_arc 0: no leading domain arc in
    // the index form.
    CPmsOctetString(pmc_ulong fixed_size, pmc_ulong domain_arc)
        : fixed_size_(fixed_size), domain_arc_(domain_arc) {}

    bool is_fixed() const { return fixed_size_ != 0; }
    unsigned char* fixed_bytes() { return bytes_.data(); }
    const unsigned char* fixed_bytes() const { return bytes_.data(); }

    // The fixed-size text readers: parsed numbers are stored as bytes in
    // order, the first one above 255 stopping with -2.
    pmc_long store_scanned_bytes(const pmc_ulong* numbers, pmc_ulong count, pmc_ulong offset);

    PmsByteStorage bytes_;

private:
    const pmc_ulong fixed_size_;
    const pmc_ulong domain_arc_;
};

class CPmsOpaque : public CPmsOctetString {
public:
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_OPAQUE; }
    void query_interface(pmc_long id, void** out) override;
};

#endif
