// What each subcommand does once its arguments are parsed. Each returns an
// exit status and writes a one-line reason to the error stream on failure.
#ifndef PMSNMP_TOOLS_COMMANDS_H
#define PMSNMP_TOOLS_COMMANDS_H

#include "printer/agent_reader.h"

#include <ostream>
#include <string>
#include <vector>

namespace pmtool {

struct Output {
    std::ostream& out;
    std::ostream& err;
    bool json = false;
};

// Agent errors are reported as snmpget reports them; ask_again = false
// stops at the first (snmpget -Cf).
// Identifiers come as a person typed them (numeric, a leading dot allowed).
int run_get(AgentReader& agent, const std::vector<std::string>& oids, bool ask_again, const Output& output);
int run_walk(AgentReader& agent, const std::string& root, const Output& output);
int run_set(AgentReader& agent, const std::string& oid, const std::string& instance, pmc_long value,
            const Output& output);
int run_status(AgentReader& agent, const Output& output);

// "pmsnmp: reason" on the error stream; returns the failure exit status.
int report_failure(const Output& output, const std::string& reason);

}  // namespace pmtool

#endif
