// The fleet file of pmsnmp serve: where to listen, how often to poll, and
// the printers with their credentials and labels.
#ifndef PMSNMP_TOOLS_SERVE_CONFIG_H
#define PMSNMP_TOOLS_SERVE_CONFIG_H

#include "printer/agent_reader.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace pmtool {

constexpr unsigned short kDefaultServePort = 9116;

struct FleetPrinter {
    std::string host;  // as configured: the "host" label and the shard key
    AgentOptions agent;
    std::map<std::string, std::string> labels;  // the configuration's own
};

struct ServeConfig {
    std::string listen_host = "127.0.0.1";
    unsigned short listen_port = kDefaultServePort;
    bool allow_remote = false;
    std::chrono::milliseconds interval{std::chrono::seconds(60)};
    // The whole report (names, descriptions, capacities, location) is read
    // again after this long; the polls between read only what changes.
    std::chrono::milliseconds static_interval{std::chrono::hours(1)};
    unsigned parallel = 16;
    int low_percent = 10;  // a consumable at or below this is "low"
    AgentOptions defaults;
    std::vector<FleetPrinter> printers;
};

// Reads the file at path, then adds the printers that `pmsnmp discover
// --json` listed in each of discovered (and in the file's "discovered"
// key), with the defaults' credentials. False with a one-line reason.
bool load_serve_config(const std::string& path, const std::vector<std::string>& discovered, ServeConfig* config,
                       std::string* error);

// "60s", "500ms", "2m", "1h", or a bare number of seconds.
bool parse_duration(const std::string& text, std::chrono::milliseconds* out);

// Whether host (numeric or "localhost") can only be reached from this machine.
bool is_loopback_host(const std::string& host);

}  // namespace pmtool

#endif
