// The exported factory of the PDU list a walk hands its responses back in.
#include <pmsnmp/pmsnmp.h>

#include "message/ptr_list_impl.h"

PMSNMP_EXPORT IPmcPtrList<IPmsPdu>* pms_create_pdu_list(pmc_long* status) {
    return pmc_create_ptr_list<IPmsPdu>(status);
}
