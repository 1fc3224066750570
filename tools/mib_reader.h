// How the printer report reaches an agent: single objects and subtrees.
// Kept abstract so that the report can be built from any source.
#ifndef PMSNMP_TOOLS_MIB_READER_H
#define PMSNMP_TOOLS_MIB_READER_H

#include "binding.h"

namespace pmtool {

class MibReader {
public:
    virtual ~MibReader() = default;
    // One object into *out; an object the agent lacks is a binding whose
    // is_absent() is true, with status 0. Other failures: a library status.
    virtual pmc_long get(const std::string& oid, Binding* out) = 0;
    // Every binding below root in the agent's order; an empty subtree is no
    // failure.
    virtual pmc_long walk(const std::string& root, Bindings* out) = 0;
};

}  // namespace pmtool

#endif
