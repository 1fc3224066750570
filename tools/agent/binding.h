// Variable bindings as the client layer copies them out of the library's
// objects, and the tool's operations on dotted identifiers.
#ifndef PMSNMP_TOOLS_BINDING_H
#define PMSNMP_TOOLS_BINDING_H

#include <pmsnmp/types.h>

#include "api/client_agent.h"
#include "api/client_reason.h"

#include <string>
#include <vector>

namespace pmtool {

using Binding = NPmcClient::Binding;
using Bindings = NPmcClient::Bindings;

// An error status the agent answered instead of values, and the object its
// error index named (empty when it named none).
using AgentError = NPmcClient::Refusal;

// True when the identifier text lies strictly below root (both dotted
// decimal, leading dots ignored).
bool oid_is_below(const std::string& oid, const std::string& root);

// The arcs after root ("43.11.1.1.6.1.2" below "43.11.1.1.6" gives "1.2");
// empty when oid is not below root.
std::string oid_suffix(const std::string& oid, const std::string& root);

// The arcs of a dotted identifier (non-numbers read as 0).
std::vector<unsigned long> oid_arcs(const std::string& text);

// SNMP order of two identifiers (arc by arc): negative, 0 or positive.
int compare_oids(const std::string& a, const std::string& b);

// text without its leading dot, if it has one; the library writes
// identifiers with one, the tool and snmpget -On users without.
std::string strip_dot(const std::string& text);

// Dotted decimal without a leading dot, or empty when the text is not an
// object identifier (at least two arcs, each a 32-bit unsigned number).
std::string normalize_oid(const std::string& text);

}  // namespace pmtool

#endif
