// The target and PDU a thread peeks at received headers with. Every datagram
// a session receives is peeked at before it is decoded; keeping the two
// objects spares making and freeing them (and the PDU's binding list) for
// each one.
#ifndef PMSNMP_CODEC_PEEK_SCRATCH_H
#define PMSNMP_CODEC_PEEK_SCRATCH_H

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "message/snmp_target.h"

class CPmsPeekScratch {
public:
    // Lends the PDU and target to decode a header of translate_type into,
    // the PDU's request id and error status reset to a new PDU's, so that a
    // header which does not set them reads as it would into a new PDU.
    // Either may be null (no memory, or a translate type no target is made
    // for); the decoder then makes its own, as without the scratch.
    void lend(pmc_long translate_type, IPmsPdu** pdu, IPmsSnmpTarget** target);

    // This thread's scratch.
    static CPmsPeekScratch& local();

private:
    pmc::Owned<IPmsPdu> pdu_;
    pmc::Owned<IPmsSnmpTarget> target_;
    pmc_long translate_type_ = 0;
    pmc_long new_request_id_ = 0;
    pmc_long new_error_status_ = 0;
};

#endif
