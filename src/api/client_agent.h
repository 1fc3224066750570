// One agent as a client program talks to it: one target and one dispatcher
// (so one socket) for the object's life. It decides what goes on the wire:
// GetBulk or GetNext by version, SNMPv1's ask-again rule, how reads end and
// the bounds that keep a hostile agent from holding a caller for ever.
// Every result carries its status and a reason a person can read.
#ifndef PMSNMP_API_CLIENT_AGENT_H
#define PMSNMP_API_CLIENT_AGENT_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "api/client_exchange.h"
#include "api/client_walk.h"

namespace NPmcClient {

struct AgentOptions {
    TargetOptions target;
    // Reads over SNMPv2c and SNMPv3 use GetBulk unless this is false.
    bool bulk = true;
    pmc_long max_repetitions = 0;  // 0: as many as fit the size cap
    // Each read stops after this many cells, even if the agent never ends it.
    std::size_t max_cells = 100000;
    // Over the agent's life: octets of names and values kept, and the time
    // from opening after which no read goes on. 0: unbounded.
    std::uint64_t max_bytes = 0;
    std::chrono::milliseconds deadline{0};
};

struct Outcome {
    pmc_long status = PMC_S_OK;
    pmc_long error_status = PMS_ERR_NO_ERROR;
    pmc_long error_index = 0;
    std::string reason;  // empty when status is 0

    bool ok() const { return status == PMC_S_OK; }
};

// An error status answered for a get, and the object it named.
struct Refusal {
    pmc_long status = PMS_ERR_NO_ERROR;
    Oid oid;                        // empty when it named none
    std::size_t index = kUnnamed;  // into the names asked
    static constexpr std::size_t kUnnamed = static_cast<std::size_t>(-1);
};

struct GetOutcome : Outcome {
    // One per name asked once the agent answered without error; a name
    // dropped after a refusal holds noSuchObject. Empty when the get stopped
    // at a refusal.
    Bindings bindings;
    std::vector<Refusal> refusals;
};

class Agent {
public:
    explicit Agent(AgentOptions options);
    ~Agent();
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;

    // One GetRequest for oids. An error status naming an
    // object is a refusal: with ask_again the request goes again without
    // that object, as snmpget does.
    GetOutcome get(const std::vector<Oid>& oids, bool ask_again = true);
    // The subtree of root, GetBulk or GetNext by version.
    Outcome walk(const Oid& root, const BindingVisitor& visit);
    // Several columns together, each ending on its own.
    Outcome read_columns(const std::vector<Oid>& roots, const ColumnVisitor& visit);
    // Sets the INTEGER oid; the agent's error status is the outcome's.
    Outcome set_integer(const Oid& oid, pmc_long value);
    // request as pdu_type to the broadcast address of options.
    BroadcastResult broadcast(pmc_long pdu_type, const Bindings& request) const;

    // GetBulk over SNMPv2c and SNMPv3 unless bulk reads are off.
    bool bulk_reads() const;
    const AgentOptions& options() const { return options_; }

private:
    Outcome fail(pmc_long status, PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone);
    Outcome walk_ended(const WalkResult& result, const std::string& what);
    // A visitor's cell counted against the bounds; false past one of them.
    bool within_bounds(const Binding& binding);
    pmc_long exchange(pmc_long type, const Bindings& request, ExchangeResult* answer);

    AgentOptions options_;
    OwnedRoad road_;
    pmc_long open_status_;
    std::chrono::steady_clock::time_point deadline_;
    std::uint64_t bytes_ = 0;
    std::string bound_reason_;
};

}  // namespace NPmcClient

#endif
