#include "value/byte_string.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <new>

#include "value/library_object.h"
#include "value/value_factory.h"

namespace {

pmc_ulong text_length(const char* text) {
    return text != nullptr ? static_cast<pmc_ulong>(std::strlen(text)) : 0;
}

// A block of length + 1 bytes ending in 0; null on no memory.
PmcMallocBlock<unsigned char> new_block(std::size_t length) {
    PmcMallocBlock<unsigned char> block = pmc_malloc_block<unsigned char>(length + 1);
    if (block) block[length] = 0;
    return block;
}

}  // namespace

IPmcByteString* pmc_create_byte_string(pmc_long* status) {
    return pmc_new_object<CPmcByteString>(status);
}

CPmcByteString::~CPmcByteString() = default;

void CPmcByteString::release() { delete this; }

pmc_long CPmcByteString::assign(const void* data, pmc_ulong length) {
    if (length == 0) {
        data_.reset();
        length_ = 0;
        return PMC_S_OK;
    }
    PmcMallocBlock<unsigned char> block = new_block(length);
    if (!block) return PMC_E_NO_MEMORY;
    std::memcpy(block.get(), data, length);
    data_ = std::move(block);
    length_ = length;
    return PMC_S_OK;
}

pmc_long CPmcByteString::assign_text(const char* text) { return assign(text, text_length(text)); }

pmc_long CPmcByteString::append(const void* data, pmc_ulong length) {
    if (length == 0) return PMC_S_OK;
    const std::size_t total = static_cast<std::size_t>(length_) + length;
    if (total > UINT32_MAX) return PMC_E_NO_MEMORY;
    PmcMallocBlock<unsigned char> block = new_block(total);
    if (!block) return PMC_E_NO_MEMORY;
    if (length_ != 0) std::memcpy(block.get(), data_.get(), length_);
    // data may be our own block (appending a string to itself): copy before freeing.
    std::memcpy(block.get() + length_, data, length);
    data_ = std::move(block);
    length_ = static_cast<pmc_ulong>(total);
    return PMC_S_OK;
}

pmc_long CPmcByteString::append_text(const char* text) {
    if (text == nullptr) return PMC_S_OK;
    return append(text, text_length(text));
}

pmc_long CPmcByteString::append_string(const IPmcByteString* other) {
    if (other == nullptr) return PMC_S_OK;
    return append(other->get_data(), other->get_length());
}

pmc_long CPmcByteString::clone(IPmcByteString** out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    *out = nullptr;
    auto* copy = new (std::nothrow) CPmcByteString();
    if (copy == nullptr) return PMC_E_NO_MEMORY;
    if (copy->assign(data_.get(), length_) != PMC_S_OK) {
        copy->release();
        return PMC_E_NO_MEMORY;
    }
    *out = copy;
    return PMC_S_OK;
}

bool CPmcByteString::equals(const void* data, pmc_ulong length) const {
    if (length == 0) return length_ == 0;
    return length == length_ && std::memcmp(data_.get(), data, length) == 0;
}

bool CPmcByteString::equals_text(const char* text) const {
    if (text == nullptr) return false;
    return equals(text, text_length(text));
}

bool CPmcByteString::equals_string(const IPmcByteString* other) const {
    if (other == nullptr) return false;
    return equals(other->get_data(), other->get_length());
}
