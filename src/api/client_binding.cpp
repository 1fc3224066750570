#include "api/client_binding.h"

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

namespace NPmcClient {

namespace {

std::string text_of(const IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcByteString> text(value->get_text_new(&status));
    if (!text || status != PMC_S_OK || text->get_length() == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(text->get_data()), text->get_length());
}

std::string bytes_of(const IPmsValue* value) {
    pmc_ulong length = 0;
    pmc_long status = PMC_S_OK;
    const unsigned char* data = value->get_bytes(&length, &status);
    if (data == nullptr || status != PMC_S_OK) return std::string();
    return std::string(reinterpret_cast<const char*>(data), length);
}

std::int64_t counter64_of(const IPmsValue* value) {
    const std::uint64_t high = value->get_uint_high(nullptr);
    return static_cast<std::int64_t>((high << 32) | value->get_uint_low(nullptr));
}

}  // namespace

bool Binding::is_absent() const {
    return type == PMS_TYPE_NO_SUCH_OBJECT || type == PMS_TYPE_NO_SUCH_INSTANCE ||
           type == PMS_TYPE_END_OF_MIB_VIEW;
}

bool Binding::is_numeric() const {
    return type == PMS_TYPE_INTEGER || type == PMS_TYPE_COUNTER32 || type == PMS_TYPE_GAUGE32 ||
           type == PMS_TYPE_TIME_TICKS || type == PMS_TYPE_COUNTER64;
}

Binding binding_of(const IPmsVarBind* source) {
    return binding_of(source, Oid::of(source->get_oid()).value_or(Oid()));
}

Binding binding_of(const IPmsVarBind* source, Oid name) {
    Binding binding;
    binding.oid = std::move(name);
    const IPmsValue* value = source->get_value();
    if (value == nullptr) return binding;
    binding.type = value->get_type();
    switch (binding.type) {
    case PMS_TYPE_INTEGER:
        binding.number = value->get_int(nullptr);
        break;
    case PMS_TYPE_COUNTER32:
    case PMS_TYPE_GAUGE32:
    case PMS_TYPE_TIME_TICKS:
        binding.number = value->get_uint(nullptr);
        break;
    case PMS_TYPE_COUNTER64:
        binding.number = counter64_of(value);
        break;
    case PMS_TYPE_OCTET_STRING:
    case PMS_TYPE_OPAQUE:
    case PMS_TYPE_IP_ADDRESS:
        binding.octets = bytes_of(value);
        break;
    case PMS_TYPE_OID:
        binding.oid_value = Oid::value_of(value).value_or(Oid());
        break;
    default:
        binding.octets = text_of(value);
        break;
    }
    return binding;
}

}  // namespace NPmcClient
