// A subtree read with GetNext, for SNMPv1 and SNMPv2c alike, or with GetBulk
// where the version has it: it ends at the end of the subtree or the agent's
// view (noSuchName, endOfMibView) and refuses answers that do not advance,
// which would repeat for ever. One dispatcher serves all of a walk's
// exchanges, so they share one socket.
#ifndef PMSNMP_API_CLIENT_WALK_H
#define PMSNMP_API_CLIENT_WALK_H

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "api/client_binding.h"
#include "api/client_exchange.h"

class IPmsOid;
class IPmsPdu;
class SessionDispatcher;

namespace NPmcClient {

// Why a walk stopped.
enum class WalkEnd {
    kDone,          // end of the subtree or of the agent's view
    kAgentError,    // an error status other than noSuchName
    kNotAdvancing,  // an answer that does not sort after the name asked for
    kStepLimit,     // max_steps answers (bindings in a bulk walk) and still no end
    kFailed,        // the library's status says why
};

struct WalkResult {
    pmc_long status = PMC_S_OK;  // 0 for kDone; -1 for the agent's faults
    WalkEnd end = WalkEnd::kDone;
    std::size_t exchanges = 0;
    pmc_long exchange_status = PMC_S_OK;  // of the last exchange
    PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone;  // of the last exchange
    pmc_long error_status = PMS_ERR_NO_ERROR;
    pmc_long error_index = 0;
    Oid asked;  // the last name asked for, when the agent was at fault
};

constexpr std::size_t PMC_WALK_UNBOUNDED = std::numeric_limits<std::size_t>::max();

// Each answer inside the subtree, lent; a status other than 0 stops the walk
// with that status.
using PduVisitor = std::function<pmc_long(IPmsPdu* answer)>;
using BindingVisitor = std::function<pmc_long(const Binding& binding)>;

// GetNext from pdu's first binding as it stands; each answer overwrites pdu
// and becomes the next request.
WalkResult walk_pdu(IPmsPdu* pdu, const IPmsOid* root, IPmsSnmpTarget* target,
                    SessionDispatcher* dispatcher, std::size_t max_steps, const PduVisitor& visit);

// The walk of root on road, or on a road of its own to the target that
// options describe.
WalkResult walk(const Road& road, const Oid& root, std::size_t max_steps, const BindingVisitor& visit);
WalkResult walk(const TargetOptions& options, const Oid& root, std::size_t max_steps,
                const BindingVisitor& visit);

// Max-repetitions for a GetBulk walk of root whose answers should fit the
// size cap of options (a guess: values vary in size).
pmc_long bulk_repetitions(const TargetOptions& options, const Oid& root);
pmc_long repetitions_for(pmc_ulong message_cap, const Oid& root);

// The same walk with GetBulk (SNMPv2c and SNMPv3; non-repeaters 0):
// max_repetitions 0 chooses bulk_repetitions. The same ends and checks as
// walk, each binding checked against the one before it; max_steps bounds
// the bindings visited. An empty answer ends the walk.
WalkResult bulk_walk(const Road& road, const Oid& root, pmc_long max_repetitions,
                     std::size_t max_steps, const BindingVisitor& visit);
WalkResult bulk_walk(const TargetOptions& options, const Oid& root, pmc_long max_repetitions,
                     std::size_t max_steps, const BindingVisitor& visit);

// The columns' cells for a multi-column read: column is the index of its
// root. Besides the statuses of a BindingVisitor it may answer
// PMC_COLUMN_COMPLETE: the cell is taken and its column needs no more.
using ColumnVisitor = std::function<pmc_long(std::size_t column, const Binding& binding)>;
constexpr pmc_long PMC_COLUMN_COMPLETE = 1;

// Several subtrees (the columns of tables) read together with GetBulk,
// one repeater per column still open (as many as the size cap allows in one
// request): each column ends at its own subtree end or endOfMibView, with
// the checks of bulk_walk per column, and leaves the next request once it
// has ended; a cell out of order stops the read. max_repetitions 0 shares
// what fits the size cap among the columns asked; max_steps bounds the
// cells visited. An empty answer ends the columns asked.
WalkResult bulk_columns(const Road& road, const std::vector<Oid>& roots, pmc_long max_repetitions,
                        std::size_t max_steps, const ColumnVisitor& visit);
WalkResult bulk_columns(const TargetOptions& options, const std::vector<Oid>& roots,
                        pmc_long max_repetitions, std::size_t max_steps, const ColumnVisitor& visit);

// The same read for SNMPv1: one GetNext a row naming every column still
// open; a noSuchName naming a column ends that column alone.
WalkResult next_columns(const Road& road, const std::vector<Oid>& roots, std::size_t max_steps,
                        const ColumnVisitor& visit);

}  // namespace NPmcClient

#endif
