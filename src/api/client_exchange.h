// One request and its answer: the raw form the facade keeps its PDU in, and
// a typed form that copies the answer out for callers without PDUs; and one
// broadcast request with the answer of every agent that heard it.
#ifndef PMSNMP_API_CLIENT_EXCHANGE_H
#define PMSNMP_API_CLIENT_EXCHANGE_H

#include "api/client_binding.h"
#include "api/client_target.h"
#include "session/user_session.h"

#include <pmsnmp/owned.h>

#include <string>
#include <vector>

class IPmsPdu;
class IPmsVarBind;
class SessionDispatcher;

namespace NPmcClient {

struct ExchangeResult {
    pmc_long status = PMC_S_OK;  // the library's; the rest holds only when 0
    pmc_long error_status = PMS_ERR_NO_ERROR;
    pmc_long error_index = 0;
    Bindings bindings;
    PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone;  // what an SNMPv3 agent refused
};

// Sends request (names; an INTEGER binding also carries its number, every
// other kind goes without value) as a PDU of pdu_type to the target that
// options describe.
ExchangeResult exchange(const TargetOptions& options, pmc_long pdu_type, const Bindings& request);

// What every exchange of a read goes over: one target and one dispatcher
// (so one socket), and the size cap of the target's address kind.
struct Road {
    IPmsSnmpTarget* target = nullptr;
    SessionDispatcher* dispatcher = nullptr;
    pmc_ulong message_cap = PMC_MAX_MESSAGE_IP;
};

// A road of its own, for one read.
class OwnedRoad {
public:
    OwnedRoad();
    ~OwnedRoad();
    OwnedRoad(const OwnedRoad&) = delete;
    OwnedRoad& operator=(const OwnedRoad&) = delete;

    pmc_long open(const TargetOptions& options);
    const Road& road() const { return road_; }

private:
    pmc::Owned<IPmsSnmpTarget> target_;
    pmc::Owned<SessionDispatcher> dispatcher_;
    Road road_;
};

// Sends request on road: one exchange with the road's target, over its
// dispatcher's socket.
ExchangeResult exchange(const Road& road, pmc_long pdu_type, const Bindings& request);

struct BroadcastAnswer {
    std::string address;  // numeric text of the agent that answered
    ExchangeResult answer;
};

struct BroadcastResult {
    pmc_long status = PMC_S_OK;  // nobody answering is no failure
    std::vector<BroadcastAnswer> answers;  // in order of first arrival
};

// Sends request as a PDU of pdu_type to the broadcast address of options;
// every try waits its whole time-out.
BroadcastResult broadcast(const TargetOptions& options, pmc_long pdu_type, const Bindings& request);

// Sends pdu as pdu_type to target; the answer overwrites pdu. Without a
// dispatcher, one is made for this exchange. *refusal, when given, receives
// what an SNMPv3 agent refused.
pmc_long exchange_pdu(IPmsPdu* pdu, pmc_long pdu_type, IPmsSnmpTarget* target,
                      SessionDispatcher* dispatcher = nullptr,
                      PmsSecurityRefusal* refusal = nullptr);

// What an SNMPv3 agent refused, for people: "unknown user",
// "authentication failed", "decryption failed", "security level not allowed
// for this user", "not in time window", ...; empty for kNone.
const char* security_refusal(PmsSecurityRefusal refusal);

// The PDU's first binding, lent; null when it has none.
IPmsVarBind* first_binding(IPmsPdu* pdu);

}  // namespace NPmcClient

#endif
