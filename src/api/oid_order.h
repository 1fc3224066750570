// Identifier order as SNMP defines it: arc by arc as numbers, a proper prefix
// first. IPmsOid::compare orders by text ("1.10" before "1.9"), which cannot
// tell whether a GetNext answer really advanced.
#ifndef PMSNMP_API_OID_ORDER_H
#define PMSNMP_API_OID_ORDER_H

#include <pmsnmp/value.h>

namespace NPmcOidOrder {

// *order becomes -1, 0 or 1 as a sorts before, equals or sorts after b.
// Returns 0; -2 for a null argument or a malformed identifier text; -3.
pmc_long compare(const IPmsOid* a, const IPmsOid* b, int* order);

}  // namespace NPmcOidOrder

#endif
