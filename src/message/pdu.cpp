// The protocol data unit: header fields, an optional binding list, and the
// time-stamp and identity of an SNMPv1 trap.
#include <new>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"
#include "message/same_object.h"
#include "value/library_object.h"

namespace {

// What clear() leaves in the error status: no answer has been read yet.
constexpr pmc_long kErrorStatusCleared = -1;

class CPmsPdu final : public IPmsPdu, private PmcNoCopy {
public:
    void release() override { delete this; }

    void clear() override {
        list_.reset();
        timestamp_.reset();
        trap_oid_.reset();
        type_ = PMS_PDU_NONE;
        error_status_ = kErrorStatusCleared;
        error_index_ = 0;
    }

    IPmsPdu* clone(pmc_long* status) override {
        pmc_long result = PMC_S_OK;
        pmc::Owned<IPmsPdu> copy(create_pdu(&result));
        if (copy) result = copy->copy_from(this);
        if (status != nullptr) *status = result;
        return result == PMC_S_OK ? copy.release() : nullptr;
    }

    pmc_long copy_from(IPmsPdu* source) override {
        if (source == nullptr) return PMC_E_INVALID_ARG;
        if (source == this) return PMC_S_OK;
        pmc::Owned<IPmsVarBindList> list;
        pmc_long status = PMC_S_OK;
        if (IPmsVarBindList* source_list = source->get_varbind_list()) {
            list.reset(source_list->clone(&status));
            if (!list) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        }
        status = copy_header(source);
        if (status == PMC_S_OK) list_ = std::move(list);
        return status;
    }

    pmc_long copy_header(IPmsPdu* source) override {
        if (source == nullptr) return PMC_E_INVALID_ARG;
        if (source == this) return PMC_S_OK;
        // Both clones are made before anything changes, so that a failure
        // leaves this PDU as it was.
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsValue> timestamp;
        if (IPmsValue* source_timestamp = source->get_timestamp()) {
            timestamp.reset(source_timestamp->clone(&status));
            if (!timestamp) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        }
        pmc::Owned<IPmsOid> trap_oid;
        if (IPmsOid* source_trap_oid = source->get_trap_oid()) {
            trap_oid.reset(source_trap_oid->clone_oid(&status));
            if (!trap_oid) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        }
        type_ = source->get_type();
        request_id_ = source->get_request_id();
        error_status_ = source->get_error_status();
        error_index_ = source->get_error_index();
        // A source without them leaves ours as they were.
        if (timestamp) timestamp_ = std::move(timestamp);
        if (trap_oid) trap_oid_ = std::move(trap_oid);
        return PMC_S_OK;
    }

    bool equals(IPmsPdu* other) override {
        if (type_ == PMS_PDU_NONE || other == nullptr || other->get_type() != type_) return false;
        if (type_ == PMS_PDU_TRAP) {
            if (!pms_same_object(timestamp_.get(), other->get_timestamp()) ||
                !pms_same_object(trap_oid_.get(), other->get_trap_oid())) {
                return false;
            }
        } else if (request_id_ != other->get_request_id() ||
                   error_index_ != other->get_error_index() ||
                   error_status_ != other->get_error_status()) {
            return false;
        }
        return pms_same_object(list_.get(), other->get_varbind_list());
    }

    pmc_long get_type() override { return type_; }
    void set_type(pmc_long type) override { type_ = type; }

    IPmsVarBindList* get_varbind_list() override { return list_.get(); }
    void set_varbind_list(IPmsVarBindList* list) override {
        if (list != list_.get()) list_.reset(list);
    }
    IPmsVarBindList* detach_varbind_list() override { return list_.release(); }

    pmc_long add_varbind(IPmsOid* oid, IPmsValue* value) override {
        return with_list([&](IPmsVarBindList* list) { return list->add(oid, value); });
    }
    pmc_long append_varbind(IPmsVarBind* binding) override {
        return with_list([&](IPmsVarBindList* list) { return list->append(binding); });
    }
    pmc_long add_varbind_front(IPmsOid* oid, IPmsValue* value) override {
        return with_list([&](IPmsVarBindList* list) { return list->add_front(oid, value); });
    }
    pmc_long insert_varbind_front(IPmsVarBind* binding) override {
        return with_list([&](IPmsVarBindList* list) { return list->insert_front(binding); });
    }

    void pop_varbind(IPmsOid** oid, IPmsValue** value) override {
        if (list_) {
            list_->pop_detach(oid, value);
            return;
        }
        if (oid != nullptr) *oid = nullptr;
        if (value != nullptr) *value = nullptr;
    }
    IPmsVarBind* pop_varbind_object() override { return list_ ? list_->pop_front() : nullptr; }

    pmc_long get_request_id() override { return request_id_; }
    pmc_long get_error_status() override { return error_status_; }
    pmc_long get_error_index() override { return error_index_; }
    void set_request_id(pmc_long id) override { request_id_ = id; }
    void set_error_status(pmc_long status) override { error_status_ = status; }
    void set_error_index(pmc_long index) override { error_index_ = index; }

    IPmsValue* get_timestamp() override { return timestamp_.get(); }
    IPmsOid* get_trap_oid() override { return trap_oid_.get(); }
    IPmsValue* detach_timestamp() override { return timestamp_.release(); }
    IPmsOid* detach_trap_oid() override { return trap_oid_.release(); }

    pmc_long set_timestamp(IPmsValue* value) override {
        if (value == nullptr || value->get_type() != PMS_TYPE_TIME_TICKS) return PMC_E_INVALID_ARG;
        if (value != timestamp_.get()) timestamp_.reset(value);
        return PMC_S_OK;
    }

    pmc_long set_trap_oid(IPmsValue* value) override {
        if (value == nullptr || value->get_type() != PMS_TYPE_OID) return PMC_E_INVALID_ARG;
        // The identifier view lies at another address than the value view.
        IPmsOid* oid = value->as_oid();
        if (oid == nullptr) return PMC_E_INVALID_ARG;
        if (oid != trap_oid_.get()) trap_oid_.reset(oid);
        return PMC_S_OK;
    }

private:
    // Runs an insertion on the list, creating the list first when there is
    // none; a list made for an insertion that then fails is dropped again.
    template <class Insert>
    pmc_long with_list(Insert insert) {
        if (list_) return insert(list_.get());
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsVarBindList> list(create_varbind_list(&status));
        if (!list) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        status = insert(list.get());
        if (status == PMC_S_OK) list_ = std::move(list);
        return status;
    }

    pmc_long type_ = PMS_PDU_NONE;
    pmc::Owned<IPmsVarBindList> list_;
    pmc_long request_id_ = 0;  // the session layer stamps it before encoding
    pmc_long error_status_ = PMS_ERR_NO_ERROR;
    pmc_long error_index_ = 0;
    pmc::Owned<IPmsValue> timestamp_;
    pmc::Owned<IPmsOid> trap_oid_;
};

}  // namespace

IPmsPdu* create_pdu(pmc_long* status) {
    return pmc_new_object<CPmsPdu>(status);
}
