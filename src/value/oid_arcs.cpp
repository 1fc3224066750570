#include "value/oid_arcs.h"

#include <charconv>
#include <memory>
#include <new>

#include "value/oid.h"

namespace {

std::size_t decimal_width(pmc_ulong arc) {
    std::size_t width = 1;
    while (arc >= 10) {
        arc /= 10;
        ++width;
    }
    return width;
}

std::size_t dotted_length(const pmc_ulong* arcs, pmc_ulong count) {
    std::size_t length = count != 0 ? count - 1 : 0;
    for (pmc_ulong i = 0; i < count; ++i) length += decimal_width(arcs[i]);
    return length;
}

// Writes the dotted form into text, which has room for exactly that.
void write_dotted(char* text, const pmc_ulong* arcs, pmc_ulong count) {
    char* p = text;
    for (pmc_ulong i = 0; i < count; ++i) {
        if (i != 0) *p++ = '.';
        p = std::to_chars(p, p + 10, arcs[i]).ptr;
    }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

pmc_long pms_oid_read_arcs(const IPmsOid* oid, pmc_ulong* arcs, pmc_ulong capacity, pmc_ulong* count) {
    if (oid == nullptr || count == nullptr || (arcs == nullptr && capacity != 0)) return PMC_E_INVALID_ARG;
    pmc_ulong length = 0;
    const unsigned char* bytes = oid->get_bytes(&length, nullptr);
    const char* p = bytes != nullptr ? reinterpret_cast<const char*>(bytes) : "";
    const char* const end = bytes != nullptr ? p + length : p;
    pmc_ulong found = 0;
    while (p != end) {
        // One arc: "0" or digits without a leading zero, then "." and more or the end.
        if (!is_digit(*p) || (*p == '0' && p + 1 != end && is_digit(p[1]))) return PMC_E_INVALID_ARG;
        pmc_ulong arc = 0;
        for (; p != end && is_digit(*p); ++p) arc = arc * 10u + static_cast<pmc_ulong>(*p - '0');
        if (found < capacity) arcs[found] = arc;
        ++found;
        if (p == end) break;
        if (*p != '.' || p + 1 == end) return PMC_E_INVALID_ARG;
        ++p;
    }
    *count = found;
    return found > capacity ? PMC_E_OUT_OF_RANGE : PMC_S_OK;
}

pmc_long pms_oid_assign_arcs(IPmsOid* oid, const pmc_ulong* arcs, pmc_ulong count) {
    if (oid == nullptr || (arcs == nullptr && count != 0)) return PMC_E_INVALID_ARG;
    const std::size_t length = dotted_length(arcs, count);
    if (CPmsOid* ours = CPmsOid::from(oid)) {
        if (count == 0) {
            ours->clear();
            return PMC_S_OK;
        }
        char* text = ours->text().overwrite(length);
        if (text == nullptr) return PMC_E_NO_MEMORY;
        write_dotted(text, arcs, count);
        ours->set_arc_count(count);
        return PMC_S_OK;
    }
    // A host's identifier: hand it the text.
    std::unique_ptr<char[]> text(new (std::nothrow) char[length + 1]);
    if (!text) return PMC_E_NO_MEMORY;
    write_dotted(text.get(), arcs, count);
    text[length] = '\0';
    if (count == 0) {
        oid->clear();
        return PMC_S_OK;
    }
    return oid->set_bytes(reinterpret_cast<const unsigned char*>(text.get()), static_cast<pmc_ulong>(length));
}
