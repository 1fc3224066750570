#include "commands/rules_command.h"

#include "cli/exit_codes.h"

#include <map>
#include <sstream>
#include <vector>

namespace pmtool {

namespace {

constexpr const char* kReceptacleClass = "receptacleThatIsFilled";

std::string join(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
    return text;
}

// Fires at the threshold and holds until the level is past threshold +
// hysteresis again, as the event engine does, by looking at its own ALERTS
// series.
std::string held_expression(const std::string& selector, const char* rising_op, int threshold, int held,
                            const std::string& alert) {
    std::ostringstream expr;
    expr << "printer_supply_level_percent" << selector << " " << rising_op << " " << threshold
         << " or (printer_supply_level_percent" << selector << " " << rising_op << " " << held
         << " and ignoring(alertname, alertstate, severity) ALERTS{alertname=\"" << alert
         << "\", alertstate=\"firing\"})";
    return expr.str();
}

void write_rule(std::ostream& out, const std::string& name, const std::string& expr, const std::string& wait,
                const char* severity, const std::string& summary) {
    out << "      - alert: " << name << "\n"
        << "        expr: '" << expr << "'\n";
    if (!wait.empty()) out << "        for: " << wait << "\n";
    out << "        labels:\n          severity: " << severity << "\n"
        << "        annotations:\n          summary: '" << summary << "'\n";
}

}  // namespace

std::string prometheus_rules(const AlertConfig& config, int poll_interval_s) {
    // Supply types by their low threshold; "default" covers every other type.
    std::map<int, std::vector<std::string>> by_threshold;
    std::vector<std::string> named;
    for (const auto& [type, percent] : config.low_percent) {
        if (type == "default") continue;
        by_threshold[percent].push_back(type);
        named.push_back(type);
    }
    std::ostringstream out;
    out << "# Written by pmsnmp rules: the thresholds of pmsnmp serve's alerts.\n"
        << "groups:\n  - name: pmsnmp-printers\n    rules:\n";
    const std::string consumed = "class!=\"" + std::string(kReceptacleClass) + "\"";
    int part = 0;
    for (const auto& [percent, types] : by_threshold) {
        const std::string name = "PrinterSupplyLow" + (part++ ? std::to_string(part) : std::string());
        const std::string selector = "{" + consumed + ",type=~\"" + join(types, "|") + "\"}";
        write_rule(out, name,
                   "(" + held_expression(selector, "<=", percent, percent + config.hysteresis, name) + ") > 0", "",
                   "warning", "{{ $labels.supply }} is low ({{ $value }}%)");
    }
    const int fallback = low_threshold(config, std::nullopt);
    const std::string other = "{" + consumed + ",type!~\"" + join(named, "|") + "\"}";
    write_rule(out, "PrinterSupplyLowOther",
               "(" + held_expression(other, "<=", fallback, fallback + config.hysteresis, "PrinterSupplyLowOther") + ") > 0",
               "", "warning", "{{ $labels.supply }} is low ({{ $value }}%)");
    write_rule(out, "PrinterSupplyEmpty", "printer_supply_level_percent{" + consumed + "} == 0", "", "critical",
               "{{ $labels.supply }} is empty");
    const std::string receptacle = "{class=\"" + std::string(kReceptacleClass) + "\"}";
    write_rule(out, "PrinterReceptacleNearlyFull",
               held_expression(receptacle, ">=", config.nearly_full_percent,
                               config.nearly_full_percent - config.hysteresis, "PrinterReceptacleNearlyFull"),
               "", "warning", "{{ $labels.supply }} is nearly full ({{ $value }}%)");
    // down_after failed polls in a row: the metric must stay 0 that long.
    write_rule(out, "PrinterUnreachable", "printer_up == 0",
               std::to_string(static_cast<long long>(config.down_after - 1) * poll_interval_s) + "s", "critical",
               "the printer does not answer");
    write_rule(out, "PrinterError", "printer_error == 1", "", "warning", "{{ $labels.condition }}");
    return out.str();
}

CLI::App* add_rules_command(CLI::App& app, RulesCommandLine& line) {
    CLI::App* command = app.add_subcommand(
        "rules", "write a Prometheus alert-rule file with the thresholds of serve's alerts configuration");
    command->add_option("--config", line.config, "serve's YAML file (its alerts: section; default: the defaults)")
        ->type_name("FILE");
    command->add_option("--poll-interval", line.poll_interval_s, "serve's polling interval in seconds (default 60)")
        ->check(CLI::Range(1, 86400).description(""))
        ->type_name("S");
    return command;
}

int run_rules(const RulesCommandLine& line, std::ostream& out, std::ostream& err) {
    AlertConfig config;
    std::string reason;
    if (!line.config.empty() && !parse_alert_config_file(line.config, &config, &reason)) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitUsage;
    }
    out << prometheus_rules(config, line.poll_interval_s);
    return kExitOk;
}

}  // namespace pmtool
