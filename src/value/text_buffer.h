// Growable character buffer for identifier texts. Capacity steps through
// 64, 128, 256, 512 and 1024 bytes, then fits the text exactly, so short
// identifiers never reallocate and long ones waste nothing.
#ifndef PMSNMP_VALUE_TEXT_BUFFER_H
#define PMSNMP_VALUE_TEXT_BUFFER_H

#include <cstddef>

#include "value/malloc_block.h"

class PmcTextBuffer {
public:
    PmcTextBuffer() = default;
    PmcTextBuffer(const PmcTextBuffer&) = delete;
    PmcTextBuffer& operator=(const PmcTextBuffer&) = delete;

    // Always NUL-terminated; "" before the first store.
    const char* c_str() const { return data_ ? data_.get() : ""; }
    std::size_t length() const { return length_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }

    // Capacity for `length` characters and the terminator; false on no memory
    // (the buffer is unchanged).
    bool reserve(std::size_t length) { return length < capacity_ || grow(length); }
    // The capacity a text of `length` characters is given.
    static std::size_t capacity_for(std::size_t length);

    // Each returns false on no memory and leaves the buffer unchanged. The
    // source may lie inside this buffer.
    bool assign(const char* text, std::size_t length);
    bool append(const char* text, std::size_t length);
    bool append_char(char c) { return append(&c, 1); }
    // Appends `separator` (when not empty) and the text in one step.
    bool append_separated(char separator, const char* text, std::size_t length);
    // Makes the text `length` characters long for the caller to overwrite;
    // null on no memory (the buffer is unchanged).
    char* overwrite(std::size_t length);

    void truncate(std::size_t length) {
        if (length >= length_) return;
        length_ = length;
        data_[length_] = '\0';
    }
    void erase(std::size_t position, std::size_t count);
    void clear() { truncate(0); }

private:
    bool grow(std::size_t length);

    PmcMallocBlock<char> data_;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
};

#endif
