// Pages printed between two readings of prtMarkerLifeCount, a Counter32:
// it wraps past 2^32 - 1, and a printer's board swap or reset sets it back.
#ifndef PMSNMP_TOOLS_PAGE_COUNTER_H
#define PMSNMP_TOOLS_PAGE_COUNTER_H

#include <cstdint>

namespace pmtool {

constexpr std::uint64_t kCounter32Span = 1ULL << 32;
// More pages than any printer prints between two polls: a drop that would
// mean more is a reset, not a wrap.
constexpr std::uint64_t kMaxPagesBetweenReadings = 1000000;

// A rise counts as it is; a fall counts as a wrap when the wrapped distance
// is plausible, else as a reset, which counts nothing (the pages printed
// before the reset since the last reading are unknown, and a guess would
// invent pages). Never negative.
inline std::uint64_t counter_delta(std::uint64_t previous, std::uint64_t current) {
    if (current >= previous) return current - previous;
    if (previous < kCounter32Span) {
        const std::uint64_t wrapped = kCounter32Span - previous + current;
        if (wrapped <= kMaxPagesBetweenReadings) return wrapped;
    }
    return 0;
}

}  // namespace pmtool

#endif
