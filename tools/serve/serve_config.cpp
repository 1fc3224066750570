#include "serve/serve_config.h"

#include "cli/option_names.h"

#include <arpa/inet.h>
#include <nlohmann/json.hpp>
#include <yaml-cpp/yaml.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>

namespace pmtool {

namespace {


// Labels the metrics set themselves; a configured label may not shadow one.
const std::set<std::string> kReservedLabels = {"host",  "model", "serial", "name",      "location", "supply",
                                               "type",  "class", "color",  "state",     "tray",     "condition",
                                               "index", "severity", "group", "code", "job", "instance"};

// A fault in the file: the key that holds it and why.
struct ConfigError {
    std::string what;
};

[[noreturn]] void fail(const std::string& what) { throw ConfigError{what}; }

template <class Value>
Value member(const std::map<std::string, Value>& map, const std::string& key, const char* what) {
    const auto it = map.find(key);
    if (it == map.end()) fail(std::string("unknown ") + what + " '" + key + "'");
    return it->second;
}

long number(const YAML::Node& node, const char* key, long low, long high) {
    const long value = node.as<long>();
    if (value < low || value > high)
        fail(std::string(key) + " must be between " + std::to_string(low) + " and " + std::to_string(high));
    return value;
}

std::chrono::milliseconds duration(const YAML::Node& node, const char* key) {
    std::chrono::milliseconds value{};
    if (!parse_duration(node.as<std::string>(), &value) || value.count() <= 0)
        fail(std::string(key) + ": not a duration (60s, 500ms, 2m)");
    return value;
}

// Credentials and timing, from a printer entry or from defaults.
void read_agent(const YAML::Node& node, AgentOptions* agent) {
    NPmcClient::TargetOptions& target = agent->target;
    if (node["version"]) target.version = member(kVersions, node["version"].as<std::string>(), "version");
    if (node["community"]) target.community = node["community"].as<std::string>();
    if (node["port"]) agent->host.port = static_cast<unsigned short>(number(node["port"], "port", 1, 65535));
    if (node["timeout"]) target.timeout_ms = duration(node["timeout"], "timeout").count();
    if (node["retries"]) target.retries = number(node["retries"], "retries", 0, 100);
    if (node["user"]) target.security_name = node["user"].as<std::string>();
    if (node["context"]) target.context_name = node["context"].as<std::string>();
    if (node["level"]) target.security_level = member(kLevels, node["level"].as<std::string>(), "level");
    if (node["auth_protocol"])
        target.auth_protocol = member(kAuthProtocols, node["auth_protocol"].as<std::string>(), "auth_protocol");
    if (node["auth_pass"]) target.auth_pass_phrase = node["auth_pass"].as<std::string>();
    if (node["priv_protocol"])
        target.priv_protocol = member(kPrivProtocols, node["priv_protocol"].as<std::string>(), "priv_protocol");
    if (node["priv_pass"]) target.priv_pass_phrase = node["priv_pass"].as<std::string>();
}

void check_v3(const std::string& host, NPmcClient::TargetOptions* target) {
    if (target->version != PMS_VERSION_3) return;
    if (target->security_name.empty()) fail(host + ": SNMPv3 needs a user");
    if (target->security_level == 0)
        target->security_level = target->priv_pass_phrase.empty()
                                     ? (target->auth_pass_phrase.empty() ? PMS_SEC_NO_AUTH_NO_PRIV
                                                                         : PMS_SEC_AUTH_NO_PRIV)
                                     : PMS_SEC_AUTH_PRIV;
    if (target->security_level != PMS_SEC_NO_AUTH_NO_PRIV && target->auth_protocol == 0)
        target->auth_protocol = PMS_AUTH_MD5;
    if (target->security_level == PMS_SEC_AUTH_PRIV && target->priv_protocol == 0)
        target->priv_protocol = PMS_PRIV_DES;
}

void read_labels(const YAML::Node& node, std::map<std::string, std::string>* labels) {
    if (!node) return;
    static const std::regex name("[a-zA-Z_][a-zA-Z0-9_]*");
    for (const auto& entry : node) {
        const std::string key = entry.first.as<std::string>();
        if (!std::regex_match(key, name) || key.compare(0, 2, "__") == 0 || kReservedLabels.count(key) != 0)
            fail("label name '" + key + "' is not allowed");
        (*labels)[key] = entry.second.as<std::string>();
    }
}

void add_printer(const std::string& host, const AgentOptions& agent, const std::map<std::string, std::string>& labels,
                 ServeConfig* config) {
    FleetPrinter printer;
    printer.host = host;
    printer.agent = agent;
    printer.labels = labels;
    std::string reason;
    if (!parse_host(host, agent.host.port, &printer.agent.host, &reason)) fail(reason);
    check_v3(host, &printer.agent.target);
    for (const FleetPrinter& other : config->printers)
        if (other.host == host) fail("printer " + host + " is listed twice");
    config->printers.push_back(std::move(printer));
}

void read_listen(const YAML::Node& root, ServeConfig* config) {
    if (root["allow_remote"]) config->allow_remote = root["allow_remote"].as<bool>();
    if (root["listen"]) {
        Endpoint endpoint;
        std::string reason;
        if (!parse_host(root["listen"].as<std::string>(), kDefaultServePort, &endpoint, &reason))
            fail("listen: " + reason);
        config->listen_host = endpoint.address;
        config->listen_port = endpoint.port;
    }
    if (!config->allow_remote && !is_loopback_host(config->listen_host))
        fail("listen: " + config->listen_host + " is reachable from other machines; set allow_remote: true to listen there");
}

// `pmsnmp discover --json`: the agents marked as printers.
void read_discovered(const std::string& path, const AgentOptions& defaults, ServeConfig* config) {
    std::ifstream in(path);
    if (!in) fail("cannot read " + path);
    const nlohmann::json list = nlohmann::json::parse(in, nullptr, false);
    if (!list.is_array()) fail(path + " is not the output of pmsnmp discover --json");
    for (const nlohmann::json& agent : list) {
        if (!agent.is_object() || !agent.value("printer", false) || !agent["address"].is_string()) continue;
        std::string host = agent["address"].get<std::string>();
        if (host.find(':') != std::string::npos) host = "[" + host + "]";
        host += ":" + std::to_string(defaults.host.port);
        const bool known = std::any_of(config->printers.begin(), config->printers.end(),
                                       [&](const FleetPrinter& printer) { return printer.host == host; });
        if (!known) add_printer(host, defaults, {}, config);
    }
}

void read_config(const YAML::Node& root, std::vector<std::string> discovered, ServeConfig* config) {
    if (!root.IsMap()) fail("expected a mapping at the top");
    read_listen(root, config);
    if (root["interval"]) config->interval = duration(root["interval"], "interval");
    if (root["static_interval"]) config->static_interval = duration(root["static_interval"], "static_interval");
    if (root["parallel"]) config->parallel = static_cast<unsigned>(number(root["parallel"], "parallel", 1, 1024));
    if (root["low_percent"]) config->low_percent = static_cast<int>(number(root["low_percent"], "low_percent", 0, 100));
    config->defaults.host.port = 161;
    std::map<std::string, std::string> default_labels;
    if (const YAML::Node defaults = root["defaults"]) {
        read_agent(defaults, &config->defaults);
        read_labels(defaults["labels"], &default_labels);
    }
    for (const YAML::Node& entry : root["printers"]) {
        if (!entry["host"]) fail("a printer without host");
        AgentOptions agent = config->defaults;
        read_agent(entry, &agent);
        std::map<std::string, std::string> labels = default_labels;
        read_labels(entry["labels"], &labels);
        add_printer(entry["host"].as<std::string>(), agent, labels, config);
    }
    if (root["discovered"]) {
        const YAML::Node files = root["discovered"];
        if (files.IsSequence()) {
            for (const YAML::Node& file : files) discovered.push_back(file.as<std::string>());
        } else {
            discovered.push_back(files.as<std::string>());
        }
    }
    for (const std::string& path : discovered) read_discovered(path, config->defaults, config);
    if (config->printers.empty()) fail("no printers");
}

}  // namespace

bool parse_duration(const std::string& text, std::chrono::milliseconds* out) {
    static const std::regex form("([0-9]{1,9})(ms|s|m|h)?");
    std::smatch match;
    if (!std::regex_match(text, match, form)) return false;
    const long long value = std::stoll(match[1]);
    const std::string unit = match[2];
    const long long scale = unit == "ms" ? 1 : unit == "m" ? 60000 : unit == "h" ? 3600000 : 1000;
    *out = std::chrono::milliseconds(value * scale);
    return true;
}

bool is_loopback_host(const std::string& host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr v4{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 && (ntohl(v4.s_addr) >> 24) == 127;
}

bool load_serve_config(const std::string& path, const std::vector<std::string>& discovered, ServeConfig* config,
                       std::string* error) {
    try {
        read_config(YAML::LoadFile(path), discovered, config);
        return true;
    } catch (const ConfigError& fault) {
        *error = path + ": " + fault.what;
    } catch (const YAML::Exception& fault) {
        *error = path + ": " + fault.what();
    } catch (const std::exception& fault) {
        *error = path + ": " + fault.what();
    }
    return false;
}

}  // namespace pmtool
