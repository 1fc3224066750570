// The number kinds: INTEGER, Gauge32 with Counter32 and TimeTicks, Counter64.
#ifndef PMSNMP_VALUE_NUMBER_VALUES_H
#define PMSNMP_VALUE_NUMBER_VALUES_H

#include <type_traits>

#include "value/value_base.h"

// One 32-bit number, signed (INTEGER) or unsigned (the Gauge32 family): the
// signed kind answers get_int and set_int, the unsigned one get_uint and
// set_uint; the index form is the number as one arc.
template <class Number>
class CPmsNumber32 : public CPmsValueBase {
public:
    pmc_long assign(const IPmsValue* other) override;
    void clear() override { number_ = 0; }
    bool equals(const IPmsValue* other) const override;
    pmc_long get_int(pmc_long* status) const override;
    pmc_long set_int(pmc_long number) override;
    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    pmc_ulong get_length() const override { return 1; }
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;

private:
    static constexpr bool kSigned = std::is_signed<Number>::value;
    // The other value's number, read through the operation of this kind.
    static Number number_of(const IPmsValue* other);

    Number number_ = 0;
};

extern template class CPmsNumber32<pmc_long>;
extern template class CPmsNumber32<pmc_ulong>;

class CPmsInteger
    : public CPmsKind<CPmsInteger, CPmsNumber32<pmc_long>, PMS_TYPE_INTEGER, &IPmsValueVisitor::visit_integer> {};

class CPmsGauge32
    : public CPmsKind<CPmsGauge32, CPmsNumber32<pmc_ulong>, PMS_TYPE_GAUGE32, &IPmsValueVisitor::visit_gauge32> {};

// Counter32 and TimeTicks are a Gauge32 with their own type code,
// interface identifier and visitor operation.
class CPmsCounter32
    : public CPmsKind<CPmsCounter32, CPmsGauge32, PMS_TYPE_COUNTER32, &IPmsValueVisitor::visit_counter32> {};

class CPmsTimeTicks
    : public CPmsKind<CPmsTimeTicks, CPmsGauge32, PMS_TYPE_TIME_TICKS, &IPmsValueVisitor::visit_time_ticks> {};

// Two unsigned halves; no index form.
class CPmsCounter64Number : public CPmsValueBase {
public:
    pmc_long assign(const IPmsValue* other) override;
    void clear() override { high_ = low_ = 0; }
    bool equals(const IPmsValue* other) const override;
    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_ulong get_uint_high(pmc_long* status) const override;
    pmc_ulong get_uint_low(pmc_long* status) const override;
    pmc_long set_uint_high(pmc_ulong number) override;
    pmc_long set_uint_low(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    pmc_ulong get_length() const override { return 1; }

private:
    pmc_ulong high_ = 0;
    pmc_ulong low_ = 0;
};

class CPmsCounter64
    : public CPmsKind<CPmsCounter64, CPmsCounter64Number, PMS_TYPE_COUNTER64, &IPmsValueVisitor::visit_counter64> {};

#endif
