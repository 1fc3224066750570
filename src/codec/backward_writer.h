// Writes BER from the end of a block towards its start, so that every
// element's length is known when its header is written.
#ifndef PMSNMP_CODEC_BACKWARD_WRITER_H
#define PMSNMP_CODEC_BACKWARD_WRITER_H

#include <pmsnmp/types.h>

#include "value/short_octets.h"

class CPmsBackwardWriter {
public:
    CPmsBackwardWriter(unsigned char* start, pmc_ulong size)
        : start_(start), end_(start + size), position_(start + size) {}

    // Once a write does not fit, the flag stays set and every later write
    // fails, so callers check it only at the points that report -211.
    void put(unsigned char octet) {
        if (overflow_ || position_ == start_) {
            overflow_ = true;
            return;
        }
        *--position_ = octet;
    }
    void put_run(const unsigned char* octets, pmc_ulong count) {
        if (overflow_ || room() < count) {
            overflow_ = true;
            return;
        }
        position_ -= count;
        pms_copy_short(position_, octets, count);
    }

    void put_length(pmc_ulong length) {
        if (length < SHORT_LENGTH_LIMIT) {
            put(static_cast<unsigned char>(length));
        } else {
            put_long_length(length);
        }
    }
    void put_header(unsigned char tag, pmc_ulong length) {
        if (!overflow_ && length < SHORT_LENGTH_LIMIT && room() >= SHORT_HEADER) {
            position_[-1] = static_cast<unsigned char>(length);
            position_[-2] = tag;
            position_ -= 2;
            return;
        }
        put_length(length);
        put(tag);
    }
    // Contents only: two's complement in the fewest octets.
    void put_signed(pmc_long number);
    // Contents only: big-endian, fewest octets with the top bit of the first
    // one clear.
    void put_unsigned(pmc_ulong number);
    // Contents of a Counter64 from its halves.
    void put_counter64(pmc_ulong high, pmc_ulong low);
    // Contents of an identifier with count arcs (count must not be 1).
    void put_oid_arcs(const pmc_ulong* arcs, pmc_ulong count);

    // Whole elements.
    void put_integer(unsigned char tag, pmc_long number) {
        if (overflow_ || room() < MAX_INTEGER_ELEMENT) {
            put_integer_slowly(tag, number);
            return;
        }
        const pmc_ulong count = signed_octets(number);
        auto pattern = static_cast<pmc_ulong>(number);
        for (pmc_ulong i = 0; i < count; ++i) {
            *--position_ = static_cast<unsigned char>(pattern & 0xFF);
            pattern >>= 8;
        }
        position_[-1] = static_cast<unsigned char>(count);
        position_[-2] = tag;
        position_ -= 2;
    }
    void put_unsigned_element(unsigned char tag, pmc_ulong number);

    bool overflowed() const { return overflow_; }
    // Octets written so far (from the position to the end).
    pmc_ulong written() const { return static_cast<pmc_ulong>(end_ - position_); }
    unsigned char* position() const { return position_; }

private:
    static constexpr pmc_ulong SHORT_LENGTH_LIMIT = 0x80;  // from here the long form
    static constexpr pmc_ulong SHORT_HEADER = 2;           // tag and one length octet
    static constexpr pmc_ulong MAX_INTEGER_ELEMENT = 6;    // tag, length, four octets

    pmc_ulong room() const { return static_cast<pmc_ulong>(position_ - start_); }
    // The octets of number in two's complement, fewest first: from the
    // magnitude bits, those of the complement for a negative number.
    static pmc_ulong signed_octets(pmc_long number) {
        const pmc_ulong bits = static_cast<pmc_ulong>(number < 0 ? ~number : number);
        if (bits < 0x80u) return 1;
        if (bits < 0x8000u) return 2;
        if (bits < 0x800000u) return 3;
        return 4;
    }
    void put_integer_slowly(unsigned char tag, pmc_long number);
    void put_long_length(pmc_ulong length);
    void put_subidentifier(unsigned long long value);

    unsigned char* start_;
    unsigned char* end_;
    unsigned char* position_;
    bool overflow_ = false;
};

#endif
