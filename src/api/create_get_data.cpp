// The exported factory of the get-data facade.
#include <new>

#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"

PMSNMP_EXPORT IPmcGetData* pmc_create_get_data(pmc_long* status) {
    IPmcGetData* object = new (std::nothrow) CPmcGetData();
    if (status != nullptr) *status = object != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return object;
}
