#include "commands/discover_command.h"

#include "cli/exit_codes.h"
#include "render/safe_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <sstream>

namespace pmtool {

namespace {

const std::map<std::string, pmc_long> kCommunityVersions = {{"1", PMS_VERSION_1}, {"2c", PMS_VERSION_2C}};

std::string or_dash(const std::string& text) { return text.empty() ? "-" : safe_text(text); }

}  // namespace

int run_discover(const DiscoverCommandLine& line, std::ostream& out, std::ostream& err) {
    DiscoveryOptions options;
    std::string reason;
    if (!parse_host(line.destination, line.port, &options.destination, &reason)) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitUsage;
    }
    options.version = kCommunityVersions.at(line.version);
    options.community = line.community;
    options.timeout_ms = line.timeout_ms;
    options.retries = line.retries;
    std::vector<DiscoveredAgent> agents;
    if (discover_agents(options, &agents, &reason) != PMC_S_OK) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitFailure;
    }
    if (line.printers_only) {
        agents.erase(std::remove_if(agents.begin(), agents.end(),
                                    [](const DiscoveredAgent& agent) { return !agent.printer; }),
                     agents.end());
    }
    out << (line.json ? render_agents_json(agents) : render_agents_text(agents));
    return kExitOk;
}

std::string render_agents_text(const std::vector<DiscoveredAgent>& agents) {
    std::size_t width = 0;
    for (const DiscoveredAgent& agent : agents) width = std::max(width, agent.address.size());
    std::ostringstream text;
    for (const DiscoveredAgent& agent : agents) {
        text << agent.address << std::string(width - agent.address.size() + 2, ' ')
             << (agent.printer ? "printer" : "-      ") << "  " << or_dash(agent.name) << "  "
             << or_dash(agent.description) << '\n';
    }
    return text.str();
}

std::string render_agents_json(const std::vector<DiscoveredAgent>& agents) {
    nlohmann::json list = nlohmann::json::array();
    for (const DiscoveredAgent& agent : agents) {
        list.push_back({{"address", agent.address},
                        {"name", safe_text(agent.name)},
                        {"description", safe_text(agent.description)},
                        {"object_id", agent.object_id},
                        {"printer", agent.printer}});
    }
    return json_text(list) + "\n";
}

}  // namespace pmtool
