#include "value/text_buffer.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr std::size_t kLargestStep = 1024;
constexpr std::size_t kFirstStep = 64;
}  // namespace

PmcTextBuffer::~PmcTextBuffer() { std::free(m_data); }

std::size_t PmcTextBuffer::capacity_for(std::size_t length) {
    const std::size_t needed = length + 1;
    for (std::size_t step = kFirstStep; step <= kLargestStep; step *= 2) {
        if (needed <= step) return step;
    }
    return needed;
}

bool PmcTextBuffer::reserve(std::size_t length) {
    if (length < m_capacity) return true;
    const std::size_t capacity = capacity_for(length);
    char* grown = static_cast<char*>(std::realloc(m_data, capacity));
    if (grown == nullptr) return false;
    if (m_data == nullptr) grown[0] = '\0';
    m_data = grown;
    m_capacity = capacity;
    return true;
}

bool PmcTextBuffer::assign(const char* text, std::size_t length) {
    if (length == 0) {
        truncate(0);
        return true;
    }
    // A source inside our own block is a substring: memmove keeps it valid
    // because it never needs more room than we have.
    if (m_data != nullptr && text >= m_data && text < m_data + m_capacity) {
        std::memmove(m_data, text, length);
        truncate(length);
        return true;
    }
    if (!reserve(length)) return false;
    std::memcpy(m_data, text, length);
    m_length = length;
    m_data[m_length] = '\0';
    return true;
}

bool PmcTextBuffer::append(const char* text, std::size_t length) {
    if (length == 0) return true;
    const bool inside = m_data != nullptr && text >= m_data && text < m_data + m_capacity;
    const std::size_t offset = inside ? static_cast<std::size_t>(text - m_data) : 0;
    if (!reserve(m_length + length)) return false;
    if (inside) text = m_data + offset;
    std::memmove(m_data + m_length, text, length);
    m_length += length;
    m_data[m_length] = '\0';
    return true;
}

bool PmcTextBuffer::append_separated(char separator, const char* text, std::size_t length) {
    if (length == 0) return true;
    const bool inside = m_data != nullptr && text >= m_data && text < m_data + m_capacity;
    const std::size_t offset = inside ? static_cast<std::size_t>(text - m_data) : 0;
    const std::size_t extra = m_length != 0 ? 1 : 0;
    if (!reserve(m_length + extra + length)) return false;
    if (inside) text = m_data + offset;
    if (extra != 0) m_data[m_length++] = separator;
    std::memmove(m_data + m_length, text, length);
    m_length += length;
    m_data[m_length] = '\0';
    return true;
}

char* PmcTextBuffer::overwrite(std::size_t length) {
    if (!reserve(length)) return nullptr;
    m_length = length;
    m_data[m_length] = '\0';
    return m_data;
}

void PmcTextBuffer::truncate(std::size_t length) {
    if (length >= m_length) return;
    m_length = length;
    m_data[m_length] = '\0';
}

void PmcTextBuffer::erase(std::size_t position, std::size_t count) {
    if (position >= m_length) return;
    if (count > m_length - position) count = m_length - position;
    std::memmove(m_data + position, m_data + position + count, m_length - position - count);
    m_length -= count;
    m_data[m_length] = '\0';
}
