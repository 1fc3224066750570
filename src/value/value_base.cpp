#include "value/value_base.h"

#include "value/value_factory.h"

CPmsValueBase::~CPmsValueBase() = default;

pmc_long CPmsValueBase::init() { return PMC_S_OK; }

bool CPmsValueBase::same_type(const IPmsValue* other) const {
    return other != nullptr && other->get_type() == get_type();
}

pmc_long CPmsValueBase::accept(IPmsValueVisitor*) { return PMC_E_NOT_SUPPORTED; }

void CPmsValueBase::release() { delete this; }

IPmsValue* CPmsValueBase::clone(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return nullptr;
}

pmc_long CPmsValueBase::assign(const IPmsValue*) { return PMC_E_NOT_SUPPORTED; }

void CPmsValueBase::clear() {}

bool CPmsValueBase::equals(const IPmsValue*) const { return false; }

IPmsOid* CPmsValueBase::as_oid() { return nullptr; }

void CPmsValueBase::query_interface(pmc_long id, void** out) {
    if (out == nullptr) return;
    if (id == PMS_IID_VALUE) {
        *out = static_cast<IPmsValue*>(this);
    } else if (id == PMS_IID_VALUE_BASE) {
        *out = this;
    } else {
        *out = nullptr;
    }
}

bool CPmsValueBase::is_valid() const { return true; }

pmc_long CPmsValueBase::get_int(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return -1;
}

pmc_ulong CPmsValueBase::get_uint(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return PMS_BAD_NUMBER;
}

IPmcByteString* CPmsValueBase::get_text_new(pmc_long* status) const {
    IPmcByteString* text = pmc_create_byte_string(status);
    if (text == nullptr) return nullptr;
    pms_report(status, get_text_into(text));
    return text;
}

pmc_long CPmsValueBase::get_text_into(IPmcByteString*) const { return PMC_E_NOT_SUPPORTED; }

const unsigned char* CPmsValueBase::get_bytes(pmc_ulong*, pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return nullptr;
}

IPmcByteString* CPmsValueBase::get_bytes_new(pmc_long* status) const {
    IPmcByteString* bytes = pmc_create_byte_string(status);
    if (bytes == nullptr) return nullptr;
    pms_report(status, get_bytes_into(bytes));
    return bytes;
}

pmc_long CPmsValueBase::get_bytes_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    pmc_ulong length = 0;
    pmc_long status = PMC_S_OK;
    const unsigned char* data = get_bytes(&length, &status);
    if (status != PMC_S_OK) return status;
    return out->assign(data, length);
}

unsigned short CPmsValueBase::get_port(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return PMS_BAD_PORT;
}

pmc_ulong CPmsValueBase::get_uint_high(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return PMS_BAD_NUMBER;
}

pmc_ulong CPmsValueBase::get_uint_low(pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return PMS_BAD_NUMBER;
}

pmc_long CPmsValueBase::set_int(pmc_long) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::set_uint(pmc_ulong) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::set_text(const char*) { return PMC_E_NOT_SUPPORTED; }

pmc_long CPmsValueBase::set_text_from(const IPmcByteString* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    return set_text(reinterpret_cast<const char*>(text->get_data()));
}

pmc_long CPmsValueBase::set_bytes(const unsigned char*, pmc_ulong) { return PMC_E_NOT_SUPPORTED; }

pmc_long CPmsValueBase::set_bytes_from(const IPmcByteString* bytes) {
    if (bytes == nullptr) return PMC_E_INVALID_ARG;
    return set_bytes(bytes->get_data(), bytes->get_length());
}

pmc_long CPmsValueBase::set_port(unsigned short) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::set_uint_high(pmc_ulong) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::set_uint_low(pmc_ulong) { return PMC_E_NOT_SUPPORTED; }

pmc_ulong CPmsValueBase::get_length() const { return 0; }

pmc_ulong CPmsValueBase::get_index_length(bool) const { return get_length(); }

pmc_ulong CPmsValueBase::get_element(pmc_ulong, pmc_long* status) const {
    pms_report(status, PMC_E_NOT_SUPPORTED);
    return PMS_BAD_NUMBER;
}

pmc_long CPmsValueBase::append_index(IPmsOid*, bool) const { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::write_index(IPmsOid*, bool) const { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsValueBase::read_index(IPmsOid*, bool, pmc_ulong) { return PMC_E_NOT_SUPPORTED; }
