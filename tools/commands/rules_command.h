// pmsnmp rules: a Prometheus alert-rule file over serve's metrics with the
// thresholds of the alerts configuration, so that a site alerting from
// Prometheus gets the events' meaning.
#ifndef PMSNMP_TOOLS_RULES_COMMAND_H
#define PMSNMP_TOOLS_RULES_COMMAND_H

#include "alerts/alert_config.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

namespace pmtool {

struct RulesCommandLine {
    std::string config;           // serve's YAML; empty: the defaults
    int poll_interval_s = 60;     // serve's polling interval, for down_after
};

CLI::App* add_rules_command(CLI::App& app, RulesCommandLine& line);
int run_rules(const RulesCommandLine& line, std::ostream& out, std::ostream& err);

std::string prometheus_rules(const AlertConfig& config, int poll_interval_s);

}  // namespace pmtool

#endif
