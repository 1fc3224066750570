#include "value/number_values.h"

#include <charconv>
#include <cstdint>

#include "value/text_scan.h"

namespace {

template <class Number>
pmc_long put_decimal(IPmcByteString* out, Number number) {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, number);
    return out->assign(text, static_cast<pmc_ulong>(result.ptr - text));
}

// The single-arc index form shared by the 32-bit kinds.
pmc_long append_number_arc(IPmsOid* oid, pmc_ulong number) {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    return oid->append_arc(number);
}

pmc_long write_number_arc(IPmsOid* oid, pmc_ulong number) {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    return oid->set_uint(number);
}

// Arc 0 of source; on failure the number becomes 0xFFFFFFFF.
pmc_long read_number_arc(IPmsOid* source, pmc_ulong* number) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    const pmc_ulong arc = source->get_element(0, &status);
    *number = status == PMC_S_OK ? arc : PMS_BAD_NUMBER;
    return status;
}

pmc_long visit_or_refuse(IPmsValueVisitor* visitor) {
    return visitor == nullptr ? PMC_E_INVALID_ARG : PMC_S_OK;
}

}  // namespace

// INTEGER

pmc_long CPmsInteger::accept(IPmsValueVisitor* visitor) {
    if (visit_or_refuse(visitor) != PMC_S_OK) return PMC_E_INVALID_ARG;
    return visitor->visit_integer(this);
}

IPmsValue* CPmsInteger::clone(pmc_long* status) const { return pms_clone_kind<CPmsInteger>(*this, status); }

pmc_long CPmsInteger::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    m_number = other->get_int(nullptr);
    return PMC_S_OK;
}

bool CPmsInteger::equals(const IPmsValue* other) const {
    return same_type(other) && other->get_int(nullptr) == m_number;
}

void CPmsInteger::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_INTEGER)) {
        *out = this;
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

pmc_long CPmsInteger::get_int(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return m_number;
}

pmc_long CPmsInteger::set_int(pmc_long number) {
    m_number = number;
    return PMC_S_OK;
}

pmc_long CPmsInteger::get_text_into(IPmcByteString* out) const { return put_decimal(out, m_number); }

pmc_long CPmsInteger::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    m_number = static_cast<pmc_long>(pms_scan_atol(text));
    return PMC_S_OK;
}

pmc_long CPmsInteger::append_index(IPmsOid* oid, bool) const {
    return append_number_arc(oid, static_cast<pmc_ulong>(m_number));
}

pmc_long CPmsInteger::write_index(IPmsOid* oid, bool) const {
    return write_number_arc(oid, static_cast<pmc_ulong>(m_number));
}

pmc_long CPmsInteger::read_index(IPmsOid* source, bool, pmc_ulong) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    pmc_ulong number = 0;
    const pmc_long status = read_number_arc(source, &number);
    m_number = static_cast<pmc_long>(number);
    return status;
}

// Gauge32, Counter32, TimeTicks

pmc_long CPmsGauge32::accept(IPmsValueVisitor* visitor) {
    if (visit_or_refuse(visitor) != PMC_S_OK) return PMC_E_INVALID_ARG;
    return visitor->visit_gauge32(this);
}

IPmsValue* CPmsGauge32::clone(pmc_long* status) const { return pms_clone_kind<CPmsGauge32>(*this, status); }

pmc_long CPmsGauge32::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    m_number = other->get_uint(nullptr);
    return PMC_S_OK;
}

bool CPmsGauge32::equals(const IPmsValue* other) const {
    return same_type(other) && other->get_uint(nullptr) == m_number;
}

void CPmsGauge32::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_GAUGE32)) {
        *out = static_cast<CPmsGauge32*>(this);
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

pmc_ulong CPmsGauge32::get_uint(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return m_number;
}

pmc_long CPmsGauge32::set_uint(pmc_ulong number) {
    m_number = number;
    return PMC_S_OK;
}

pmc_long CPmsGauge32::get_text_into(IPmcByteString* out) const { return put_decimal(out, m_number); }

pmc_long CPmsGauge32::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    m_number = pms_scan_atol(text);
    return PMC_S_OK;
}

pmc_long CPmsGauge32::append_index(IPmsOid* oid, bool) const { return append_number_arc(oid, m_number); }

pmc_long CPmsGauge32::write_index(IPmsOid* oid, bool) const { return write_number_arc(oid, m_number); }

pmc_long CPmsGauge32::read_index(IPmsOid* source, bool, pmc_ulong) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    return read_number_arc(source, &m_number);
}

pmc_long CPmsCounter32::accept(IPmsValueVisitor* visitor) {
    if (visit_or_refuse(visitor) != PMC_S_OK) return PMC_E_INVALID_ARG;
    return visitor->visit_counter32(this);
}

IPmsValue* CPmsCounter32::clone(pmc_long* status) const { return pms_clone_kind<CPmsCounter32>(*this, status); }

void CPmsCounter32::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_COUNTER32)) {
        *out = this;
        return;
    }
    CPmsGauge32::query_interface(id, out);
}

pmc_long CPmsTimeTicks::accept(IPmsValueVisitor* visitor) {
    if (visit_or_refuse(visitor) != PMC_S_OK) return PMC_E_INVALID_ARG;
    return visitor->visit_time_ticks(this);
}

IPmsValue* CPmsTimeTicks::clone(pmc_long* status) const { return pms_clone_kind<CPmsTimeTicks>(*this, status); }

void CPmsTimeTicks::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_TIME_TICKS)) {
        *out = this;
        return;
    }
    CPmsGauge32::query_interface(id, out);
}

// Counter64

pmc_long CPmsCounter64::accept(IPmsValueVisitor* visitor) {
    if (visit_or_refuse(visitor) != PMC_S_OK) return PMC_E_INVALID_ARG;
    return visitor->visit_counter64(this);
}

IPmsValue* CPmsCounter64::clone(pmc_long* status) const { return pms_clone_kind<CPmsCounter64>(*this, status); }

pmc_long CPmsCounter64::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    m_high = other->get_uint_high(nullptr);
    m_low = other->get_uint_low(nullptr);
    return PMC_S_OK;
}

bool CPmsCounter64::equals(const IPmsValue* other) const {
    return same_type(other) && other->get_uint_high(nullptr) == m_high && other->get_uint_low(nullptr) == m_low;
}

void CPmsCounter64::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_COUNTER64)) {
        *out = this;
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

pmc_ulong CPmsCounter64::get_uint(pmc_long* status) const { return get_uint_low(status); }

pmc_long CPmsCounter64::set_uint(pmc_ulong number) {
    m_high = 0;
    m_low = number;
    return PMC_S_OK;
}

pmc_ulong CPmsCounter64::get_uint_high(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return m_high;
}

pmc_ulong CPmsCounter64::get_uint_low(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return m_low;
}

pmc_long CPmsCounter64::set_uint_high(pmc_ulong number) {
    m_high = number;
    return PMC_S_OK;
}

pmc_long CPmsCounter64::set_uint_low(pmc_ulong number) {
    m_low = number;
    return PMC_S_OK;
}

pmc_long CPmsCounter64::get_text_into(IPmcByteString* out) const {
    return put_decimal(out, (static_cast<std::uint64_t>(m_high) << 32) | m_low);
}

pmc_long CPmsCounter64::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    std::uint64_t number = 0;
    const bool complete = pms_scan_decimal64(text, &number);
    m_high = static_cast<pmc_ulong>(number >> 32);
    m_low = static_cast<pmc_ulong>(number);
    return complete ? PMC_S_OK : PMC_E_INVALID_ARG;
}
