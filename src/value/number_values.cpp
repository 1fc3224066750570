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

}  // namespace

// INTEGER and the Gauge32 family

template <class Number>
Number CPmsNumber32<Number>::number_of(const IPmsValue* other) {
    if constexpr (kSigned) {
        return other->get_int(nullptr);
    } else {
        return other->get_uint(nullptr);
    }
}

template <class Number>
pmc_long CPmsNumber32<Number>::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    number_ = number_of(other);
    return PMC_S_OK;
}

template <class Number>
bool CPmsNumber32<Number>::equals(const IPmsValue* other) const {
    return same_type(other) && number_of(other) == number_;
}

template <class Number>
pmc_long CPmsNumber32<Number>::get_int(pmc_long* status) const {
    if constexpr (!kSigned) return CPmsValueBase::get_int(status);
    pms_report(status, PMC_S_OK);
    return static_cast<pmc_long>(number_);
}

template <class Number>
pmc_long CPmsNumber32<Number>::set_int(pmc_long number) {
    if constexpr (!kSigned) return CPmsValueBase::set_int(number);
    number_ = static_cast<Number>(number);
    return PMC_S_OK;
}

template <class Number>
pmc_ulong CPmsNumber32<Number>::get_uint(pmc_long* status) const {
    if constexpr (kSigned) return CPmsValueBase::get_uint(status);
    pms_report(status, PMC_S_OK);
    return static_cast<pmc_ulong>(number_);
}

template <class Number>
pmc_long CPmsNumber32<Number>::set_uint(pmc_ulong number) {
    if constexpr (kSigned) return CPmsValueBase::set_uint(number);
    number_ = static_cast<Number>(number);
    return PMC_S_OK;
}

template <class Number>
pmc_long CPmsNumber32<Number>::get_text_into(IPmcByteString* out) const {
    return put_decimal(out, number_);
}

template <class Number>
pmc_long CPmsNumber32<Number>::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    number_ = static_cast<Number>(pms_scan_atol(text));
    return PMC_S_OK;
}

template <class Number>
pmc_long CPmsNumber32<Number>::append_index(IPmsOid* oid, bool) const {
    return append_number_arc(oid, static_cast<pmc_ulong>(number_));
}

template <class Number>
pmc_long CPmsNumber32<Number>::write_index(IPmsOid* oid, bool) const {
    return write_number_arc(oid, static_cast<pmc_ulong>(number_));
}

template <class Number>
pmc_long CPmsNumber32<Number>::read_index(IPmsOid* source, bool, pmc_ulong) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    pmc_ulong number = 0;
    const pmc_long status = read_number_arc(source, &number);
    number_ = static_cast<Number>(number);
    return status;
}

template class CPmsNumber32<pmc_long>;
template class CPmsNumber32<pmc_ulong>;

// Counter64

pmc_long CPmsCounter64Number::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    high_ = other->get_uint_high(nullptr);
    low_ = other->get_uint_low(nullptr);
    return PMC_S_OK;
}

bool CPmsCounter64Number::equals(const IPmsValue* other) const {
    return same_type(other) && other->get_uint_high(nullptr) == high_ && other->get_uint_low(nullptr) == low_;
}

pmc_ulong CPmsCounter64Number::get_uint(pmc_long* status) const { return get_uint_low(status); }

pmc_long CPmsCounter64Number::set_uint(pmc_ulong number) {
    high_ = 0;
    low_ = number;
    return PMC_S_OK;
}

pmc_ulong CPmsCounter64Number::get_uint_high(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return high_;
}

pmc_ulong CPmsCounter64Number::get_uint_low(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return low_;
}

pmc_long CPmsCounter64Number::set_uint_high(pmc_ulong number) {
    high_ = number;
    return PMC_S_OK;
}

pmc_long CPmsCounter64Number::set_uint_low(pmc_ulong number) {
    low_ = number;
    return PMC_S_OK;
}

pmc_long CPmsCounter64Number::get_text_into(IPmcByteString* out) const {
    return put_decimal(out, (static_cast<std::uint64_t>(high_) << 32) | low_);
}

pmc_long CPmsCounter64Number::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    std::uint64_t number = 0;
    const bool complete = pms_scan_decimal64(text, &number);
    high_ = static_cast<pmc_ulong>(number >> 32);
    low_ = static_cast<pmc_ulong>(number);
    return complete ? PMC_S_OK : PMC_E_INVALID_ARG;
}
