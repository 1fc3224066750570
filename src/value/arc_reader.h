// Sequential element reader over an identifier's dotted text. Gives exactly
// what get_element would, without rescanning the text for every position
// (which made index decoding quadratic).
#ifndef PMSNMP_VALUE_ARC_READER_H
#define PMSNMP_VALUE_ARC_READER_H

#include <cstddef>

#include <pmsnmp/value.h>

class PmsArcReader {
public:
    // source must outlive the reader and keep its text meanwhile.
    explicit PmsArcReader(const IPmsOid& source);

    pmc_ulong arc_count() const { return arc_count_; }
    // Arc `position`: 0 and the arc, -8 on the empty identifier, -7 beyond
    // the arcs. Forward reads cost only the arcs skipped.
    pmc_long get(pmc_ulong position, pmc_ulong* arc);

private:
    const char* text_ = nullptr;
    std::size_t length_ = 0;
    pmc_ulong arc_count_ = 0;
    pmc_ulong next_position_ = 0;  // arc starting at next_offset_
    std::size_t next_offset_ = 0;
};

// Counts arcs the way identifiers do: 0 for the empty text, else dots + 1.
pmc_ulong pms_count_arcs(const char* text, std::size_t length);

#endif
