// A bounds-checked cursor over received octets: every read either succeeds
// inside [position, end) or fails with -250 and reads nothing beyond end.
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
    // Narrows the readable range (never widens it).
    void limit(pmc_ulong length) {
        if (length < remaining()) end_ = position_ + length;
    }

    bool read_octet(unsigned char* octet) {
        if (position_ == end_) return false;
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
    pmc_long read_header(unsigned char expected, pmc_ulong* length);
    // A whole element: its contents are lent through contents and skipped.
    pmc_long read_element(unsigned char expected, const unsigned char** contents,
                          pmc_ulong* length);

private:
    const unsigned char* begin_;
    const unsigned char* position_;
    const unsigned char* end_;
};

// Content rules shared by the decoder's value kinds. All give 0 or -250.
namespace NPmcBerContents {

// INTEGER and the unsigned kinds: the 32-bit pattern (sign-extended).
pmc_long read_integer(const unsigned char* contents, pmc_ulong length, pmc_ulong* bits);
// Counter64: the last four octets are the low half, those before the high.
pmc_long read_counter64(const unsigned char* contents, pmc_ulong length, pmc_ulong* high,
                        pmc_ulong* low);

}  // namespace NPmcBerContents

#endif
