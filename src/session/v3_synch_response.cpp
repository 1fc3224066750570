#include "session/v3_synch_response.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

#include <net-snmp/library/large_fd_set.h>

#include "session/v3_engine_cache.h"
#include "session/v3_library.h"
#include "session/v3_transport.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;
using Clock = std::chrono::steady_clock;

// The library hands a message that failed its user-based security checks
// (a wrong digest above all) to the callback with the failure as the
// session's error; its contents are anyone's word, not the agent's.
bool failed_security(int library_error) {
    switch (library_error) {
    case SNMPERR_AUTHENTICATION_FAILURE:
    case SNMPERR_USM_GENERICERROR:
    case SNMPERR_USM_UNKNOWNSECURITYNAME:
    case SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL:
    case SNMPERR_USM_ENCRYPTIONERROR:
    case SNMPERR_USM_AUTHENTICATIONFAILURE:
    case SNMPERR_USM_PARSEERROR:
    case SNMPERR_USM_UNKNOWNENGINEID:
    case SNMPERR_USM_NOTINTIMEWINDOW:
    case SNMPERR_USM_DECRYPTIONERROR:
        return true;
    default:
        return false;
    }
}

// Whether the callback call concerns our request; a dropped message is
// noted and goes no further.
bool ours(netsnmp_session* session, int request_id, netsnmp_pdu* pdu, V3Wait* wait) {
    const bool failed = pdu != nullptr && failed_security(session->s_snmp_errno);
    // An encrypted message that fails its checks is never decrypted, so its
    // request identifier stays unread (0); the session's socket hears only
    // its agent.
    const bool unread = failed && request_id == 0;
    if (request_id != wait->state.reqid && pdu != nullptr && pdu->command != SNMP_MSG_REPORT &&
        !unread) {
        return false;
    }
    if (failed) {
        wait->failure = session->s_snmp_errno;
        return false;
    }
    // The library reads a message of another version number as SNMPv3.
    if (pdu != nullptr && pdu->version != SNMP_VERSION_3) return false;
    return true;
}

void finish(V3Wait* wait, netsnmp_session* session, int status, int library_error) {
    wait->state.waiting = 0;
    wait->state.status = status;
    session->s_snmp_errno = library_error;
}

// A time-out, a disconnect or a report ends the wait as a failure.
void finish_without_answer(int operation, netsnmp_session* session, netsnmp_pdu* pdu,
                           V3Wait* wait) {
    if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT) {
        const int error = wait->failure != 0 ? wait->failure : SNMPERR_TIMEOUT;
        finish(wait, session, wait->failure != 0 ? STAT_ERROR : STAT_TIMEOUT, error);
    } else if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr &&
               pdu->command == SNMP_MSG_REPORT) {
        const int report = snmpv3_get_report_type(pdu);
        finish(wait, session, STAT_ERROR, report);
        // After this call the library resends by itself, with the time the
        // report taught it, while its retries last; then it ends the wait
        // itself (or the deadline does).
        if (report == SNMPERR_NOT_IN_TIME_WINDOW) {
            wait->state.waiting = 1;
            wait->failure = report;
        }
    } else if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr) {
        finish(wait, session, STAT_ERROR, SNMPERR_PROTOCOL);
    } else {
        finish(wait, session, STAT_ERROR, SNMPERR_ABORT);
    }
}

int one_answer(int operation, netsnmp_session* session, int request_id, netsnmp_pdu* pdu,
               void* magic) {
    auto* wait = static_cast<V3Wait*>(magic);
    if (!ours(session, request_id, pdu, wait)) return 0;
    wait->state.pdu = nullptr;
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr &&
        pdu->command == SNMP_MSG_RESPONSE) {
        wait->state.pdu = snmp_clone_pdu(pdu);
        const bool copied = wait->state.pdu != nullptr;
        finish(wait, session, copied ? STAT_SUCCESS : STAT_ERROR,
               copied ? SNMPERR_SUCCESS : SNMPERR_MALLOC);
    } else {
        finish_without_answer(operation, session, pdu, wait);
    }
    return 1;
}

// The time left before deadline, at most the library's own next time-out.
timeval wait_time(const timeval& library, V3Deadline deadline) {
    const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const long long left_us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
    const long long library_us = static_cast<long long>(library.tv_sec) * 1000000 + library.tv_usec;
    const long long us = std::min(left_us, library_us);
    timeval out{};
    out.tv_sec = static_cast<decltype(out.tv_sec)>(us / 1000000);
    out.tv_usec = static_cast<decltype(out.tv_usec)>(us % 1000000);
    return out;
}

// How far a wait on the transport may run past the time it was given: the
// socket's receive time-out is the session's whole time-out, set once,
// while the time left is a little less each round.
constexpr long long kWaitSlackUs = 2000;

// A wait of about the session's time-out, as the first round of every
// exchange is, goes to the transport: one system call instead of a wait
// and a read. kV3WaitElsewhere for any other.
int wait_on_transport(void* handle, netsnmp_session* session, const timeval& bounded) {
    const long long wanted = static_cast<long long>(bounded.tv_sec) * 1000000 + bounded.tv_usec;
    const long long whole = session->timeout;
    if (whole < 1000 || wanted < whole - kWaitSlackUs) return kV3WaitElsewhere;
    return pms_v3_transport_wait(snmp_sess_transport(handle), static_cast<pmc_long>(whole / 1000));
}

// One round: wait for the session's descriptor up to its next retry or the
// deadline, then read or handle the time-out. false when the wait itself
// failed. Large descriptor sets, since a host may hold more than FD_SETSIZE
// descriptors.
bool wait_round(void* handle, netsnmp_session* session, V3Deadline deadline, V3Wait* wait) {
    int descriptors = 0;
    // In: the time-out below is no bound of ours, so that the library
    // answers with its next retry time (with 0 and a zero time it answers
    // zero, and the wait would spin). Out: 1 when no request is pending.
    int block = 1;
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
    timeval timeout{};
    {
        LibraryGuard guard(pms_v3_library_lock());
        snmp_sess_select_info2(handle, &descriptors, &readable, &timeout, &block);
        if (block) {
            // No request left outstanding (the library gave up resending
            // after reports): nothing can end the wait but this.
            finish_without_answer(NETSNMP_CALLBACK_OP_TIMED_OUT, session, nullptr, wait);
            netsnmp_large_fd_set_cleanup(&readable);
            return true;
        }
    }
    timeval bounded = wait_time(timeout, deadline);
    int count = wait_on_transport(handle, session, bounded);
    if (count == kV3WaitElsewhere) {
        count = netsnmp_large_fd_set_select(descriptors, &readable, nullptr, nullptr, &bounded);
    }
    const int wait_error = errno;
    bool waited = true;
    {
        LibraryGuard guard(pms_v3_library_lock());
        if (count > 0) {
            // Fresh, so that the callback sees only this read's failures.
            session->s_snmp_errno = SNMPERR_SUCCESS;
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

V3Deadline session_deadline(netsnmp_session* session) {
    const long long tries = static_cast<long long>(std::max(session->retries, 0)) + 1;
    return Clock::now() + std::chrono::microseconds(tries * std::max(session->timeout, 0L));
}

}  // namespace

int probe_callback(int operation, netsnmp_session* session, int request_id, netsnmp_pdu* pdu,
                   void* magic) {
    auto* wait = static_cast<V3Wait*>(magic);
    if (!ours(session, request_id, pdu, wait)) return 0;
    wait->state.pdu = nullptr;
    if (operation != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || pdu == nullptr) {
        finish_without_answer(operation, session, pdu, wait);
    } else if (pdu->securityEngineIDLen == 0) {
        finish(wait, session, STAT_ERROR, SNMPERR_UNKNOWN_ENG_ID);
    } else {
        auto* engine = static_cast<V3Engine*>(session->myvoid);
        try {
            engine->id.assign(pdu->securityEngineID,
                              pdu->securityEngineID + pdu->securityEngineIDLen);
            finish(wait, session, STAT_SUCCESS, SNMPERR_SUCCESS);
        } catch (...) {
            finish(wait, session, STAT_ERROR, SNMPERR_MALLOC);
        }
    }
    return 1;
}

int snmp_sess_synch_response_cb(void* handle, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback, V3Deadline deadline) {
    *response = nullptr;
    netsnmp_session* session = snmp_sess_session(handle);
    if (session == nullptr) {
        snmp_free_pdu(pdu);
        return STAT_ERROR;
    }
    V3Wait wait{};
    snmp_callback saved_callback = session->callback;
    void* saved_magic = session->callback_magic;
    {
        LibraryGuard guard(pms_v3_library_lock());
        session->callback = callback != nullptr ? callback : one_answer;
        session->callback_magic = &wait;
        wait.state.reqid = snmp_sess_send(handle, pdu);
        if (wait.state.reqid == 0) {
            snmp_free_pdu(pdu);
            wait.state.status = STAT_ERROR;
        } else {
            wait.state.waiting = 1;
        }
    }
    while (wait.state.waiting) {
        if (Clock::now() >= deadline) {
            // Nothing the agent sends may stretch the wait beyond its time.
            LibraryGuard guard(pms_v3_library_lock());
            finish_without_answer(NETSNMP_CALLBACK_OP_TIMED_OUT, session, nullptr, &wait);
        } else if (!wait_round(handle, session, deadline, &wait)) {
            wait.state.status = STAT_ERROR;
            wait.state.waiting = 0;
        }
    }
    LibraryGuard guard(pms_v3_library_lock());
    session->callback = saved_callback;
    session->callback_magic = saved_magic;
    *response = wait.state.pdu;
    return wait.state.status;
}

int snmp_sess_synch_response_cb(void* handle, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback) {
    netsnmp_session* session = snmp_sess_session(handle);
    const V3Deadline deadline = session != nullptr ? session_deadline(session) : Clock::now();
    return snmp_sess_synch_response_cb(handle, pdu, response, callback, deadline);
}
