// Finding the agents on a network: one broadcast request for the system
// objects and the first device's type, then, for an agent that did not say
// it is a printer, one question to it alone about the Printer MIB.
#ifndef PMSNMP_TOOLS_DISCOVERY_H
#define PMSNMP_TOOLS_DISCOVERY_H

#include "printer/endpoint.h"

#include <pmsnmp/types.h>

#include <string>
#include <vector>

namespace pmtool {

struct DiscoveryOptions {
    Endpoint destination;  // the broadcast address and the agents' port
    pmc_long version = PMS_VERSION_1;
    std::string community = "public";
    pmc_long timeout_ms = 1000;  // of each try; every try waits all of it
    pmc_long retries = 1;
};

struct DiscoveredAgent {
    std::string address;  // numeric text of the answering address
    std::string name;     // sysName
    std::string description;  // sysDescr
    std::string object_id;    // sysObjectID, dotted
    // hrDeviceType.1 is hrDevicePrinter, or the agent has a Printer MIB object.
    bool printer = false;
};

// Sends the broadcast and fills *agents, sorted by address; the follow-up
// questions go to many agents at once and all end within twice the
// broadcast's listening time (tries times time-out). A failure of
// the broadcast itself gives its status and *reason; nobody answering is
// no failure.
pmc_long discover_agents(const DiscoveryOptions& options, std::vector<DiscoveredAgent>* agents,
                         std::string* reason);

// Address order: numerically within IPv4 and within IPv6, IPv4 first.
bool address_before(const std::string& a, const std::string& b);

}  // namespace pmtool

#endif
