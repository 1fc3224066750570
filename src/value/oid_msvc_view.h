// An identifier as a host built with MSVC sees it. MSVC lays IPmsOid out as
// [table of IPmsOid's own slots][pointer to a virtual-base table][IPmsValue]
// and reaches IPmsValue through that second table; GCC as [one table:
// IPmsValue's slots, then IPmsOid's] and reaches IPmsValue through an offset
// stored below the table. CPmsOid keeps its IPmsValue part apart from its
// IPmsOid part and puts a virtual-base pointer right after the latter; the
// table of the IPmsOid part then repeats IPmsOid's slots at its start, where
// MSVC calls them. GCC code (ours and a MinGW host's) never calls those first
// slots through an IPmsOid pointer: it goes to IPmsValue through the offset,
// whose table is the same for both compilers. So one object serves both.
#ifndef PMSNMP_VALUE_OID_MSVC_VIEW_H
#define PMSNMP_VALUE_OID_MSVC_VIEW_H

#include <cstddef>
#include <cstdint>

#include <pmsnmp/value.h>

// The slot counts of the two interfaces, as both compilers lay them out
// (test_msvc_layout compares them with clang's layouts of the headers).
constexpr std::size_t PMS_VALUE_SLOTS = 35;
constexpr std::size_t PMS_OID_OWN_SLOTS = 21;
static_assert(PMS_OID_OWN_SLOTS <= PMS_VALUE_SLOTS,
              "MSVC's IPmsOid slots must fit where GCC callers never look");

// MSVC's virtual-base pointer of an identifier; it follows the IPmsOid part.
struct PmsMsvcBases {
    const std::int32_t* table = nullptr;
};

// Gives a new CPmsOid's IPmsOid part the table both kinds of host read and
// points bases at the table that leads MSVC hosts to its IPmsValue part. Only
// for CPmsOid objects; does nothing when not built with GCC's ABI.
void pms_serve_msvc_hosts(IPmsOid* oid, PmsMsvcBases* bases);

#endif
