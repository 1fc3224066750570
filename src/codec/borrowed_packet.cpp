#include "codec/borrowed_packet.h"

#include <pmsnmp/owned.h>

CPmsBorrowedPacket::~CPmsBorrowedPacket() { release(); }

void CPmsBorrowedPacket::release() {
    if (owns_pdu_ && pdu_ != nullptr) pdu_->release();
    if (owns_target_ && target_ != nullptr) target_->release();
    pdu_ = nullptr;
    target_ = nullptr;
    owns_pdu_ = false;
    owns_target_ = false;
}

IPmsSnmpPacket* CPmsBorrowedPacket::clone(pmc_long* status) {
    pmc_long result = PMC_S_OK;
    pmc::Owned<IPmsSnmpPacket> copy(create_packet(&result));
    if (copy && target_ != nullptr) {
        IPmsSnmpTarget* target = target_->clone(&result);
        if (target != nullptr) copy->set_target(target);
    }
    if (result == PMC_S_OK && copy && pdu_ != nullptr) {
        IPmsPdu* pdu = pdu_->clone(&result);
        if (pdu != nullptr) copy->set_pdu(pdu);
    }
    if (status != nullptr) *status = result;
    return result == PMC_S_OK ? copy.release() : nullptr;
}

bool CPmsBorrowedPacket::equals(IPmsSnmpPacket* other) {
    if (other == nullptr) return false;
    IPmsPdu* other_pdu = other->get_pdu();
    IPmsSnmpTarget* other_target = other->get_target();
    const bool pdus = pdu_ == nullptr ? other_pdu == nullptr : pdu_->equals(other_pdu);
    const bool targets =
        target_ == nullptr ? other_target == nullptr : target_->equals(other_target);
    return pdus && targets;
}

void CPmsBorrowedPacket::set_target(IPmsSnmpTarget* target) {
    if (owns_target_ && target_ != nullptr && target_ != target) target_->release();
    target_ = target;
    owns_target_ = true;
}

void CPmsBorrowedPacket::set_pdu(IPmsPdu* pdu) {
    if (owns_pdu_ && pdu_ != nullptr && pdu_ != pdu) pdu_->release();
    pdu_ = pdu;
    owns_pdu_ = true;
}

IPmsSnmpTarget* CPmsBorrowedPacket::detach_target() {
    IPmsSnmpTarget* target = target_;
    target_ = nullptr;
    owns_target_ = false;
    return target;
}

IPmsPdu* CPmsBorrowedPacket::detach_pdu() {
    IPmsPdu* pdu = pdu_;
    pdu_ = nullptr;
    owns_pdu_ = false;
    return pdu;
}
