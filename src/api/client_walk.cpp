#include "api/client_walk.h"

#include <algorithm>
#include <new>
#include <optional>

#include "api/client_exchange.h"
#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

namespace NPmcClient {

namespace {

// Records how the walk ended; false, so that a step can return it.
bool stop(WalkResult* result, pmc_long status, WalkEnd end) {
    result->status = status;
    result->end = end;
    return false;
}

// Ends the walk for a fault of the agent, naming what was asked for.
bool stop_at(WalkResult* result, WalkEnd end, const Oid& asked) {
    result->asked = asked;
    return stop(result, PMC_E_FAIL, end);
}

// A GetNext answer ends the walk when it leaves the root's subtree. An
// answer above the root stays in, so the order check refuses it.
bool leaves_subtree(const Oid& answer, const Oid& root) {
    return !answer.is_below(root) && !root.is_below(answer);
}

// Whether pdu's error status lets the walk go on; records the end when it
// does not.
bool error_free(IPmsPdu* pdu, const Oid& asked, WalkResult* result) {
    // An SNMPv1 agent ends its view with noSuchName and the names unchanged.
    const pmc_long error = pdu->get_error_status();
    if (error == PMS_ERR_NO_SUCH_NAME) return stop(result, PMC_S_OK, WalkEnd::kDone);
    if (error == PMS_ERR_NO_ERROR) return true;
    result->error_status = error;
    result->error_index = pdu->get_error_index();
    return stop_at(result, WalkEnd::kAgentError, asked);
}

bool is_end_of_view(const IPmsVarBind* cell) {
    const IPmsValue* value = cell->get_value();
    return value != nullptr && value->get_type() == PMS_TYPE_END_OF_MIB_VIEW;
}

// Whether answer, the binding that follows asked, continues the walk;
// records the end when it does not. *name receives the arcs of the
// answer's name, read once for the check and the binding alike.
bool binding_advances(const IPmsVarBind* answer, const Oid& root, const Oid& asked, Oid* name,
                      WalkResult* result) {
    if (answer == nullptr || answer->get_oid() == nullptr) {
        return stop(result, PMC_E_NO_VALUE, WalkEnd::kFailed);
    }
    if (is_end_of_view(answer)) return stop(result, PMC_S_OK, WalkEnd::kDone);
    std::optional<Oid> read = Oid::of(answer->get_oid());
    if (!read) return stop_at(result, WalkEnd::kNotAdvancing, asked);
    *name = std::move(*read);
    if (leaves_subtree(*name, root)) return stop(result, PMC_S_OK, WalkEnd::kDone);
    if (!(asked < *name)) return stop_at(result, WalkEnd::kNotAdvancing, asked);
    return true;
}

bool advances(IPmsPdu* pdu, const Oid& root, const Oid& asked, WalkResult* result) {
    Oid name;
    return error_free(pdu, asked, result) && binding_advances(first_binding(pdu), root, asked, &name, result);
}

// Sends pdu's first binding as type; *asked receives the arcs of the name
// asked for, since the answer overwrites it. True when an answer came.
bool ask(IPmsPdu* pdu, pmc_long type, IPmsSnmpTarget* target, SessionDispatcher* dispatcher, Oid* asked,
         WalkResult* result) {
    IPmsVarBind* request = first_binding(pdu);
    if (request == nullptr || request->get_oid() == nullptr) {
        return stop(result, PMC_E_NO_VALUE, WalkEnd::kFailed);
    }
    std::optional<Oid> name = Oid::of(request->get_oid());
    if (!name) return stop(result, PMC_E_INVALID_ARG, WalkEnd::kFailed);
    *asked = std::move(*name);

    const pmc_long status = exchange_pdu(pdu, type, target, dispatcher, &result->refusal);
    ++result->exchanges;
    result->exchange_status = status;
    if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
    return true;
}

// One GetNext; true while the walk goes on.
bool step(IPmsPdu* pdu, const Oid& root, IPmsSnmpTarget* target, SessionDispatcher* dispatcher,
          const PduVisitor& visit, WalkResult* result) {
    Oid asked;
    if (!ask(pdu, PMS_PDU_GET_NEXT, target, dispatcher, &asked, result)) return false;
    if (!advances(pdu, root, asked, result)) return false;
    const pmc_long status = visit(pdu);
    if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
    // The answer becomes the next request, whose name goes without value:
    // the value sent back would only grow the request, past the size cap
    // for a long one.
    first_binding(pdu)->set_value(nullptr);
    return true;
}

// A GetNext request for root itself.
pmc_long prepare(const Oid& root, pmc::Owned<IPmsPdu>* pdu) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> start(root.make(&status));
    if (!start) return status;
    pdu->reset(create_pdu(&status));
    if (!*pdu) return status;
    status = (*pdu)->add_varbind(start.get(), nullptr);
    if (status != PMC_S_OK) return status;
    start.release();
    return PMC_S_OK;
}

// A GetBulk walk's running state.
struct BulkWalk {
    const Oid& root;
    IPmsSnmpTarget* target;
    SessionDispatcher* dispatcher;
    pmc_long max_repetitions;
    std::size_t max_steps;
    const BindingVisitor& visit;
    std::size_t visited = 0;
};

// Leaves only the answer's last binding, without value: the next request.
void keep_last_binding(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    while (list->count() > 1) pmc::Owned<IPmsVarBind>(list->pop_front());
    list->get_at(0)->set_value(nullptr);
}

// Visits the answer's bindings in order, each checked against the one
// before it; true while the walk goes on.
bool visit_repetitions(IPmsPdu* pdu, const Oid& asked, BulkWalk* walk, WalkResult* result) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    // An empty answer without error: the agent has nothing after the name.
    if (count == 0) return stop(result, PMC_S_OK, WalkEnd::kDone);
    Oid previous = asked;
    for (pmc_ulong i = 0; i < count; ++i) {
        const IPmsVarBind* source = list->get_at(i);
        Oid name;
        if (!binding_advances(source, walk->root, previous, &name, result)) return false;
        if (walk->visited == walk->max_steps) return stop(result, PMC_E_FAIL, WalkEnd::kStepLimit);
        Binding binding = binding_of(source, std::move(name));
        const pmc_long status = walk->visit(binding);
        if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
        ++walk->visited;
        previous = std::move(binding.oid);
    }
    keep_last_binding(pdu);
    return true;
}

// An agent that cannot send what a GetBulk asks for may answer tooBig
// rather than fewer repetitions: the request is then asked again for half
// as many. True when *amount was halved.
bool halve_after_too_big(const WalkResult& result, pmc_long* amount) {
    if (result.exchange_status != PMC_E_TOO_BIG || *amount <= 1) return false;
    *amount /= 2;
    return true;
}

// One GetBulk; true while the walk goes on.
bool bulk_step(IPmsPdu* pdu, BulkWalk* walk, WalkResult* result) {
    Oid asked;
    do {
        // GetBulk carries non-repeaters and max-repetitions where other PDUs
        // carry the error status and index.
        pdu->set_error_status(0);
        pdu->set_error_index(walk->max_repetitions);
        if (ask(pdu, PMS_PDU_GET_BULK, walk->target, walk->dispatcher, &asked, result)) {
            return error_free(pdu, asked, result) && visit_repetitions(pdu, asked, walk, result);
        }
    } while (halve_after_too_big(*result, &walk->max_repetitions));
    return false;
}

WalkResult failed_walk(pmc_long status) {
    WalkResult result;
    stop(&result, status, WalkEnd::kFailed);
    return result;
}

// Room for the message and PDU headers with a long community, and the
// octets one binding of a walk is guessed to take beyond its root's arcs.
constexpr pmc_ulong kBulkHeaderAllowance = 96;
constexpr pmc_ulong kBindingAllowance = 40;

}  // namespace

pmc_long bulk_repetitions(const TargetOptions& options, const Oid& root) {
    return repetitions_for(message_size_limit(options.address_kind, options.max_message_size), root);
}

pmc_long repetitions_for(pmc_ulong cap, const Oid& root) {
    // Each arc of the root takes an octet or more in every binding's name.
    const pmc_ulong per_binding = kBindingAllowance + static_cast<pmc_ulong>(root.size());
    const pmc_ulong room = cap > kBulkHeaderAllowance ? cap - kBulkHeaderAllowance : 0;
    return static_cast<pmc_long>(std::max<pmc_ulong>(1, room / per_binding));
}

WalkResult bulk_walk(const Road& road, const Oid& root, pmc_long max_repetitions, std::size_t max_steps,
                     const BindingVisitor& visit) {
    pmc::Owned<IPmsPdu> pdu;
    const pmc_long status = prepare(root, &pdu);
    if (status != PMC_S_OK) return failed_walk(status);
    BulkWalk walk{root, road.target, road.dispatcher,
                  max_repetitions > 0 ? max_repetitions : repetitions_for(road.message_cap, root), max_steps, visit};
    WalkResult result;
    while (bulk_step(pdu.get(), &walk, &result)) {
    }
    return result;
}

namespace {

// One column of a multi-column read: where it ends and where it goes on.
struct OpenColumn {
    std::size_t index;  // of its root
    Oid root;
    Oid last;  // the name the next request continues from
    bool ended = false;
};

// A multi-column read's running state.
struct ColumnsRead {
    IPmsSnmpTarget* target;
    SessionDispatcher* dispatcher;
    pmc_long fixed_repetitions;  // 0: share the cap
    pmc_ulong cap_bindings;      // what one request or answer should carry
    std::size_t max_steps;
    const ColumnVisitor& visit;
    std::vector<OpenColumn> open;  // in the order of their roots
    std::size_t max_columns = std::numeric_limits<std::size_t>::max();  // lowered by tooBig
    std::size_t visited = 0;
};

bool root_before(const OpenColumn& a, const OpenColumn& b) { return a.root < b.root; }

pmc_long open_columns(const std::vector<Oid>& roots, std::vector<OpenColumn>* open) {
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (roots[i].empty()) return PMC_E_INVALID_ARG;
        open->push_back(OpenColumn{i, roots[i], roots[i]});
    }
    // In root order, a cell out of place sorts before the name asked: see
    // take_cell.
    std::stable_sort(open->begin(), open->end(), root_before);
    return PMC_S_OK;
}

// The columns one request asks for: no more than the cap's cells, since
// every column asked takes at least one cell of the answer.
std::size_t columns_asked(const ColumnsRead& read) {
    return std::min({read.open.size(), static_cast<std::size_t>(std::max<pmc_ulong>(1, read.cap_bindings)),
                     read.max_columns});
}

// The repetitions of a request for asked columns: given, or their share of
// the cap.
pmc_long columns_repetitions(const ColumnsRead& read, std::size_t asked) {
    if (read.fixed_repetitions > 0) return read.fixed_repetitions;
    return static_cast<pmc_long>(std::max<pmc_ulong>(1, read.cap_bindings / asked));
}

// A GetBulk with one repeater per column asked.
pmc_long columns_request(const ColumnsRead& read, std::size_t asked, pmc::Owned<IPmsPdu>* pdu) {
    pmc_long status = PMC_S_OK;
    pdu->reset(create_pdu(&status));
    if (!*pdu) return status;
    for (std::size_t i = 0; i < asked; ++i) {
        pmc::Owned<IPmsOid> name(read.open[i].last.make(&status));
        if (!name) return status;
        status = (*pdu)->add_varbind(name.get(), nullptr);
        if (status != PMC_S_OK) return status;
        name.release();
    }
    (*pdu)->set_error_status(0);
    (*pdu)->set_error_index(columns_repetitions(read, asked));
    return PMC_S_OK;
}

// After tooBig, the request that drew it asked again smaller: an agent
// shortens a GetBulk's repetitions by itself, so tooBig says that not even
// one row fitted. Half the columns first, then half the repetitions; false
// when one cell was asked.
bool shrink_after_too_big(const WalkResult& result, std::size_t asked, ColumnsRead* read) {
    if (result.exchange_status != PMC_E_TOO_BIG) return false;
    if (asked > 1) {
        read->max_columns = asked / 2;
        return true;
    }
    const pmc_long repetitions = columns_repetitions(*read, asked);
    if (repetitions <= 1) return false;
    if (read->fixed_repetitions > 0) {
        read->fixed_repetitions = repetitions / 2;
    } else {
        read->cap_bindings = static_cast<pmc_ulong>(repetitions / 2);
    }
    return true;
}

// One cell of column from an answer; false when the read stops. A column
// that reaches its end only ends itself.
bool take_cell(const IPmsVarBind* cell, OpenColumn* column, ColumnsRead* read, WalkResult* result) {
    WalkResult checked;
    Oid name;
    if (!binding_advances(cell, column->root, column->last, &name, &checked)) {
        if (checked.end != WalkEnd::kDone) {
            *result = checked;
            return false;
        }
        // What follows a column still sorts after it; a name before it
        // comes out of order, from another column's place or a faulty agent.
        if (!is_end_of_view(cell) && !(column->last < name)) {
            return stop_at(result, WalkEnd::kNotAdvancing, column->last);
        }
        column->ended = true;
        return true;
    }
    if (read->visited == read->max_steps) return stop(result, PMC_E_FAIL, WalkEnd::kStepLimit);
    Binding binding = binding_of(cell, std::move(name));
    const pmc_long status = read->visit(column->index, binding);
    if (status != PMC_S_OK && status != PMC_COLUMN_COMPLETE) return stop(result, status, WalkEnd::kFailed);
    ++read->visited;
    column->ended = status == PMC_COLUMN_COMPLETE;
    column->last = std::move(binding.oid);
    return true;
}

// The answer's cells go round the columns asked, repetition by repetition;
// an agent may send fewer repetitions than asked.
bool take_answer(IPmsPdu* answer, std::size_t asked, ColumnsRead* read, WalkResult* result) {
    IPmsVarBindList* list = answer->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    // An empty answer without error: nothing follows the columns asked.
    if (count == 0) {
        for (std::size_t i = 0; i < asked; ++i) read->open[i].ended = true;
    }
    for (pmc_ulong i = 0; i < count; ++i) {
        OpenColumn& column = read->open[i % asked];
        if (!column.ended && !take_cell(list->get_at(i), &column, read, result)) return false;
    }
    read->open.erase(std::remove_if(read->open.begin(), read->open.end(),
                                    [](const OpenColumn& column) { return column.ended; }),
                     read->open.end());
    return true;
}

// SNMPv1 ends a column with noSuchName naming it, for the whole request:
// that column has ended, the others are asked again. True when it was so.
bool column_ended_by_error(IPmsPdu* answer, std::size_t asked, ColumnsRead* read) {
    const pmc_long index = answer->get_error_index();
    if (answer->get_error_status() != PMS_ERR_NO_SUCH_NAME || index < 1 ||
        static_cast<std::size_t>(index) > asked) {
        return false;
    }
    read->open.erase(read->open.begin() + (index - 1));
    return true;
}

// One request for the open columns, GetBulk or GetNext; true while the
// read goes on.
bool columns_step(ColumnsRead* read, pmc_long type, WalkResult* result) {
    pmc_long status = PMC_S_OK;
    const Oid first = read->open.front().last;
    std::size_t asked = 0;
    do {
        asked = columns_asked(*read);
        pmc::Owned<IPmsPdu> pdu;
        status = columns_request(*read, asked, &pdu);
        if (status != PMC_S_OK) return stop(result, status, WalkEnd::kFailed);
        if (type == PMS_PDU_GET_NEXT) pdu->set_error_index(0);
        status = exchange_pdu(pdu.get(), type, read->target, read->dispatcher, &result->refusal);
        ++result->exchanges;
        result->exchange_status = status;
        if (status == PMC_S_OK) {
            if (type == PMS_PDU_GET_NEXT && column_ended_by_error(pdu.get(), asked, read)) return true;
            if (!error_free(pdu.get(), first, result)) return false;
            IPmsVarBindList* list = pdu->get_varbind_list();
            if (type == PMS_PDU_GET_NEXT && (list == nullptr || list->count() != asked)) {
                return stop_at(result, WalkEnd::kNotAdvancing, first);
            }
            return take_answer(pdu.get(), asked, read, result);
        }
    } while (shrink_after_too_big(*result, asked, read));
    return stop(result, status, WalkEnd::kFailed);
}

// The binding count of the cap for names below the longest root.
pmc_ulong cap_bindings(pmc_ulong cap, const std::vector<Oid>& roots) {
    const auto longest = std::max_element(
        roots.begin(), roots.end(), [](const Oid& a, const Oid& b) { return a.size() < b.size(); });
    return static_cast<pmc_ulong>(repetitions_for(cap, longest != roots.end() ? *longest : Oid()));
}

WalkResult read_columns(const Road& road, pmc_long type, const std::vector<Oid>& roots,
                        pmc_long max_repetitions, std::size_t max_steps, const ColumnVisitor& visit) {
    ColumnsRead read{road.target, road.dispatcher, max_repetitions, cap_bindings(road.message_cap, roots),
                     max_steps, visit, {}};
    const pmc_long status = open_columns(roots, &read.open);
    if (status != PMC_S_OK) return failed_walk(status);
    WalkResult result;
    while (!read.open.empty() && columns_step(&read, type, &result)) {
    }
    return result;
}

}  // namespace

WalkResult bulk_columns(const Road& road, const std::vector<Oid>& roots, pmc_long max_repetitions,
                        std::size_t max_steps, const ColumnVisitor& visit) {
    return read_columns(road, PMS_PDU_GET_BULK, roots, max_repetitions, max_steps, visit);
}

WalkResult next_columns(const Road& road, const std::vector<Oid>& roots, std::size_t max_steps,
                        const ColumnVisitor& visit) {
    return read_columns(road, PMS_PDU_GET_NEXT, roots, 0, max_steps, visit);
}

namespace {

WalkResult walk_from(IPmsPdu* pdu, const Oid& root, IPmsSnmpTarget* target, SessionDispatcher* dispatcher,
                     std::size_t max_steps, const PduVisitor& visit) {
    WalkResult result;
    for (std::size_t i = 0; i < max_steps; ++i) {
        if (!step(pdu, root, target, dispatcher, visit, &result)) return result;
    }
    stop(&result, PMC_E_FAIL, WalkEnd::kStepLimit);
    return result;
}

}  // namespace

WalkResult walk_pdu(IPmsPdu* pdu, const IPmsOid* root, IPmsSnmpTarget* target,
                    SessionDispatcher* dispatcher, std::size_t max_steps, const PduVisitor& visit) {
    // The facade walks through here, and must not throw when memory runs
    // short: the names' arcs are copied as the walk goes.
    try {
        const std::optional<Oid> arcs = Oid::of(root);
        if (!arcs) return failed_walk(PMC_E_INVALID_ARG);
        return walk_from(pdu, *arcs, target, dispatcher, max_steps, visit);
    } catch (const std::bad_alloc&) {
        return failed_walk(PMC_E_NO_MEMORY);
    }
}

WalkResult walk(const Road& road, const Oid& root, std::size_t max_steps, const BindingVisitor& visit) {
    pmc::Owned<IPmsPdu> pdu;
    const pmc_long status = prepare(root, &pdu);
    if (status != PMC_S_OK) return failed_walk(status);
    return walk_from(pdu.get(), root, road.target, road.dispatcher, max_steps,
                     [&visit](IPmsPdu* answer) { return visit(binding_of(first_binding(answer))); });
}


WalkResult walk(const TargetOptions& options, const Oid& root, std::size_t max_steps,
                const BindingVisitor& visit) {
    OwnedRoad road;
    const pmc_long status = road.open(options);
    return status != PMC_S_OK ? failed_walk(status) : walk(road.road(), root, max_steps, visit);
}

WalkResult bulk_walk(const TargetOptions& options, const Oid& root, pmc_long max_repetitions,
                     std::size_t max_steps, const BindingVisitor& visit) {
    OwnedRoad road;
    const pmc_long status = road.open(options);
    return status != PMC_S_OK ? failed_walk(status) : bulk_walk(road.road(), root, max_repetitions, max_steps, visit);
}

WalkResult bulk_columns(const TargetOptions& options, const std::vector<Oid>& roots,
                        pmc_long max_repetitions, std::size_t max_steps, const ColumnVisitor& visit) {
    OwnedRoad road;
    const pmc_long status = road.open(options);
    return status != PMC_S_OK ? failed_walk(status)
                              : bulk_columns(road.road(), roots, max_repetitions, max_steps, visit);
}

}  // namespace NPmcClient
