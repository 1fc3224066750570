// Copying and comparing the short octet runs of names (a few dozen octets):
// word moves inline, where a library call would cost more than the work.
// Overlapping words are read only inside [p, p + n).
#ifndef PMSNMP_VALUE_SHORT_OCTETS_H
#define PMSNMP_VALUE_SHORT_OCTETS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace NPmsShortOctets {

constexpr std::size_t WORD = 8;
constexpr std::size_t HALF_WORD = 4;
constexpr std::size_t PAIR = 2 * WORD;
constexpr std::size_t INLINE_MAX = 2 * PAIR;

inline std::uint64_t word_at(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, WORD);
    return word;
}

inline std::uint32_t half_word_at(const unsigned char* p) {
    std::uint32_t word;
    std::memcpy(&word, p, HALF_WORD);
    return word;
}

}  // namespace NPmsShortOctets

// to[0..n) = from[0..n); the ranges do not overlap.
inline void pms_copy_short(unsigned char* to, const unsigned char* from, std::size_t n) {
    using namespace NPmsShortOctets;
    if (n > INLINE_MAX) {
        std::memcpy(to, from, n);
    } else if (n >= PAIR) {
        unsigned char head[PAIR];
        unsigned char tail[PAIR];
        std::memcpy(head, from, PAIR);
        std::memcpy(tail, from + n - PAIR, PAIR);
        std::memcpy(to, head, PAIR);
        std::memcpy(to + n - PAIR, tail, PAIR);
    } else if (n >= WORD) {
        const std::uint64_t head = word_at(from);
        const std::uint64_t tail = word_at(from + n - WORD);
        std::memcpy(to, &head, WORD);
        std::memcpy(to + n - WORD, &tail, WORD);
    } else if (n >= HALF_WORD) {
        const std::uint32_t head = half_word_at(from);
        const std::uint32_t tail = half_word_at(from + n - HALF_WORD);
        std::memcpy(to, &head, HALF_WORD);
        std::memcpy(to + n - HALF_WORD, &tail, HALF_WORD);
    } else {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    }
}

// Whether a[0..n) equals b[0..n). Compares from the end: names that differ
// usually differ in their last arcs.
inline bool pms_same_short(const unsigned char* a, const unsigned char* b, std::size_t n) {
    using namespace NPmsShortOctets;
    if (n < WORD) {
        if (n >= HALF_WORD) {
            return half_word_at(a + n - HALF_WORD) == half_word_at(b + n - HALF_WORD) &&
                   half_word_at(a) == half_word_at(b);
        }
        for (std::size_t i = n; i > 0; --i) {
            if (a[i - 1] != b[i - 1]) return false;
        }
        return true;
    }
    std::size_t end = n;
    for (; end > WORD; end -= WORD) {
        if (word_at(a + end - WORD) != word_at(b + end - WORD)) return false;
    }
    return word_at(a) == word_at(b);
}

#endif
