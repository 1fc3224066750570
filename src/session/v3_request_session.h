// The user-based (SNMPv3) session: every request runs through Net-SNMP on a
// library session of its own, opened from the target and closed before the
// call returns. What engine discovery learned is kept process-wide
// (V3EngineCache), so that later requests to the agent need no discovery.
#ifndef PMSNMP_SESSION_V3_REQUEST_SESSION_H
#define PMSNMP_SESSION_V3_REQUEST_SESSION_H

#include <string>
#include <vector>

#include <pmsnmp/owned.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "session/session.h"
#include "session/user_session.h"
#include "session/v3_engine_cache.h"
#include "session/v3_synch_response.h"

// The targets discovery collects: one per answering engine, with its
// address (port 0) and engine identifier.
typedef std::vector<pmc::Owned<IPmsSnmpTarget>> V3EngineList;

class v3RequestSession : public IPmsUserSession {
public:
    void release() override;
    // One request; the answer overwrites pdu, and target takes the
    // answerer's address, user, level, context and engine identifier.
    // -2 for an unusable target or PDU type, -203 after retries + 1 tries,
    // -214 when the agent refuses the credentials.
    pmc_long send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) override;
    pmc_long send_sync(IPmsSnmpPacket* packet) override;
    pmc_long send_sync_with_refusal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                    PmsSecurityRefusal* refusal) override;
    // Discovers the engines that answer a probe sent to target's (broadcast)
    // address within its time-out, then sends pdu to each; engines that time
    // out, reject the user or answer garbage are skipped. *replies receives
    // a new list (possibly empty) that the caller releases.
    pmc_long send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies) override;
    pmc_long send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                  IPmsSnmpPacketList** replies) override;

    // Adds a target per engine answering the discovery probe to engines;
    // nobody answering is 0 with nothing added.
    pmc_long get_engine_id_broad_cast(IPmsSnmpTarget* target, V3EngineList* engines);

    v3RequestSession() = default;
    v3RequestSession(const v3RequestSession&) = delete;
    v3RequestSession& operator=(const v3RequestSession&) = delete;

protected:
    virtual ~v3RequestSession() = default;

private:
    // Discovery when the agent's engine is not known yet, then the request;
    // a report that the engine is stale is met by one rediscovery and one
    // resend. All within (retries + 1) x time-out.
    pmc_long send_sync_internal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                PmsSecurityRefusal* refusal);
    // agent: the agent's key (pms_v3_agent_key).
    pmc_long exchange(IPmsPdu* pdu, IPmsSnmpTarget* target, const std::string& agent,
                      V3Engine* engine, V3Deadline deadline, int* library_error,
                      PmsSecurityRefusal* refusal);
    pmc_long send_to_engines(IPmsPdu* pdu, IPmsSnmpTarget* target, const V3EngineList& engines,
                             IPmsSnmpPacketList* replies);
};

// Collects discovery answers into the V3EngineList attached to the
// session (myvoid); always asks the library to keep waiting (2).
int broadcast_callback(int operation, netsnmp_session* session, int request_id,
                       netsnmp_pdu* pdu, void* state);

// A new session; status 0, or -3 and null. The caller releases it.
v3RequestSession* create_v3_request_session(pmc_long* status);

#endif
