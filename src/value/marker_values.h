// The kinds without content: NULL and the three SNMPv2 exceptions.
#ifndef PMSNMP_VALUE_MARKER_VALUES_H
#define PMSNMP_VALUE_MARKER_VALUES_H

#include "value/value_base.h"

class CPmsNull : public CPmsValueBase {
public:
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    pmc_long get_type() const override { return PMS_TYPE_NULL; }
    bool equals(const IPmsValue* other) const override { return same_type(other); }
    void query_interface(pmc_long id, void** out) override;
};

// noSuchObject, noSuchInstance or endOfMibView; the code is fixed for life.
class CPmsException : public CPmsValueBase {
public:
    explicit CPmsException(pmc_long type) : type_(type) {}
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    pmc_long get_type() const override { return type_; }
    bool equals(const IPmsValue* other) const override { return same_type(other); }
    void query_interface(pmc_long id, void** out) override;

    static bool is_exception_type(pmc_long type);

private:
    const pmc_long type_;
};

#endif
