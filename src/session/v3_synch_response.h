// A synchronous exchange on one Net-SNMP single-session handle whose
// callback decides when the wait is over: one answer (the ordinary case),
// the engine of a discovery probe, or every answer until the time-out
// (broadcast discovery).
#ifndef PMSNMP_SESSION_V3_SYNCH_RESPONSE_H
#define PMSNMP_SESSION_V3_SYNCH_RESPONSE_H

#include <chrono>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

typedef std::chrono::steady_clock::time_point V3Deadline;

// The callback's magic. The library itself clears state.waiting when it
// gives up resending after notInTimeWindow reports, so state comes first.
struct V3Wait {
    synch_state state;
    // The library error of the last message dropped for failing the
    // user-based security checks, or of the last notInTimeWindow report;
    // it becomes the outcome at the deadline.
    int failure;
};

// Sends pdu (taken) on the session and waits until the callback clears the
// state's waiting flag, or until deadline. The callback gets a V3Wait as its
// magic; null means the ordinary one-answer callback, which takes only a
// Response that passed the security checks. Returns STAT_SUCCESS,
// STAT_ERROR or STAT_TIMEOUT; *response is the answer the state kept (the
// caller frees it) or null. Net-SNMP's global state is touched only under
// the library lock, which is let go while waiting for datagrams.
int snmp_sess_synch_response_cb(void* session, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback, V3Deadline deadline);

// The same with the deadline of the session's own retries + 1 time-outs.
int snmp_sess_synch_response_cb(void* session, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback);

// Ends the wait on the first report or answer to a discovery probe,
// copying its engine identifier into the V3Engine at session->myvoid.
int probe_callback(int operation, netsnmp_session* session, int request_id, netsnmp_pdu* pdu,
                   void* magic);

#endif
