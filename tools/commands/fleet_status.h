// pmsnmp status with several hosts: every printer polled by agent objects
// of its own, a bounded number at a time, reported in the order given.
#ifndef PMSNMP_TOOLS_FLEET_STATUS_H
#define PMSNMP_TOOLS_FLEET_STATUS_H

#include "commands/commands.h"
#include "printer/host_outcome.h"
#include "printer/agent_reader.h"

#include <string>
#include <vector>

namespace pmtool {

constexpr unsigned kDefaultParallel = 16;

// Hosts polled at a time when parallel are asked for: no more than the
// descriptor limit leaves room for (see poll_printers).
unsigned parallel_within_descriptors(unsigned parallel);

// Polls every host, at most parallel at a time (at least one, and no more
// than the process's descriptor limit allows); a host that found no socket
// free is polled once more when the others are done. The outcomes are in
// the order of hosts.
std::vector<HostOutcome> poll_printers(const std::vector<AgentOptions>& hosts, unsigned parallel);

// Prints the full reports (or --summary lines) in the order of hosts; 1 when
// any host failed.
int run_fleet_status(const std::vector<AgentOptions>& hosts, unsigned parallel, bool summary,
                     const Output& output);

}  // namespace pmtool

#endif
