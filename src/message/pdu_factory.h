// Factories of PDUs, bindings and binding lists; status 0, or -3 and null.
#ifndef PMSNMP_PDU_FACTORY_H
#define PMSNMP_PDU_FACTORY_H

#include <pmsnmp/pdu.h>

IPmsPdu* create_pdu(pmc_long* status);
IPmsVarBind* create_varbind(pmc_long* status);
IPmsVarBindList* create_varbind_list(pmc_long* status);

#endif
