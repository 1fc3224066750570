#include "value/oid_arcs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "value/oid.h"

namespace {

// Most arcs are short: test the usual widths before dividing.
std::size_t decimal_width(pmc_ulong arc) {
    if (arc < 10) return 1;
    if (arc < 100) return 2;
    if (arc < 1000) return 3;
    std::size_t width = 4;
    for (arc /= 10000; arc != 0; arc /= 10) ++width;
    return width;
}

std::size_t dotted_length(const pmc_ulong* arcs, pmc_ulong count) {
    std::size_t length = count != 0 ? count - 1 : 0;
    for (pmc_ulong i = 0; i < count; ++i) length += decimal_width(arcs[i]);
    return length;
}

// "00" to "99", two characters each.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes arc's digits so that they end just before `end`.
void write_arc_backwards(char* end, pmc_ulong arc) {
    while (arc >= 100) {
        const pmc_ulong pair = (arc % 100) * 2;
        arc /= 100;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    }
    if (arc >= 10) {
        *--end = kDigitPairs[arc * 2 + 1];
        *--end = kDigitPairs[arc * 2];
    } else {
        *--end = static_cast<char>('0' + arc);
    }
}

// Writes the dotted form into text, which has room for exactly that, and
// returns its end.
char* write_dotted(char* text, const pmc_ulong* arcs, pmc_ulong count) {
    char* p = text;
    for (pmc_ulong i = 0; i < count; ++i) {
        if (i != 0) *p++ = '.';
        const pmc_ulong arc = arcs[i];
        if (arc < 10) {
            *p++ = static_cast<char>('0' + arc);
        } else if (arc < 100) {
            *p++ = kDigitPairs[arc * 2];
            *p++ = kDigitPairs[arc * 2 + 1];
        } else {
            p += decimal_width(arc);
            write_arc_backwards(p, arc);
        }
    }
    return p;
}

// Arcs are unsigned 32-bit numbers: ten digits at most.
constexpr std::ptrdiff_t kArcDigitsMax = 10;
constexpr std::uint64_t kArcMax = 0xFFFFFFFFu;

// The value of a character as a digit; above 9 for any other character.
unsigned digit_of(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }

// The arcs of [p, end). `terminated` says that *end is readable and no digit
// (our identifiers keep a NUL there), so the digit loop needs no bounds test.
template <bool terminated>
pmc_long read_dotted(const char* p, const char* const end, pmc_ulong* arcs, pmc_ulong capacity,
                     pmc_ulong* count) {
    pmc_ulong found = 0;
    while (p != end) {
        // One arc: "0" or digits without a leading zero, then "." and more or the end.
        const char* const first = p;
        std::uint64_t arc = digit_of(*p);
        if (arc > 9) return PMC_E_INVALID_ARG;
        ++p;
        unsigned digit = 0;
        // Most arcs have one or two digits: no loop for those.
        if ((terminated || p != end) && (digit = digit_of(*p)) <= 9) {
            arc = arc * 10u + digit;
            ++p;
            for (; (terminated || p != end) && (digit = digit_of(*p)) <= 9; ++p) {
                arc = arc * 10u + digit;
            }
            if (*first == '0') return PMC_E_INVALID_ARG;
            // A wider arc would reach the wire as another identifier.
            if (p - first > kArcDigitsMax || arc > kArcMax) return PMC_E_INVALID_ARG;
        }
        if (found < capacity) arcs[found] = static_cast<pmc_ulong>(arc);
        ++found;
        if (p == end) break;
        if (*p != '.' || p + 1 == end) return PMC_E_INVALID_ARG;
        ++p;
    }
    *count = found;
    return found > capacity ? PMC_E_OUT_OF_RANGE : PMC_S_OK;
}

}  // namespace

std::size_t pms_dotted_length(const pmc_ulong* arcs, pmc_ulong count) { return dotted_length(arcs, count); }

char* pms_write_dotted(char* text, const pmc_ulong* arcs, pmc_ulong count) {
    return write_dotted(text, arcs, count);
}

pmc_long pms_oid_read_arcs(const IPmsOid* oid, pmc_ulong* arcs, pmc_ulong capacity, pmc_ulong* count) {
    if (oid == nullptr || count == nullptr || (arcs == nullptr && capacity != 0)) return PMC_E_INVALID_ARG;
    if (const CPmsOid* ours = CPmsOid::from(oid)) {
        pmc_ulong held = 0;
        if (const pmc_ulong* cached = ours->cached_arcs(&held)) {
            *count = held;
            if (held > capacity) return PMC_E_OUT_OF_RANGE;
            std::copy(cached, cached + held, arcs);
            return PMC_S_OK;
        }
        const char* text = ours->dotted().c_str();
        const pmc_long status = read_dotted<true>(text, text + ours->dotted().length(), arcs, capacity, count);
        if (status == PMC_S_OK) ours->remember_arcs(arcs, *count);
        return status;
    }
    pmc_ulong length = 0;
    const unsigned char* bytes = oid->get_bytes(&length, nullptr);
    const char* p = bytes != nullptr ? reinterpret_cast<const char*>(bytes) : "";
    return read_dotted<false>(p, bytes != nullptr ? p + length : p, arcs, capacity, count);
}

pmc_long pms_oid_assign_arcs(IPmsOid* oid, const pmc_ulong* arcs, pmc_ulong count) {
    if (oid == nullptr || (arcs == nullptr && count != 0)) return PMC_E_INVALID_ARG;
    CPmsOid* ours = CPmsOid::from(oid);
    if (ours != nullptr && count == 0) {
        ours->clear();
        return PMC_S_OK;
    }
    const std::size_t length = dotted_length(arcs, count);
    if (ours != nullptr && count <= CPmsOid::CACHED_ARCS_MAX) return ours->store_arcs(arcs, count, length);
    if (ours != nullptr) {
        char* text = ours->edit_text().overwrite(length);
        if (text == nullptr) return PMC_E_NO_MEMORY;
        write_dotted(text, arcs, count);
        ours->set_arc_count(count);
        return PMC_S_OK;
    }
    // A host's identifier: hand it the text.
    std::vector<char> text;
    try {
        text.resize(length + 1);
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
    write_dotted(text.data(), arcs, count);
    text[length] = '\0';
    if (count == 0) {
        oid->clear();
        return PMC_S_OK;
    }
    return oid->set_bytes(reinterpret_cast<const unsigned char*>(text.data()), static_cast<pmc_ulong>(length));
}
