#include "session/request_fragmenter.h"

#include <pmsnmp/owned.h>
#include <pmsnmp/pmsnmp.h>

#include "log/component_log.h"
#include "message/list_cursor.h"

namespace NPmsRequestFragment {
namespace {

using PieceCursor = PmcListCursor<IPmsPdu>;

pmc_ulong binding_count(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->count() : 0;
}

// Moves every binding of from to the end of to.
pmc_long move_bindings(IPmsPdu* from, IPmsPdu* to) {
    IPmsVarBindList* list = from->get_varbind_list();
    if (list == nullptr) return PMC_S_OK;
    while (IPmsVarBind* binding = list->pop_front()) {
        const pmc_long status = to->append_varbind(binding);
        if (status != PMC_S_OK) {
            // Not taken: put it back so that the piece still owns it.
            list->insert_front(binding);
            return status;
        }
    }
    return PMC_S_OK;
}

// A list that could not be completed: the request gets its bindings back in
// their order: those in pieces, in the piece not added (if any), then the
// ones not yet moved.
void give_back(IPmsPduList* pieces, IPmsPdu* last, IPmsVarBindList* bindings, IPmsPdu* pdu) {
    restore_bindings(pieces, pdu);
    if (last != nullptr) move_bindings(last, pdu);
    if (pdu->get_varbind_list() == nullptr) {
        pdu->set_varbind_list(bindings);
        return;
    }
    while (IPmsVarBind* binding = bindings->pop_front()) {
        if (pdu->append_varbind(binding) != PMC_S_OK) {
            binding->release();
        }
    }
    bindings->release();
}

}  // namespace

void restore_bindings(IPmsPduList* pieces, IPmsPdu* pdu) {
    PieceCursor cursor(pieces);
    if (cursor.status() != PMC_S_OK) return;
    for (IPmsPdu* piece = cursor.current(); piece != nullptr; cursor.next(), piece = cursor.current()) {
        if (move_bindings(piece, pdu) != PMC_S_OK) return;
    }
}

IPmsPduList* fragment_pdu(IPmsPdu* pdu, pmc_ulong n, pmc_long* status) {
    pmc_long local = PMC_S_OK;
    pmc_long& result = status != nullptr ? *status : local;
    if (pdu == nullptr || n < 2) {
        result = PMC_E_INVALID_ARG;
        return nullptr;
    }
    pmc::Owned<IPmsPduList> pieces(pms_create_pdu_list(&result));
    if (!pieces) return nullptr;

    IPmsVarBindList* bindings = pdu->detach_varbind_list();
    const pmc_ulong count = bindings != nullptr ? bindings->count() : 0;
    const pmc_ulong per = count / n;
    const pmc_ulong rest = count % n;
    if (per == 0) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR,
                                   "[RequestSession::fragment_pdu] can't fragment the packet[%d] any more.",
                                   static_cast<int>(pdu->get_request_id()));
        pdu->set_varbind_list(bindings);
        result = PMC_E_CANNOT_SPLIT;
        return nullptr;
    }

    for (pmc_ulong i = 0; i < n; ++i) {
        pmc::Owned<IPmsPdu> piece(pdu->clone(&result));
        IPmsVarBindList* share = piece ? bindings->split_front(i < rest ? per + 1 : per, &result) : nullptr;
        if (share != nullptr) {
            piece->set_varbind_list(share);
            result = pieces->add(piece.get());
            if (result == PMC_S_OK) {
                piece.release();
                continue;
            }
        } else if (result == PMC_S_OK) {
            result = PMC_E_NO_MEMORY;
        }
        // The bindings already moved out go back ahead of the rest.
        give_back(pieces.get(), share != nullptr ? piece.get() : nullptr, bindings, pdu);
        return nullptr;
    }

    if (bindings->count() != 0) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR,
                                   "[RequestSession::fragment_pdu] vb size of a fragmented packet is zero.");
        give_back(pieces.get(), nullptr, bindings, pdu);
        result = PMC_E_FAIL;
        return nullptr;
    }
    pdu->set_varbind_list(bindings);
    result = PMC_S_OK;
    return pieces.release();
}

pmc_long join(IPmsPduList* pieces, IPmsPdu* pdu) {
    if (pieces == nullptr || pdu == nullptr) return PMC_E_INVALID_ARG;
    PieceCursor cursor(pieces);
    if (cursor.status() != PMC_S_OK) return cursor.status();

    IPmsPdu* first = cursor.current();
    if (first != nullptr) pdu->set_type(first->get_type());
    pdu->set_error_status(PMS_ERR_NO_ERROR);
    pdu->set_error_index(0);
    pmc_ulong offset = 0;
    for (IPmsPdu* piece = first; piece != nullptr; cursor.next(), piece = cursor.current()) {
        if (pdu->get_error_status() == PMS_ERR_NO_ERROR && piece->get_error_status() != PMS_ERR_NO_ERROR) {
            pdu->set_error_status(piece->get_error_status());
            // Index 0 names no binding; moving it would name a wrong one.
            const pmc_long index = piece->get_error_index();
            pdu->set_error_index(index != 0 ? index + static_cast<pmc_long>(offset) : 0);
        }
        offset += binding_count(piece);
        const pmc_long status = move_bindings(piece, pdu);
        if (status != PMC_S_OK) return status;
    }
    // Binding statuses as the decoder marks one answer carrying this error.
    if (IPmsVarBindList* list = pdu->get_varbind_list()) {
        if (pdu->get_error_status() != PMS_ERR_NO_ERROR && pdu->get_type() != PMS_PDU_TRAP) {
            list->apply_error(pdu->get_error_status(), pdu->get_error_index());
        } else {
            list->set_all_status(PMS_ERR_NO_ERROR);
        }
    }
    return PMC_S_OK;
}

}  // namespace NPmsRequestFragment
