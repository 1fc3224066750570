// A PDU paired with its target, and the list of packets broadcast replies
// are collected in.
#include <new>

#include <pmsnmp/owned.h>

#include "message/ptr_list_impl.h"
#include "message/same_object.h"
#include "message/snmp_packet.h"
#include "value/library_object.h"

namespace {

class CPmsSnmpPacket final : public IPmsSnmpPacket, private PmcNoCopy {
public:
    void release() override { delete this; }

    IPmsSnmpPacket* clone(pmc_long* status) override {
        pmc_long result = PMC_S_OK;
        pmc::Owned<CPmsSnmpPacket> copy(new (std::nothrow) CPmsSnmpPacket());
        if (!copy) result = PMC_E_NO_MEMORY;
        if (result == PMC_S_OK && target_) {
            copy->target_.reset(target_->clone(&result));
            if (!copy->target_ && result == PMC_S_OK) result = PMC_E_NO_MEMORY;
        }
        if (result == PMC_S_OK && pdu_) {
            copy->pdu_.reset(pdu_->clone(&result));
            if (!copy->pdu_ && result == PMC_S_OK) result = PMC_E_NO_MEMORY;
        }
        if (status != nullptr) *status = result;
        return result == PMC_S_OK ? copy.release() : nullptr;
    }

    bool equals(IPmsSnmpPacket* other) override {
        if (other == nullptr) return false;
        return pms_same_object(pdu_.get(), other->get_pdu()) &&
               pms_same_object(target_.get(), other->get_target());
    }

    void set_target(IPmsSnmpTarget* target) override {
        if (target != target_.get()) target_.reset(target);
    }
    void set_pdu(IPmsPdu* pdu) override {
        if (pdu != pdu_.get()) pdu_.reset(pdu);
    }
    IPmsSnmpTarget* detach_target() override { return target_.release(); }
    IPmsPdu* detach_pdu() override { return pdu_.release(); }
    IPmsSnmpTarget* get_target() override { return target_.get(); }
    IPmsPdu* get_pdu() override { return pdu_.get(); }

private:
    pmc::Owned<IPmsPdu> pdu_;
    pmc::Owned<IPmsSnmpTarget> target_;
};

}  // namespace

IPmsSnmpPacket* create_packet(pmc_long* status) {
    return pmc_new_object<CPmsSnmpPacket>(status);
}

IPmsSnmpPacketList* create_packet_list(pmc_long* status) {
    return pmc_create_ptr_list<IPmsSnmpPacket>(status);
}
