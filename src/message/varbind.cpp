// A variable binding: an owned identifier, an owned value and a status.
#include <new>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"
#include "message/same_object.h"
#include "value/library_object.h"
#include "value/value_factory.h"

namespace {

class CPmsVarBind final : public IPmsVarBind, private PmcNoCopy {
public:
    void release() override { delete this; }

    IPmsVarBind* clone(pmc_long* status) const override {
        pmc_long result = PMC_S_OK;
        pmc::Owned<CPmsVarBind> copy(new (std::nothrow) CPmsVarBind());
        if (!copy) result = PMC_E_NO_MEMORY;
        if (result == PMC_S_OK && oid_) {
            copy->oid_.reset(oid_->clone_oid(&result));
            if (!copy->oid_ && result == PMC_S_OK) result = PMC_E_NO_MEMORY;
        }
        if (result == PMC_S_OK && value_) {
            copy->value_.reset(value_->clone(&result));
            if (!copy->value_ && result == PMC_S_OK) result = PMC_E_NO_MEMORY;
        }
        if (status != nullptr) *status = result;
        return result == PMC_S_OK ? copy.release() : nullptr;
    }

    bool equals(const IPmsVarBind* other) const override {
        if (other == nullptr) return false;
        return pms_same_object(value_.get(), other->get_value()) &&
               pms_same_object(oid_.get(), other->get_oid()) && status_ == other->get_status();
    }

    pmc_long set(IPmsOid* oid, IPmsValue* value) override {
        if (value == nullptr) {
            // Made before anything is released, so that a failure changes nothing.
            pmc_long status = PMC_S_OK;
            value = pms_create_value(PMS_TYPE_NULL, &status);
            if (value == nullptr) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        }
        replace(oid_, oid);
        replace(value_, value);
        return PMC_S_OK;
    }
    pmc_long set_pair(IPmsOid* oid, IPmsValue* value) override { return set(oid, value); }

    void detach(IPmsOid** oid, IPmsValue** value) override {
        if (oid != nullptr) *oid = oid_.release();
        if (value != nullptr) *value = value_.release();
        oid_.reset();
        value_.reset();
    }

    void set_oid(IPmsOid* oid) override { replace(oid_, oid); }
    void set_value(IPmsValue* value) override { replace(value_, value); }
    IPmsOid* get_oid() const override { return oid_.get(); }
    IPmsValue* get_value() const override { return value_.get(); }
    pmc_long get_status() const override { return status_; }
    void set_status(pmc_long status) override { status_ = status; }

private:
    // Setting the object already held must not release it.
    template <class T>
    static void replace(pmc::Owned<T>& slot, T* object) {
        if (slot.get() != object) slot.reset(object);
    }

    pmc::Owned<IPmsOid> oid_;
    pmc::Owned<IPmsValue> value_;
    pmc_long status_ = PMS_ERR_NO_ERROR;
};

}  // namespace

IPmsVarBind* create_varbind(pmc_long* status) {
    return pmc_new_object<CPmsVarBind>(status);
}
