// A synchronous exchange on one Net-SNMP single-session handle whose
// callback decides when the wait is over: one answer (the ordinary case) or
// every answer until the time-out (discovery).
#ifndef PMSNMP_SESSION_V3_SYNCH_RESPONSE_H
#define PMSNMP_SESSION_V3_SYNCH_RESPONSE_H

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

// Sends pdu (taken) on the session and waits until the callback clears the
// state's waiting flag. The callback gets the session's synch_state as its
// magic; null means the ordinary one-answer callback. Returns STAT_SUCCESS,
// STAT_ERROR or STAT_TIMEOUT; *response is the answer the state kept (the
// caller frees it) or null. Net-SNMP's global state is touched only under
// the library lock, which is let go while waiting for datagrams.
int snmp_sess_synch_response_cb(void* session, netsnmp_pdu* pdu, netsnmp_pdu** response,
                                snmp_callback callback);

#endif
