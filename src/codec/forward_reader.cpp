#include "codec/forward_reader.h"

#include "codec/ber.h"

namespace {
constexpr unsigned char LENGTH_OCTETS_MASK = 0x7F;
constexpr pmc_ulong MAX_LENGTH_OCTETS = 4;
constexpr pmc_ulong INTEGER_OCTETS = 4;
}  // namespace

pmc_long CPmsForwardReader::read_length(pmc_ulong* length) {
    unsigned char first = 0;
    if (!read_octet(&first)) return PMC_E_DECODE;
    if (first < NPmcBer::LENGTH_LONG_FORM) {
        *length = first;
        return PMC_S_OK;
    }
    // Indefinite length (0x80) is prohibited in SNMP (RFC 3417, section 8).
    const pmc_ulong count = first & LENGTH_OCTETS_MASK;
    if (count == 0) return PMC_E_DECODE;
    pmc_ulong value = 0;
    for (pmc_ulong i = 0; i < count; ++i) {
        unsigned char octet = 0;
        if (!read_octet(&octet)) return PMC_E_DECODE;
        // Leading zero octets are harmless; anything that would be shifted
        // out of 32 bits would silently give a different length.
        if (i + MAX_LENGTH_OCTETS >= count) {
            value = (value << 8) | octet;
        } else if (octet != 0) {
            return PMC_E_DECODE;
        }
    }
    *length = value;
    return PMC_S_OK;
}

pmc_long CPmsForwardReader::read_header(unsigned char expected, pmc_ulong* length) {
    unsigned char tag = 0;
    if (!read_octet(&tag) || tag != expected) return PMC_E_DECODE;
    const pmc_long status = read_length(length);
    if (status != PMC_S_OK) return status;
    return *length <= remaining() ? PMC_S_OK : PMC_E_DECODE;
}

pmc_long CPmsForwardReader::read_element(unsigned char expected, const unsigned char** contents,
                                         pmc_ulong* length) {
    const pmc_long status = read_header(expected, length);
    if (status != PMC_S_OK) return status;
    *contents = position_;
    position_ += *length;
    return PMC_S_OK;
}

namespace NPmcBerContents {

pmc_long read_integer(const unsigned char* contents, pmc_ulong length, pmc_ulong* bits) {
    if (length == 0) {
        *bits = 0;
        return PMC_S_OK;
    }
    // Five octets are only valid as a zero octet before a 32-bit pattern
    // with its top bit set.
    if (length == INTEGER_OCTETS + 1 && contents[0] != 0) return PMC_E_DECODE;
    pmc_ulong value = (contents[0] & 0x80) != 0 ? 0xFFFFFFFFu : 0u;
    for (pmc_ulong i = 0; i < length; ++i) value = (value << 8) | contents[i];
    *bits = value;
    return PMC_S_OK;
}

pmc_long read_counter64(const unsigned char* contents, pmc_ulong length, pmc_ulong* high,
                        pmc_ulong* low) {
    pmc_ulong split = length > INTEGER_OCTETS ? length - INTEGER_OCTETS : 0;
    pmc_ulong h = 0;
    pmc_ulong l = 0;
    for (pmc_ulong i = 0; i < split; ++i) h = (h << 8) | contents[i];
    for (pmc_ulong i = split; i < length; ++i) l = (l << 8) | contents[i];
    *high = h;
    *low = l;
    return PMC_S_OK;
}

}  // namespace NPmcBerContents
