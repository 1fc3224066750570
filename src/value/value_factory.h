// Factories of values, identifiers and byte strings. Every status pointer is
// optional; the caller releases what it gets.
#ifndef PMSNMP_VALUE_FACTORY_H
#define PMSNMP_VALUE_FACTORY_H

#include <pmsnmp/value.h>

IPmcByteString* pmc_create_byte_string(pmc_long* status);

IPmsValue* pms_create_value(pmc_long type, pmc_long* status);
IPmsValue* pms_create_value_from_int(pmc_long number, pmc_long type, pmc_long* status);
IPmsValue* pms_create_value_from_text(const char* text, pmc_long type, pmc_long* status);

IPmsOid* pms_create_oid(pmc_long* status);
IPmsOid* pms_create_oid_from_text(const char* text, pmc_long* status);

#endif
