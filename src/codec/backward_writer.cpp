#include "codec/backward_writer.h"

#include "codec/ber.h"

void CPmsBackwardWriter::put_long_length(pmc_ulong length) {
    unsigned char octets = 0;
    while (length != 0) {
        put(static_cast<unsigned char>(length & 0xFF));
        length >>= 8;
        ++octets;
    }
    put(static_cast<unsigned char>(NPmcBer::LENGTH_LONG_FORM | octets));
}

void CPmsBackwardWriter::put_signed(pmc_long number) {
    const pmc_ulong count = signed_octets(number);
    pmc_ulong pattern = static_cast<pmc_ulong>(number);
    for (pmc_ulong i = 0; i < count; ++i) {
        put(static_cast<unsigned char>(pattern & 0xFF));
        pattern >>= 8;
    }
}

void CPmsBackwardWriter::put_unsigned(pmc_ulong number) {
    do {
        put(static_cast<unsigned char>(number & 0xFF));
        number >>= 8;
    } while (number != 0);
    // A set top bit would read back as negative: lead with a zero octet.
    if (!overflow_ && (*position_ & 0x80) != 0) put(0x00);
}

void CPmsBackwardWriter::put_counter64(pmc_ulong high, pmc_ulong low) {
    if (high == 0) {
        put_unsigned(low);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        put(static_cast<unsigned char>(low & 0xFF));
        low >>= 8;
    }
    put_unsigned(high);
}

void CPmsBackwardWriter::put_subidentifier(unsigned long long value) {
    put(static_cast<unsigned char>(value & NPmcBer::SUBID_MASK));
    value >>= 7;
    while (value != 0) {
        put(static_cast<unsigned char>(NPmcBer::SUBID_MORE | (value & NPmcBer::SUBID_MASK)));
        value >>= 7;
    }
}

void CPmsBackwardWriter::put_oid_arcs(const pmc_ulong* arcs, pmc_ulong count) {
    if (count < 2) return;  // no arcs: empty contents
    // A 32-bit arc takes at most 5 octets, the packed first one at most 5
    // too (2^32 + 79 < 2^35): with that much room no octet needs a check.
    constexpr pmc_ulong MAX_SUBID_OCTETS = 5;
    if (overflow_ || count > room() / MAX_SUBID_OCTETS) {
        for (pmc_ulong i = count - 1; i >= 2; --i) put_subidentifier(arcs[i]);
        put_subidentifier(static_cast<unsigned long long>(arcs[0]) * NPmcBer::FIRST_ARC_FACTOR +
                          arcs[1]);
        return;
    }
    unsigned char* p = position_;
    for (pmc_ulong i = count - 1; i >= 2; --i) {
        pmc_ulong arc = arcs[i];
        if (arc < NPmcBer::SUBID_MORE) {
            *--p = static_cast<unsigned char>(arc);
            continue;
        }
        *--p = static_cast<unsigned char>(arc & NPmcBer::SUBID_MASK);
        for (arc >>= 7; arc != 0; arc >>= 7) {
            *--p = static_cast<unsigned char>(NPmcBer::SUBID_MORE | (arc & NPmcBer::SUBID_MASK));
        }
    }
    // 64-bit so that a large second arc cannot wrap the packed first one.
    unsigned long long first =
        static_cast<unsigned long long>(arcs[0]) * NPmcBer::FIRST_ARC_FACTOR + arcs[1];
    *--p = static_cast<unsigned char>(first & NPmcBer::SUBID_MASK);
    for (first >>= 7; first != 0; first >>= 7) {
        *--p = static_cast<unsigned char>(NPmcBer::SUBID_MORE | (first & NPmcBer::SUBID_MASK));
    }
    position_ = p;
}

void CPmsBackwardWriter::put_integer_slowly(unsigned char tag, pmc_long number) {
    const pmc_ulong before = written();
    put_signed(number);
    put_header(tag, written() - before);
}

void CPmsBackwardWriter::put_unsigned_element(unsigned char tag, pmc_ulong number) {
    const pmc_ulong before = written();
    put_unsigned(number);
    put_header(tag, written() - before);
}
