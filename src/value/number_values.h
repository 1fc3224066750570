// The number kinds: INTEGER, Gauge32 with Counter32 and TimeTicks, Counter64.
#ifndef PMSNMP_VALUE_NUMBER_VALUES_H
#define PMSNMP_VALUE_NUMBER_VALUES_H

#include "value/value_base.h"

class CPmsInteger : public CPmsValueBase {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override { m_number = 0; }
    pmc_long get_type() const override { return PMS_TYPE_INTEGER; }
    bool equals(const IPmsValue* other) const override;
    void query_interface(pmc_long id, void** out) override;
    pmc_long get_int(pmc_long* status) const override;
    pmc_long set_int(pmc_long number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    pmc_ulong get_length() const override { return 1; }
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;

private:
    pmc_long m_number = 0;
};

// Unsigned 32-bit number; Counter32 and TimeTicks differ only in type code,
// interface identifier and visitor operation.
class CPmsGauge32 : public CPmsValueBase {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override { m_number = 0; }
    pmc_long get_type() const override { return PMS_TYPE_GAUGE32; }
    bool equals(const IPmsValue* other) const override;
    void query_interface(pmc_long id, void** out) override;
    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    pmc_ulong get_length() const override { return 1; }
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;

private:
    pmc_ulong m_number = 0;
};

class CPmsCounter32 : public CPmsGauge32 {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_COUNTER32; }
    void query_interface(pmc_long id, void** out) override;
};

class CPmsTimeTicks : public CPmsGauge32 {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long get_type() const override { return PMS_TYPE_TIME_TICKS; }
    void query_interface(pmc_long id, void** out) override;
};

// Two unsigned halves; no index form.
class CPmsCounter64 : public CPmsValueBase {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override { m_high = m_low = 0; }
    pmc_long get_type() const override { return PMS_TYPE_COUNTER64; }
    bool equals(const IPmsValue* other) const override;
    void query_interface(pmc_long id, void** out) override;
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
    pmc_ulong m_high = 0;
    pmc_ulong m_low = 0;
};

#endif
