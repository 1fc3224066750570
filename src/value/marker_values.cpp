#include "value/marker_values.h"

pmc_long CPmsNull::accept(IPmsValueVisitor* visitor) {
    if (visitor == nullptr) return PMC_E_INVALID_ARG;
    return visitor->visit_null(this);
}

IPmsValue* CPmsNull::clone(pmc_long* status) const { return pms_clone_kind<CPmsNull>(*this, status); }

pmc_long CPmsNull::assign(const IPmsValue* other) {
    return same_type(other) ? PMC_S_OK : PMC_E_INVALID_ARG;
}

void CPmsNull::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_NULL)) {
        *out = this;
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

bool CPmsException::is_exception_type(pmc_long type) {
    return type == PMS_TYPE_NO_SUCH_OBJECT || type == PMS_TYPE_NO_SUCH_INSTANCE ||
           type == PMS_TYPE_END_OF_MIB_VIEW;
}

pmc_long CPmsException::accept(IPmsValueVisitor* visitor) {
    if (visitor == nullptr) return PMC_E_INVALID_ARG;
    return visitor->visit_exception(this);
}

IPmsValue* CPmsException::clone(pmc_long* status) const {
    return pms_clone_kind<CPmsException>(*this, status, type_);
}

pmc_long CPmsException::assign(const IPmsValue* other) {
    return same_type(other) ? PMC_S_OK : PMC_E_INVALID_ARG;
}

void CPmsException::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == PMS_IID_EXCEPTION) {
        *out = this;
        return;
    }
    CPmsValueBase::query_interface(id, out);
}
