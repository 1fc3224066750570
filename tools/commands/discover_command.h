// pmsnmp discover: its options and what it prints.
#ifndef PMSNMP_TOOLS_DISCOVER_COMMAND_H
#define PMSNMP_TOOLS_DISCOVER_COMMAND_H

#include "commands/commands.h"
#include "commands/discovery.h"

#include <string>
#include <vector>

namespace pmtool {

struct DiscoverCommandLine {
    std::string destination = "255.255.255.255";
    unsigned short port = 161;
    std::string version = "1";
    std::string community = "public";
    pmc_long timeout_ms = 1000;
    pmc_long retries = 1;
    bool json = false;
    bool printers_only = false;
};

// Runs the parsed command; exit status as for every subcommand.
int run_discover(const DiscoverCommandLine& line, std::ostream& out, std::ostream& err);

// One line per agent: address, printer or "-", name, description.
std::string render_agents_text(const std::vector<DiscoveredAgent>& agents);
std::string render_agents_json(const std::vector<DiscoveredAgent>& agents);

}  // namespace pmtool

#endif
