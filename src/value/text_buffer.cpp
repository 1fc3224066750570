#include "value/text_buffer.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr std::size_t kLargestStep = 1024;
constexpr std::size_t kFirstStep = 64;
}  // namespace

std::size_t PmcTextBuffer::capacity_for(std::size_t length) {
    const std::size_t needed = length + 1;
    for (std::size_t step = kFirstStep; step <= kLargestStep; step *= 2) {
        if (needed <= step) return step;
    }
    return needed;
}

bool PmcTextBuffer::grow(std::size_t length) {
    const std::size_t capacity = capacity_for(length);
    const bool first = !data_;
    if (!pmc_realloc_block(data_, capacity)) return false;
    if (first) data_[0] = '\0';
    capacity_ = capacity;
    return true;
}

bool PmcTextBuffer::assign(const char* text, std::size_t length) {
    if (length == 0) {
        truncate(0);
        return true;
    }
    // A source inside our own block is a substring: memmove keeps it valid
    // because it never needs more room than we have.
    if (data_ && text >= data_.get() && text < data_.get() + capacity_) {
        std::memmove(data_.get(), text, length);
        truncate(length);
        return true;
    }
    if (!reserve(length)) return false;
    std::memcpy(data_.get(), text, length);
    length_ = length;
    data_[length_] = '\0';
    return true;
}

bool PmcTextBuffer::append(const char* text, std::size_t length) {
    if (length == 0) return true;
    const bool inside = data_ && text >= data_.get() && text < data_.get() + capacity_;
    const std::size_t offset = inside ? static_cast<std::size_t>(text - data_.get()) : 0;
    if (!reserve(length_ + length)) return false;
    if (inside) text = data_.get() + offset;
    std::memmove(data_.get() + length_, text, length);
    length_ += length;
    data_[length_] = '\0';
    return true;
}

bool PmcTextBuffer::append_separated(char separator, const char* text, std::size_t length) {
    if (length == 0) return true;
    const bool inside = data_ && text >= data_.get() && text < data_.get() + capacity_;
    const std::size_t offset = inside ? static_cast<std::size_t>(text - data_.get()) : 0;
    const std::size_t extra = length_ != 0 ? 1 : 0;
    if (!reserve(length_ + extra + length)) return false;
    if (inside) text = data_.get() + offset;
    if (extra != 0) data_[length_++] = separator;
    std::memmove(data_.get() + length_, text, length);
    length_ += length;
    data_[length_] = '\0';
    return true;
}

char* PmcTextBuffer::overwrite(std::size_t length) {
    if (!reserve(length)) return nullptr;
    length_ = length;
    data_[length_] = '\0';
    return data_.get();
}

void PmcTextBuffer::erase(std::size_t position, std::size_t count) {
    if (position >= length_) return;
    if (count > length_ - position) count = length_ - position;
    std::memmove(data_.get() + position, data_.get() + position + count, length_ - position - count);
    length_ -= count;
    data_[length_] = '\0';
}
