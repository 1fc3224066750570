// A value whose clone runs out of memory, to drive the failure paths of the
// deep copies.
#ifndef PMSNMP_TESTS_MESSAGE_FAILING_VALUE_H
#define PMSNMP_TESTS_MESSAGE_FAILING_VALUE_H

#include "value/value_base.h"

class FailingCloneValue final : public CPmsValueBase {
public:
    explicit FailingCloneValue(pmc_long type) : type_(type) {}
    pmc_long get_type() const override { return type_; }
    IPmsValue* clone(pmc_long* status) const override {
        if (status != nullptr) *status = PMC_E_NO_MEMORY;
        return nullptr;
    }
    bool equals(const IPmsValue* other) const override { return other == this; }

private:
    pmc_long type_;
};

#endif
