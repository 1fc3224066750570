#include "codec/peek_scratch.h"

#include "message/pdu_factory.h"

void CPmsPeekScratch::lend(pmc_long translate_type, IPmsPdu** pdu, IPmsSnmpTarget** target) {
    // Kinds no target is made for stay null and are asked for again.
    if (translate_type != translate_type_ || !target_) {
        target_.reset(create_target_for_type(translate_type, nullptr));
        translate_type_ = translate_type;
    }
    if (!pdu_) {
        pdu_.reset(create_pdu(nullptr));
        if (pdu_) {
            new_request_id_ = pdu_->get_request_id();
            new_error_status_ = pdu_->get_error_status();
        }
    }
    if (pdu_) {
        pdu_->set_request_id(new_request_id_);
        pdu_->set_error_status(new_error_status_);
    }
    *pdu = pdu_.get();
    *target = target_.get();
}
