// The library's counted byte string.
#ifndef PMSNMP_VALUE_BYTE_STRING_H
#define PMSNMP_VALUE_BYTE_STRING_H

#include <pmsnmp/value.h>

#include "value/malloc_block.h"

class CPmcByteString final : public IPmcByteString {
public:
    CPmcByteString() = default;
    CPmcByteString(const CPmcByteString&) = delete;
    CPmcByteString& operator=(const CPmcByteString&) = delete;

    void release() override;
    pmc_ulong get_length() const override { return length_; }
    const unsigned char* get_data() const override { return length_ != 0 ? data_.get() : nullptr; }
    pmc_long assign(const void* data, pmc_ulong length) override;
    pmc_long assign_text(const char* text) override;
    pmc_long append(const void* data, pmc_ulong length) override;
    pmc_long append_text(const char* text) override;
    pmc_long append_string(const IPmcByteString* other) override;
    pmc_long clone(IPmcByteString** out) const override;
    bool equals(const void* data, pmc_ulong length) const override;
    bool equals_text(const char* text) const override;
    bool equals_string(const IPmcByteString* other) const override;

    virtual ~CPmcByteString();

private:
    PmcMallocBlock<unsigned char> data_;
    pmc_ulong length_ = 0;
};

#endif
