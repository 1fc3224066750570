#include "value/value_factory.h"

#include <pmsnmp/owned.h>

#include "value/address_values.h"
#include "value/marker_values.h"
#include "value/number_values.h"
#include "value/octet_string.h"
#include "value/oid.h"

IPmsValue* pms_create_value(pmc_long type, pmc_long* status) {
    switch (type) {
        case PMS_TYPE_INTEGER: return pms_new_kind<CPmsInteger>(status);
        case PMS_TYPE_OCTET_STRING: return pms_new_kind<CPmsOctetString>(status);
        case PMS_TYPE_NULL: return pms_new_kind<CPmsNull>(status);
        case PMS_TYPE_OID: return static_cast<IPmsOid*>(pms_new_kind<CPmsOid>(status));
        case PMS_TYPE_IP_ADDRESS: return pms_new_kind<CPmsIpAddress>(status);
        case PMS_TYPE_COUNTER32: return pms_new_kind<CPmsCounter32>(status);
        case PMS_TYPE_GAUGE32: return pms_new_kind<CPmsGauge32>(status);
        case PMS_TYPE_TIME_TICKS: return pms_new_kind<CPmsTimeTicks>(status);
        case PMS_TYPE_OPAQUE: return pms_new_kind<CPmsOpaque>(status);
        case PMS_TYPE_COUNTER64: return pms_new_kind<CPmsCounter64>(status);
        case PMS_TYPE_IPV6_ADDRESS: return pms_new_kind<CPmsIpv6Address>(status);
        case PMS_TYPE_UDP_ADDRESS: return pms_new_kind<CPmsUdpAddress>(status);
        case PMS_TYPE_IPX_ADDRESS: return pms_new_kind<CPmsIpxAddress>(status);
        default: break;
    }
    if (CPmsException::is_exception_type(type)) return pms_new_kind<CPmsException>(status, type);
    pms_report(status, PMC_E_INVALID_ARG);
    return nullptr;
}

IPmsValue* pms_create_value_from_int(pmc_long number, pmc_long type, pmc_long* status) {
    pmc::Owned<IPmsValue> value(pms_create_value(type, status));
    if (!value) return nullptr;
    const pmc_long result = value->set_int(number);
    pms_report(status, result);
    return result == PMC_S_OK ? value.release() : nullptr;
}

IPmsValue* pms_create_value_from_text(const char* text, pmc_long type, pmc_long* status) {
    if (text == nullptr) {
        pms_report(status, PMC_E_INVALID_ARG);
        return nullptr;
    }
    pmc::Owned<IPmsValue> value(pms_create_value(type, status));
    if (!value) return nullptr;
    pmc_long result = value->set_text(text);
    if (result == PMC_S_OK && !value->is_valid()) result = PMC_E_INVALID_ARG;
    pms_report(status, result);
    return result == PMC_S_OK ? value.release() : nullptr;
}

IPmsOid* pms_create_oid(pmc_long* status) { return pms_new_kind<CPmsOid>(status); }

IPmsOid* pms_create_oid_from_text(const char* text, pmc_long* status) {
    pmc::Owned<IPmsOid> oid(pms_new_kind<CPmsOid>(status));
    if (!oid) return nullptr;
    pmc_long result = oid->set_text(text);
    if (result == PMC_S_OK && !oid->is_valid()) result = PMC_E_INVALID_ARG;
    pms_report(status, result);
    return result == PMC_S_OK ? oid.release() : nullptr;
}
