// How the printer report reaches an agent: single objects and subtrees,
// named by their arcs. Kept abstract so that the report can be built from
// any source.
#ifndef PMSNMP_TOOLS_MIB_READER_H
#define PMSNMP_TOOLS_MIB_READER_H

#include "api/client_agent.h"

#include <functional>
#include <vector>

namespace pmtool {

using Oid = NPmcClient::Oid;
using Binding = NPmcClient::Binding;
using Bindings = NPmcClient::Bindings;
// An error status the agent answered instead of values, and the object its
// error index named (empty when it named none).
using AgentError = NPmcClient::Refusal;

class MibReader {
public:
    virtual ~MibReader() = default;
    // One object into *out; an object the agent lacks is a binding whose
    // is_absent() is true, with status 0. Other failures: a library status.
    virtual pmc_long get(const Oid& oid, Binding* out) = 0;
    // Every binding below root in the agent's order; an empty subtree is no
    // failure.
    virtual pmc_long walk(const Oid& root, Bindings* out) = 0;

    // Whether get_objects and walk_columns save requests over get and walk.
    virtual bool batches() const { return false; }

    // Several objects, out in the order of oids; a reader may ask for them
    // together.
    virtual pmc_long get_objects(const std::vector<Oid>& oids, Bindings* out) {
        out->assign(oids.size(), Binding());
        for (std::size_t i = 0; i < oids.size(); ++i) {
            const pmc_long status = get(oids[i], &(*out)[i]);
            if (status != PMC_S_OK) return status;
        }
        return PMC_S_OK;
    }

    // Several subtrees (table columns), (*out)[i] for roots[i]; a reader may
    // read them together, and may end column i after a binding for which
    // enough(i, binding) is true.
    using Enough = std::function<bool(std::size_t column, const Binding& binding)>;
    virtual pmc_long walk_columns(const std::vector<Oid>& roots, const Enough& enough, std::vector<Bindings>* out) {
        static_cast<void>(enough);
        out->assign(roots.size(), Bindings());
        for (std::size_t i = 0; i < roots.size(); ++i) {
            const pmc_long status = walk(roots[i], &(*out)[i]);
            if (status != PMC_S_OK) return status;
        }
        return PMC_S_OK;
    }
};

}  // namespace pmtool

#endif
