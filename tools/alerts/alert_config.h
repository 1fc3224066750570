// What counts as worth telling a fleet's admin: thresholds per supply type,
// which trays matter, how many failed polls make a printer unreachable, and
// where events go. Read from the `alerts:` section of serve's YAML.
#ifndef PMSNMP_TOOLS_ALERT_CONFIG_H
#define PMSNMP_TOOLS_ALERT_CONFIG_H

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace YAML {
class Node;
}

namespace pmtool {

struct WebhookConfig {
    std::string url;  // http://host:port/path; empty: no webhook
    int timeout_ms = 5000;
    int max_backoff_s = 300;
};

struct AlertConfig {
    // Percent left at which a consumed supply is low, by prtMarkerSuppliesType
    // name ("toner", "opc", ...); "default" for the rest.
    std::map<std::string, int> low_percent = {
        {"default", 10}, {"toner", 10}, {"tonerCartridge", 10}, {"ink", 10}, {"inkCartridge", 10},
        {"opc", 5},      {"developer", 5}, {"fuser", 5},        {"transferUnit", 5}};
    // Percent full at which a receptacle (waste toner, waste ink) is nearly full.
    int nearly_full_percent = 95;
    // Points a level must move back past a threshold before the state clears,
    // so that a level wobbling on the threshold alerts once.
    int hysteresis = 3;
    // A level this many points above the last reading is a new supply.
    int replaced_rise = 20;
    // Failed polls in a row before a printer counts as unreachable.
    int down_after = 3;
    bool trays = true;
    // Trays whose name holds one of these (any case) never alert.
    std::vector<std::string> excluded_trays = {"bypass", "manual"};
    WebhookConfig webhook;
    std::string database;  // the event outbox (SQLite); empty: events in memory only
    int recent_events = 100;
};

// Reads an `alerts:` node over the defaults; false with a reason on a value
// that is missing its meaning (a threshold outside 0..100, a bad URL, ...).
bool parse_alert_config(const YAML::Node& node, AlertConfig* config, std::string* reason);
// The same from a whole YAML file's text (its `alerts:` section).
bool parse_alert_config_file(const std::string& path, AlertConfig* config, std::string* reason);

// The low threshold of a supply type (a prtMarkerSuppliesType code).
int low_threshold(const AlertConfig& config, std::optional<long> type);
bool tray_excluded(const AlertConfig& config, const std::string& tray_name);

}  // namespace pmtool

#endif
