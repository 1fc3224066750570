#include "codec/forward_reader.h"

#include "codec/ber.h"

namespace {
constexpr unsigned char LENGTH_OCTETS_MASK = 0x7F;
constexpr pmc_ulong MAX_LENGTH_OCTETS = 4;
constexpr pmc_ulong INTEGER_OCTETS = 4;
constexpr pmc_ulong COUNTER64_OCTETS = 8;
constexpr unsigned char SIGN_BIT = 0x80;

// Sets aside leading octets that only pad the value, while more than
// `fits` octets remain.
void skip_padding(const unsigned char** contents, pmc_ulong* length, pmc_ulong fits,
                  bool sign_padding) {
    while (*length > fits) {
        const unsigned char first = (*contents)[0];
        const bool next_negative = ((*contents)[1] & SIGN_BIT) != 0;
        const bool padding = (first == 0x00 && (!sign_padding || !next_negative)) ||
                             (sign_padding && first == 0xFF && next_negative);
        if (!padding) return;
        ++*contents;
        --*length;
    }
}

// The 32-bit pattern of at most four octets, sign-extended.
pmc_ulong pattern_of(const unsigned char* contents, pmc_ulong length) {
    if (length == 0) return 0;
    pmc_ulong value = (contents[0] & SIGN_BIT) != 0 ? 0xFFFFFFFFu : 0u;
    for (pmc_ulong i = 0; i < length; ++i) value = (value << 8) | contents[i];
    return value;
}

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
    if (count == 0) return refuse("indefinite length");
    pmc_ulong value = 0;
    for (pmc_ulong i = 0; i < count; ++i) {
        unsigned char octet = 0;
        if (!read_octet(&octet)) return PMC_E_DECODE;
        // Leading zero octets are harmless; anything that would be shifted
        // out of 32 bits would silently give a different length.
        if (i + MAX_LENGTH_OCTETS >= count) {
            value = (value << 8) | octet;
        } else if (octet != 0) {
            return refuse("length beyond 32 bits");
        }
    }
    *length = value;
    return PMC_S_OK;
}

pmc_long CPmsForwardReader::read_header_slowly(unsigned char expected, pmc_ulong* length) {
    unsigned char tag = 0;
    if (!read_octet(&tag)) return PMC_E_DECODE;
    if (tag != expected) return refuse("unexpected tag");
    const pmc_long status = read_length(length);
    if (status != PMC_S_OK) return status;
    return *length <= remaining() ? PMC_S_OK : refuse("contents run past the end");
}

namespace NPmcBerContents {

pmc_long read_integer(const unsigned char* contents, pmc_ulong length, pmc_long* value) {
    skip_padding(&contents, &length, INTEGER_OCTETS, true);
    if (length > INTEGER_OCTETS) return PMC_E_DECODE;
    *value = static_cast<pmc_long>(pattern_of(contents, length));
    return PMC_S_OK;
}

pmc_long read_unsigned(const unsigned char* contents, pmc_ulong length, pmc_ulong* value) {
    skip_padding(&contents, &length, INTEGER_OCTETS, false);
    if (length > INTEGER_OCTETS) return PMC_E_DECODE;
    *value = pattern_of(contents, length);
    return PMC_S_OK;
}

pmc_long read_counter64(const unsigned char* contents, pmc_ulong length, pmc_ulong* high,
                        pmc_ulong* low) {
    skip_padding(&contents, &length, COUNTER64_OCTETS, false);
    if (length > COUNTER64_OCTETS) return PMC_E_DECODE;
    const pmc_ulong split = length > INTEGER_OCTETS ? length - INTEGER_OCTETS : 0;
    pmc_ulong h = 0;
    pmc_ulong l = 0;
    for (pmc_ulong i = 0; i < split; ++i) h = (h << 8) | contents[i];
    for (pmc_ulong i = split; i < length; ++i) l = (l << 8) | contents[i];
    *high = h;
    *low = l;
    return PMC_S_OK;
}

}  // namespace NPmcBerContents
