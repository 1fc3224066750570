#include "value/oid_msvc_view.h"

// Only MSVC hosts of the 32-bit DLL need it, but every GCC build does it so
// that the whole Linux suite runs on the objects such hosts get.
#if defined(__GXX_ABI_VERSION)

#include <algorithm>
#include <cstring>

namespace {

// GCC's table of the IPmsOid part: below the address point a vcall offset
// per IPmsValue slot, the offset of the virtual base, the offset to the top
// and the type information; above it IPmsValue's slots, then IPmsOid's.
constexpr std::size_t kBelow = PMS_VALUE_SLOTS + 3;
constexpr std::size_t kEntries = kBelow + PMS_VALUE_SLOTS + PMS_OID_OWN_SLOTS;

struct Tables {
    const void* entries[kEntries];
    // MSVC's virtual-base table, offsets from the pointer to it: to the
    // IPmsOid part, to the IPmsValue part.
    std::int32_t bases[2];
};

std::int32_t distance(const void* from, const void* to) {
    return static_cast<std::int32_t>(static_cast<const char*>(to) - static_cast<const char*>(from));
}

Tables make_tables(const IPmsOid* oid, const PmsMsvcBases* bases) {
    Tables tables;
    const void* const* gcc = *reinterpret_cast<const void* const* const*>(oid);
    std::memcpy(tables.entries, gcc - kBelow, sizeof tables.entries);
    // On 32-bit Windows both compilers call a member with this in ECX and
    // the arguments on the stack, so GCC's entry for IPmsOid's slot k (a thunk from the IPmsOid
    // part to CPmsOid) serves MSVC's slot k as it stands.
    std::copy_n(gcc + PMS_VALUE_SLOTS, PMS_OID_OWN_SLOTS, tables.entries + kBelow);
    tables.bases[0] = distance(bases, oid);
    tables.bases[1] = distance(bases, static_cast<const IPmsValue*>(oid));
    return tables;
}

}  // namespace

void pms_serve_msvc_hosts(IPmsOid* oid, PmsMsvcBases* bases) {
    // Every CPmsOid has the same layout, so the first one's offsets hold for all.
    static const Tables tables = make_tables(oid, bases);
    *reinterpret_cast<const void* const**>(oid) = tables.entries + kBelow;
    bases->table = tables.bases;
}

#else

void pms_serve_msvc_hosts(IPmsOid*, PmsMsvcBases*) {}

#endif
