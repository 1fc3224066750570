#include "session/v3_synch_response.h"

#include <cerrno>
#include <mutex>

#include <net-snmp/library/large_fd_set.h>

#include "session/v3_library.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

// Ends the wait on the answer to our request, a report, a time-out or a
// disconnect, as the library's own synchronous call does.
int one_answer(int operation, netsnmp_session* session, int request_id, netsnmp_pdu* pdu,
               void* magic) {
    auto* state = static_cast<synch_state*>(magic);
    if (request_id != state->reqid && pdu != nullptr && pdu->command != SNMP_MSG_REPORT) {
        return 0;
    }
    state->waiting = 0;
    state->pdu = nullptr;
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr) {
        if (pdu->command == SNMP_MSG_REPORT) {
            const int report = snmpv3_get_report_type(pdu);
            // The library resends by itself after a time-window report.
            if (report == SNMPERR_NOT_IN_TIME_WINDOW) state->waiting = 1;
            state->status = STAT_ERROR;
            session->s_snmp_errno = report;
        } else if (pdu->command == SNMP_MSG_RESPONSE) {
            state->pdu = snmp_clone_pdu(pdu);
            state->status = state->pdu != nullptr ? STAT_SUCCESS : STAT_ERROR;
            session->s_snmp_errno = state->pdu != nullptr ? SNMPERR_SUCCESS : SNMPERR_MALLOC;
        } else {
            state->status = STAT_ERROR;
            session->s_snmp_errno = SNMPERR_PROTOCOL;
        }
    } else if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT) {
        state->status = STAT_TIMEOUT;
        session->s_snmp_errno = SNMPERR_TIMEOUT;
    } else {
        state->status = STAT_ERROR;
        session->s_snmp_errno = SNMPERR_ABORT;
    }
    return 1;
}

// One round: wait for the session's descriptor up to its next retry, then
// read or handle the time-out. false when the wait itself failed. Large
// descriptor sets, since a host may hold more than FD_SETSIZE descriptors.
bool wait_round(void* handle, netsnmp_session* session) {
    int descriptors = 0;
    int block = 0;
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
    timeval timeout{};
    {
        LibraryGuard guard(pms_v3_library_lock());
        snmp_sess_select_info2(handle, &descriptors, &readable, &timeout, &block);
    }
    const int count = netsnmp_large_fd_set_select(descriptors, &readable, nullptr, nullptr,
                                                  block ? nullptr : &timeout);
    const int wait_error = errno;
    bool waited = true;
    {
        LibraryGuard guard(pms_v3_library_lock());
        if (count > 0) {
            snmp_sess_read2(handle, &readable);
        } else if (count == 0) {
            snmp_sess_timeout(handle);
        } else if (wait_error != EINTR) {
            session->s_snmp_errno = SNMPERR_GENERR;
            session->s_errno = wait_error;
            waited = false;
        }
    }
    netsnmp_large_fd_set_cleanup(&readable);
    return waited;
}

}  // namespace

int snmp_sess_synch_response_cb(void* handle, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback) {
    *response = nullptr;
    netsnmp_session* session = snmp_sess_session(handle);
    if (session == nullptr) {
        snmp_free_pdu(pdu);
        return STAT_ERROR;
    }
    synch_state state{};
    snmp_callback saved_callback = session->callback;
    void* saved_magic = session->callback_magic;
    {
        LibraryGuard guard(pms_v3_library_lock());
        session->callback = callback != nullptr ? callback : one_answer;
        session->callback_magic = &state;
        state.reqid = snmp_sess_send(handle, pdu);
        if (state.reqid == 0) {
            snmp_free_pdu(pdu);
            state.status = STAT_ERROR;
        } else {
            state.waiting = 1;
        }
    }
    while (state.waiting) {
        if (!wait_round(handle, session)) {
            state.status = STAT_ERROR;
            state.waiting = 0;
        }
    }
    LibraryGuard guard(pms_v3_library_lock());
    session->callback = saved_callback;
    session->callback_magic = saved_magic;
    *response = state.pdu;
    return state.status;
}
