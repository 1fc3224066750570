// Fast arc access for the codec: reads or replaces every arc of an identifier
// in one pass over its dotted text, without allocating per arc.
#ifndef PMSNMP_VALUE_OID_ARCS_H
#define PMSNMP_VALUE_OID_ARCS_H

#include <cstddef>

#include <pmsnmp/value.h>

// Fills arcs[0..*count) with the arcs of oid (the empty identifier has none)
// and returns 0. A malformed text (see is_valid, which also refuses an arc
// above 2^32 - 1) gives -2; more arcs than capacity gives PMC_E_OUT_OF_RANGE
// with *count set to the number needed, so the caller can retry with a
// larger buffer. null oid or count → -2; arcs may be null only when
// capacity is 0.
pmc_long pms_oid_read_arcs(const IPmsOid* oid, pmc_ulong* arcs, pmc_ulong capacity,
                           pmc_ulong* count);

// Replaces oid's text with the dotted form of arcs[0..count) (count 0 empties
// it); the arc count is known afterwards. Reuses the text buffer when it is
// large enough. null oid (or null arcs with count > 0) → -2; no memory → -3
// and oid unchanged.
pmc_long pms_oid_assign_arcs(IPmsOid* oid, const pmc_ulong* arcs, pmc_ulong count);

// The length of the dotted text of arcs[0..count), and writing it into text
// (which has room for exactly that); returns the end of what was written.
std::size_t pms_dotted_length(const pmc_ulong* arcs, pmc_ulong count);
char* pms_write_dotted(char* text, const pmc_ulong* arcs, pmc_ulong count);

#endif
