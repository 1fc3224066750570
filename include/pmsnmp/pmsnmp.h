/// \file
/// pmsnmp: SNMP management-side library for printer status monitors.
/// The one header a host includes. libpmsnmp.so exports the two factories
/// below and no other symbol.
#ifndef PMSNMP_PMSNMP_H
#define PMSNMP_PMSNMP_H

#include <pmsnmp/types.h>
#include <pmsnmp/value.h>
#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>
#include <pmsnmp/get_data.h>
#include <pmsnmp/owned.h>

/// A new, unopened get-data object; status PMC_S_OK, or PMC_E_NO_MEMORY and null. The caller
/// releases it with release().
PMSNMP_EXPORT IPmcGetData* pmc_create_get_data(pmc_long* status);

/// A new, empty list of PDUs (the container a walk fills); status PMC_S_OK, or PMC_E_NO_MEMORY
/// and null. The caller releases it with release().
PMSNMP_EXPORT IPmcPtrList<IPmsPdu>* pms_create_pdu_list(pmc_long* status);

#endif
