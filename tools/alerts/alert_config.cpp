#include "alerts/alert_config.h"

#include "printer/printer_mib.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cctype>

namespace pmtool {

namespace {

constexpr int kMaxDownAfter = 1000;
constexpr int kMaxTimeoutMs = 600000;
constexpr int kMaxBackoffS = 86400;
constexpr int kMaxRecentEvents = 100000;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Admins say "drum" for the photoconductor; the MIB says "opc".
std::string supply_type_key(const std::string& name) { return name == "drum" ? "opc" : name; }

bool read_int(const YAML::Node& node, const char* key, int low, int high, int* value, std::string* reason) {
    const YAML::Node item = node[key];
    if (!item) return true;
    const int read = item.as<int>();
    if (read < low || read > high) {
        *reason = std::string("alerts: ") + key + " must be " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    *value = read;
    return true;
}

bool read_thresholds(const YAML::Node& node, AlertConfig* config, std::string* reason) {
    if (!node) return true;
    if (!node.IsMap()) {
        *reason = "alerts: thresholds must map supply types to percentages";
        return false;
    }
    for (const auto& entry : node) {
        const std::string type = supply_type_key(entry.first.as<std::string>());
        const int percent = entry.second.as<int>();
        if (percent < 0 || percent > 100) {
            *reason = "alerts: threshold of " + type + " must be 0 to 100";
            return false;
        }
        config->low_percent[type] = percent;
    }
    return true;
}

bool read_trays(const YAML::Node& node, AlertConfig* config) {
    if (!node) return true;
    if (node.IsScalar()) {
        config->trays = node.as<bool>();
        return true;
    }
    if (node["enabled"]) config->trays = node["enabled"].as<bool>();
    if (node["exclude"]) config->excluded_trays = node["exclude"].as<std::vector<std::string>>();
    return true;
}

bool read_webhook(const YAML::Node& node, WebhookConfig* webhook, std::string* reason) {
    if (!node) return true;
    webhook->url = node.IsScalar() ? node.as<std::string>() : node["url"].as<std::string>("");
    if (!webhook->url.empty() && webhook->url.rfind("http://", 0) != 0) {
        *reason = "alerts: webhook url must start with http://";
        return false;
    }
    if (node.IsScalar()) return true;
    return read_int(node, "timeout_ms", 1, kMaxTimeoutMs, &webhook->timeout_ms, reason) &&
           read_int(node, "max_backoff_s", 1, kMaxBackoffS, &webhook->max_backoff_s, reason);
}

}  // namespace

bool parse_alert_config(const YAML::Node& node, AlertConfig* config, std::string* reason) {
    try {
        if (!node) return true;
        if (!node.IsMap()) {
            *reason = "alerts: must be a mapping";
            return false;
        }
        if (node["database"]) config->database = node["database"].as<std::string>();
        return read_thresholds(node["thresholds"], config, reason) &&
               read_int(node, "nearly_full", 1, 100, &config->nearly_full_percent, reason) &&
               read_int(node, "hysteresis", 0, 50, &config->hysteresis, reason) &&
               read_int(node, "replaced_rise", 1, 100, &config->replaced_rise, reason) &&
               read_int(node, "down_after", 1, kMaxDownAfter, &config->down_after, reason) &&
               read_int(node, "recent_events", 1, kMaxRecentEvents, &config->recent_events, reason) &&
               read_trays(node["trays"], config) && read_webhook(node["webhook"], &config->webhook, reason);
    } catch (const YAML::Exception& error) {
        *reason = std::string("alerts: ") + error.what();
        return false;
    }
}

bool parse_alert_config_file(const std::string& path, AlertConfig* config, std::string* reason) {
    try {
        return parse_alert_config(YAML::LoadFile(path)["alerts"], config, reason);
    } catch (const YAML::Exception& error) {
        *reason = "cannot read '" + path + "': " + error.what();
        return false;
    }
}

int low_threshold(const AlertConfig& config, std::optional<long> type) {
    if (type) {
        const auto it = config.low_percent.find(mib::supply_type_name(*type));
        if (it != config.low_percent.end()) return it->second;
    }
    const auto fallback = config.low_percent.find("default");
    return fallback == config.low_percent.end() ? AlertConfig().low_percent.at("default") : fallback->second;
}

bool tray_excluded(const AlertConfig& config, const std::string& tray_name) {
    const std::string name = lower(tray_name);
    return std::any_of(config.excluded_trays.begin(), config.excluded_trays.end(), [&name](const std::string& word) {
        return !word.empty() && name.find(lower(word)) != std::string::npos;
    });
}

}  // namespace pmtool
