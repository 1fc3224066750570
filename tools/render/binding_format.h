// Printing bindings the way the Net-SNMP tools print them with -On, so that
// scripts written for snmpget/snmpwalk output read ours too.
#ifndef PMSNMP_TOOLS_BINDING_FORMAT_H
#define PMSNMP_TOOLS_BINDING_FORMAT_H

#include "printer/mib_reader.h"

#include <string>

namespace pmtool {

// ".1.3.6.1.2.1.1.5.0 = STRING: \"name\"" and so on.
std::string format_binding(const Binding& binding);

// The value part only ("STRING: \"name\"", "INTEGER: 3", ...).
std::string format_value(const Binding& binding);

// "(217539735) 25 days, 4:16:37.35"
std::string format_time_ticks(std::uint32_t ticks);

// An agent's error as snmpget reports it: "Error in packet", the reason
// and, when the agent named one, the failed object and a blank line.
std::string format_agent_error(const AgentError& error);

// The bindings as a JSON array of {"oid", "type", "value"} objects.
std::string bindings_json(const Bindings& bindings);

}  // namespace pmtool

#endif
