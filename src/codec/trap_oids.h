// The trap identifiers of SNMPv1 generic traps: snmpTraps.0.(g + 1)
// (RFC 3584, section 3.1).
#ifndef PMSNMP_CODEC_TRAP_OIDS_H
#define PMSNMP_CODEC_TRAP_OIDS_H

#include <pmsnmp/types.h>

namespace NPmcTrapOids {

// 1.3.6.1.6.3.1.1.5
constexpr pmc_ulong SNMP_TRAPS[] = {1, 3, 6, 1, 6, 3, 1, 1, 5};
constexpr pmc_ulong SNMP_TRAPS_ARCS = sizeof SNMP_TRAPS / sizeof SNMP_TRAPS[0];

constexpr pmc_long GENERIC_LAST = 5;                // egpNeighborLoss
constexpr pmc_long GENERIC_ENTERPRISE_SPECIFIC = 6;

inline bool is_snmp_traps(const pmc_ulong* arcs, pmc_ulong count) {
    if (count != SNMP_TRAPS_ARCS) return false;
    for (pmc_ulong i = 0; i < count; ++i) {
        if (arcs[i] != SNMP_TRAPS[i]) return false;
    }
    return true;
}

}  // namespace NPmcTrapOids

#endif
