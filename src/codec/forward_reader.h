// A bounds-checked cursor over received octets: every read either succeeds
// inside [position, end) or fails with -250 and reads nothing beyond end;
// failure() then says why, for the decoder's log line.
#ifndef PMSNMP_CODEC_FORWARD_READER_H
#define PMSNMP_CODEC_FORWARD_READER_H

#include <pmsnmp/types.h>

class CPmsForwardReader {
public:
    CPmsForwardReader(const unsigned char* begin, const unsigned char* end)
        : begin_(begin), position_(begin), end_(end) {}

    const unsigned char* begin() const { return begin_; }
    const unsigned char* position() const { return position_; }
    const unsigned char* end() const { return end_; }
    pmc_ulong remaining() const { return static_cast<pmc_ulong>(end_ - position_); }
    bool at_end() const { return position_ == end_; }
    pmc_ulong consumed() const { return static_cast<pmc_ulong>(position_ - begin_); }
    // Why the last failed read failed (a static text), or null.
    const char* failure() const { return failure_; }
    // Narrows the readable range (never widens it).
    void limit(pmc_ulong length) {
        if (length < remaining()) end_ = position_ + length;
    }

    bool read_octet(unsigned char* octet) {
        if (position_ == end_) return fail("no octets left");
        *octet = *position_++;
        return true;
    }
    bool peek_octet(unsigned char* octet) const {
        if (position_ == end_) return false;
        *octet = *position_;
        return true;
    }
    bool skip(pmc_ulong count) {
        if (count > remaining()) return false;
        position_ += count;
        return true;
    }

    // Length octets; the indefinite form, more than 32 bits and running out
    // of data give -250. The length is not checked against what remains.
    pmc_long read_length(pmc_ulong* length);
    // Tag (must equal expected) and length, which must fit in what remains.
    pmc_long read_header(unsigned char expected, pmc_ulong* length) {
        // The short length form needs no call; anything else, or any fault,
        // takes the full path from the same position.
        if (remaining() >= SHORT_HEADER && position_[0] == expected &&
            position_[1] < SHORT_LENGTH_LIMIT && position_[1] <= remaining() - SHORT_HEADER) {
            *length = position_[1];
            position_ += SHORT_HEADER;
            return PMC_S_OK;
        }
        return read_header_slowly(expected, length);
    }
    // An INTEGER of up to four octets in the short length form, the usual
    // case, sign-extended into *value; false (nothing read) for anything
    // else, which read_element and NPmcBerContents then judge.
    bool read_short_integer(unsigned char expected, pmc_long* value) {
        if (remaining() < SHORT_HEADER || position_[0] != expected) return false;
        const pmc_ulong length = position_[1];
        if (length == 0 || length > SHORT_INTEGER_OCTETS || length > remaining() - SHORT_HEADER) return false;
        const unsigned char* octet = position_ + SHORT_HEADER;
        pmc_ulong pattern = (octet[0] & SIGN_BIT) != 0 ? ALL_ONES : 0u;
        for (pmc_ulong i = 0; i < length; ++i) pattern = (pattern << 8) | octet[i];
        *value = static_cast<pmc_long>(pattern);
        position_ = octet + length;
        return true;
    }
    // A whole element: its contents are lent through contents and skipped.
    pmc_long read_element(unsigned char expected, const unsigned char** contents,
                          pmc_ulong* length) {
        const pmc_long status = read_header(expected, length);
        if (status != PMC_S_OK) return status;
        *contents = position_;
        position_ += *length;
        return PMC_S_OK;
    }

private:
    static constexpr pmc_ulong SHORT_HEADER = 2;              // tag and one length octet
    static constexpr unsigned char SHORT_LENGTH_LIMIT = 0x80;  // from here the long form
    static constexpr pmc_ulong SHORT_INTEGER_OCTETS = 4;       // no padding to set aside
    static constexpr unsigned char SIGN_BIT = 0x80;
    static constexpr pmc_ulong ALL_ONES = 0xFFFFFFFFu;

    pmc_long read_header_slowly(unsigned char expected, pmc_ulong* length);
    bool fail(const char* reason) {
        failure_ = reason;
        return false;
    }
    pmc_long refuse(const char* reason) {
        failure_ = reason;
        return PMC_E_DECODE;
    }

    const unsigned char* begin_;
    const unsigned char* position_;
    const unsigned char* end_;
    const char* failure_ = nullptr;
};

// Content rules shared by the decoder's value kinds. All give 0, or -250
// for a value that does not fit its kind: padding an agent puts in front
// never makes a larger number fit, and nothing is cut to size.
namespace NPmcBerContents {

// INTEGER: -2^31 ... 2^31 - 1. Leading 0x00 or 0xFF octets that do not
// change the value are accepted.
pmc_long read_integer(const unsigned char* contents, pmc_ulong length, pmc_long* value);
// Counter32, Gauge32, TimeTicks: at most 32 bits after leading 0x00
// octets. Up to four octets are taken as the 32-bit pattern, sign bit
// included, as agents that leave out the zero octet mean it.
pmc_long read_unsigned(const unsigned char* contents, pmc_ulong length, pmc_ulong* value);
// Counter64: at most 64 bits after leading 0x00 octets; the last four
// octets are the low half, those before the high.
pmc_long read_counter64(const unsigned char* contents, pmc_ulong length, pmc_ulong* high,
                        pmc_ulong* low);

}  // namespace NPmcBerContents

#endif
