// Cutting a request that is too big (for the agent or for the maximum
// message size) into consecutive pieces, and joining the pieces' answers;
// the request session sends the pieces.
#ifndef PMSNMP_SESSION_REQUEST_FRAGMENTER_H
#define PMSNMP_SESSION_REQUEST_FRAGMENTER_H

#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>

typedef IPmcPtrList<IPmsPdu> IPmsPduList;

namespace NPmsRequestFragment {

// Moves pdu's bindings into n clones of pdu, in request order, the first
// (count mod n) pieces one binding longer. A new list the caller releases;
// null with *status -212 (fewer bindings than pieces; pdu keeps them),
// -2 (n < 2, null pdu), -3 or -1 (bindings left over).
IPmsPduList* fragment_pdu(IPmsPdu* pdu, pmc_ulong n, pmc_long* status);

// Joins the answered pieces into pdu: the first piece's type, the first
// error met with its index moved to the request's position, every binding
// in order. The pieces are left without bindings.
pmc_long join(IPmsPduList* pieces, IPmsPdu* pdu);

// After a failed piece the request gets back the bindings its pieces still
// hold, in order, so that a later request on the same PDU has something to
// send.
void restore_bindings(IPmsPduList* pieces, IPmsPdu* pdu);

}  // namespace NPmsRequestFragment

#endif
