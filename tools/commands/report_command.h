// pmsnmp report pages|supplies|orders: what the history says, as text or CSV.
#ifndef PMSNMP_TOOLS_REPORT_COMMAND_H
#define PMSNMP_TOOLS_REPORT_COMMAND_H

#include "history/history_reports.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pmtool {

struct ReportCommandLine {
    std::string config;    // serve's YAML: its history: and alerts: sections
    std::string database;  // the history database, instead of the config's
    std::string since;
    std::string until;
    std::string period = "month";
    bool csv = false;
    int window_days = 30;
    double within_days = 14;
};

struct ReportCommands {
    CLI::App* pages;
    CLI::App* supplies;
    CLI::App* orders;
};

ReportCommands add_report_command(CLI::App& app, ReportCommandLine& line);
int run_report(const ReportCommands& commands, const ReportCommandLine& line, std::ostream& out, std::ostream& err);

// "2026-12-01", "2026-12-01T10:00:00Z" or seconds since the epoch.
bool parse_time(const std::string& text, std::int64_t* time);

std::string render_pages(const std::vector<PagePeriod>& rows, bool csv);
std::string render_supplies(const std::vector<SupplyForecast>& forecasts, bool csv);
std::string render_orders(const std::vector<OrderLine>& lines, bool csv);

}  // namespace pmtool

#endif
