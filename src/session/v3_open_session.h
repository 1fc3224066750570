// An opened Net-SNMP single session with the datagram socket and transport
// under it. Built for one agent, user and engine, it may serve many
// requests in turn (V3SessionPool), one thread at a time.
#ifndef PMSNMP_SESSION_V3_OPEN_SESSION_H
#define PMSNMP_SESSION_V3_OPEN_SESSION_H

#include <vector>

#include <pmsnmp/owned.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "message/snmp_target.h"
#include "net/datagram_socket.h"
#include "session/v3_engine_cache.h"

class V3OpenSession {
public:
    V3OpenSession() = default;
    // Closes the library session, then the socket.
    ~V3OpenSession();
    V3OpenSession(const V3OpenSession&) = delete;
    V3OpenSession& operator=(const V3OpenSession&) = delete;

    // Opens the library session from target (which it does not keep),
    // speaking to engine when given. probe: a broadcast-enabled socket for
    // engine discovery.
    pmc_long open(IPmsSnmpTarget* target, const V3Engine* engine, bool probe);

    // Readies an opened session for one more request to target: its time-out
    // and retries, the user and keys the library keeps per engine (another
    // session may have replaced them), and no error or flaw left from
    // before. The engine's time is the library's, kept while the session is
    // open and brought up to date by every answer.
    pmc_long reuse(IPmsSnmpTarget* target);

    void* handle() const { return handle_; }

private:
    // Makes the library's user for this session's engine and name from the
    // session's keys, unless the one it holds has them already.
    pmc_long install_user();

    pmc::Owned<DataGramSocket> socket_;
    pmc::Owned<CPmcNetworkAddress> destination_;
    void* handle_ = nullptr;
    // The localised keys the user was last made with, to know it again.
    std::vector<u_char> user_keys_;
};

// Tells the library engine's boots and time, so that the first request is
// not answered by a notInTimeWindow report; a time the library holds
// already, learned from the agent itself, is kept. Under the library lock.
void pms_v3_tell_engine_time(const V3Engine* engine);

#endif
