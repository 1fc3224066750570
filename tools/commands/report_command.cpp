#include "commands/report_command.h"

#include "alerts/event.h"
#include "cli/exit_codes.h"
#include "render/render.h"
#include "render/safe_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <sstream>

namespace pmtool {

namespace {

constexpr int kDayLength = 10;  // "2026-12-01"

std::string date_text(std::int64_t time) { return utc_time_text(time).substr(0, kDayLength); }

// A CSV field: quoted when it holds a separator, a quote or a line break.
std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string days_text(const std::optional<double>& days) {
    if (!days) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", *days);
    return text;
}

bool open_history(const ReportCommandLine& line, HistoryStore* store, std::string* reason) {
    HistoryConfig config;
    if (!line.config.empty() && !parse_history_config_file(line.config, &config, reason)) return false;
    if (!line.database.empty()) config.database = line.database;
    if (config.database.empty()) {
        *reason = "no history database: give --db, or --config with a history: section";
        return false;
    }
    return store->open(config.database, reason);
}

}  // namespace

bool parse_time(const std::string& text, std::int64_t* time) {
    std::tm parts{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &consumed) == 3) {
        if (static_cast<std::size_t>(consumed) != text.size() &&
            (std::sscanf(text.c_str() + consumed, "T%2d:%2d:%2dZ", &parts.tm_hour, &parts.tm_min, &parts.tm_sec) != 3 ||
             text.back() != 'Z'))
            return false;
        parts.tm_year -= 1900;
        parts.tm_mon -= 1;
        *time = static_cast<std::int64_t>(timegm(&parts));
        return true;
    }
    char* end = nullptr;
    const long long seconds = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') return false;
    *time = seconds;
    return true;
}

std::string render_pages(const std::vector<PagePeriod>& rows, bool csv) {
    std::ostringstream out;
    if (csv) {
        out << "printer,counter,from,until,pages\n";
        for (const PagePeriod& row : rows)
            out << csv_field(safe_text(row.printer)) << ',' << row.counter << ',' << utc_time_text(row.start) << ','
                << utc_time_text(row.end) << ',' << row.pages << '\n';
        return out.str();
    }
    for (const PagePeriod& row : rows)
        out << date_text(row.start) << "  " << date_text(row.end) << "  " << safe_text(row.printer) << "  "
            << row.counter << "  " << row.pages << " pages\n";
    return out.str();
}

std::string render_supplies(const std::vector<SupplyForecast>& forecasts, bool csv) {
    std::ostringstream out;
    if (csv) out << "printer,supply,description,percent,receptacle,days_left\n";
    for (const SupplyForecast& forecast : forecasts) {
        const SupplySample& latest = forecast.latest;
        const std::string description = safe_text(latest.description);
        if (csv) {
            out << csv_field(safe_text(latest.printer)) << ',' << latest.supply << ',' << csv_field(description)
                << ',' << latest.percent << ',' << (latest.receptacle ? 1 : 0) << ','
                << (forecast.days_left ? days_text(forecast.days_left) : "") << '\n';
            continue;
        }
        out << safe_text(latest.printer) << "  " << description << "  " << latest.percent
            << (latest.receptacle ? "% full" : "%");
        if (forecast.days_left)
            out << "  " << (latest.receptacle ? "full" : "empty") << " in " << days_text(forecast.days_left) << " days";
        out << '\n';
    }
    return out.str();
}

std::string render_orders(const std::vector<OrderLine>& lines, bool csv) {
    std::ostringstream out;
    if (csv) out << "item,count,printers\n";
    for (const OrderLine& line : lines) {
        std::string printers;
        for (const std::string& printer : line.printers) printers += (printers.empty() ? "" : " ") + printer;
        if (csv)
            out << csv_field(line.item) << ',' << line.printers.size() << ',' << csv_field(printers) << '\n';
        else
            out << line.printers.size() << " x " << line.item << "  (" << printers << ")\n";
    }
    return out.str();
}

ReportCommands add_report_command(CLI::App& app, ReportCommandLine& line) {
    CLI::App* report = app.add_subcommand("report", "reports from the history serve keeps: pages, supplies, orders");
    report->require_subcommand(1);
    auto common = [&line](CLI::App* command) {
        command->add_option("--config", line.config, "serve's YAML file (its history: and alerts: sections)")
            ->type_name("FILE");
        command->add_option("--db", line.database, "the history database (instead of the config's)")
            ->type_name("FILE");
        command->add_flag("--csv", line.csv, "print CSV");
    };
    ReportCommands commands{};
    commands.pages = report->add_subcommand("pages", "pages printed per printer and period");
    common(commands.pages);
    commands.pages->add_option("--since", line.since, "start (2026-12-01, 2026-12-01T08:00:00Z or epoch seconds)")
        ->required()
        ->type_name("TIME");
    commands.pages->add_option("--until", line.until, "end, exclusive (default: now)")->type_name("TIME");
    commands.pages->add_option("--period", line.period, "month, day or whole (default month)")
        ->check(CLI::IsMember({"month", "day", "whole"}).description(""))
        ->type_name("month|day|whole");
    commands.supplies = report->add_subcommand("supplies", "supply levels and days until empty at the recent rate");
    common(commands.supplies);
    commands.supplies->add_option("--at", line.until, "the time to report at (default: now)")->type_name("TIME");
    commands.supplies->add_option("--window", line.window_days, "days of history the rate comes from (default 30)")
        ->check(CLI::Range(1, 3650).description(""))
        ->type_name("DAYS");
    commands.orders = report->add_subcommand(
        "orders", "what to order: supplies low or nearly full, or due within --within days, grouped by item");
    common(commands.orders);
    commands.orders->add_option("--at", line.until, "the time to report at (default: now)")->type_name("TIME");
    commands.orders->add_option("--within", line.within_days, "days ahead to order for (default 14)")
        ->check(CLI::Range(0.0, 3650.0).description(""))
        ->type_name("DAYS");
    return commands;
}

int run_report(const ReportCommands& commands, const ReportCommandLine& line, std::ostream& out, std::ostream& err) {
    std::int64_t since = 0;
    std::int64_t until = static_cast<std::int64_t>(std::time(nullptr));
    if ((!line.since.empty() && !parse_time(line.since, &since)) || (!line.until.empty() && !parse_time(line.until, &until))) {
        err << "pmsnmp: bad time (use 2026-12-01, 2026-12-01T08:00:00Z or seconds since the epoch)" << std::endl;
        return kExitUsage;
    }
    AlertConfig alerts;
    std::string reason;
    HistoryStore store;
    if ((!line.config.empty() && !parse_alert_config_file(line.config, &alerts, &reason)) ||
        !open_history(line, &store, &reason)) {
        err << "pmsnmp: " << reason << std::endl;
        return kExitFailure;
    }
    if (commands.pages->parsed()) {
        const PeriodKind period = line.period == "day" ? PeriodKind::kDay
                                  : line.period == "whole" ? PeriodKind::kWhole
                                                           : PeriodKind::kMonth;
        out << render_pages(page_report(store, since, until, period), line.csv);
        return kExitOk;
    }
    const std::vector<SupplyForecast> forecasts = supply_report(store, until, line.window_days, alerts.replaced_rise);
    out << (commands.supplies->parsed() ? render_supplies(forecasts, line.csv)
                                        : render_orders(order_list(forecasts, alerts, line.within_days), line.csv));
    return kExitOk;
}

}  // namespace pmtool
