// Splitting a request that is too big (for the agent or for the maximum
// message size) into consecutive pieces, and joining the pieces' answers.
#ifndef PMSNMP_SESSION_REQUEST_FRAGMENTER_H
#define PMSNMP_SESSION_REQUEST_FRAGMENTER_H

#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>

#include "message/snmp_target.h"

typedef IPmcPtrList<IPmsPdu> IPmsPduList;

// One exchange of one PDU, as the request session runs it: the answer
// overwrites pdu. A request that is too big names the number of pieces it
// should be cut into through *split_count (left 0 otherwise).
class IPmsPieceExchange {
public:
    virtual pmc_long send_and_receive(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                      pmc_ulong* split_count) = 0;

protected:
    ~IPmsPieceExchange() = default;
};

namespace NPmsRequestFragment {

// Moves pdu's bindings into n clones of pdu, in request order, the first
// (count mod n) pieces one binding longer. A new list the caller releases;
// null with *status -212 (fewer bindings than pieces; pdu keeps them),
// -2 (n < 2, null pdu), -3 or -1 (bindings left over).
IPmsPduList* fragment_pdu(IPmsPdu* pdu, pmc_ulong n, pmc_long* status);

// Sends pdu in n pieces through exchange (splitting a piece again when it
// is still too big) and joins the answers into pdu. 0, or the first
// failure; on failure pdu gets back the bindings its pieces hold.
pmc_long fragment_process(IPmsPieceExchange* exchange, IPmsPdu* pdu, IPmsSnmpTarget* target,
                          pmc_ulong n);

// One exchange plus the splitting it asks for: what every request and
// every piece goes through.
pmc_long send_and_split(IPmsPieceExchange* exchange, IPmsPdu* pdu, IPmsSnmpTarget* target);

// Joins the answered pieces into pdu: the first piece's type, the first
// error met with its index moved to the request's position, every binding
// in order. The pieces are left without bindings.
pmc_long join(IPmsPduList* pieces, IPmsPdu* pdu);

}  // namespace NPmsRequestFragment

#endif
