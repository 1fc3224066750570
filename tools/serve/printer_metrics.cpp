#include "serve/printer_metrics.h"

#include "printer/printer_mib.h"
#include "serve/metrics_text.h"
#include "render/safe_text.h"

#include <algorithm>
#include <cctype>

namespace pmtool {

namespace {

std::string text_or_empty(const std::optional<std::string>& text) { return text ? safe_text(*text) : std::string(); }

std::string enum_name(const std::optional<long>& code, std::string (*name_of)(long)) {
    if (!code) return std::string();
    const std::string name = name_of(*code);
    return name.empty() ? std::to_string(*code) : name;
}

// The colorant the description names; the report does not read the
// colorant table, and descriptions name the color in practice.
std::string color_of(const std::optional<std::string>& description) {
    if (!description) return std::string();
    std::string lower = *description;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* color : {"black", "cyan", "magenta", "yellow"})
        if (lower.find(color) != std::string::npos) return color;
    return std::string();
}

void declare(MetricsText& out) {
    out.family("printer_up", "gauge", "1 when the printer answered its last poll, else 0.");
    out.family("printer_info", "gauge", "The printer's model, serial number, name and location; always 1.");
    out.family("printer_supply_level_percent", "gauge",
               "What is left of a consumable, or how full a receptacle is, in percent.");
    out.family("printer_supply_state", "gauge", "The supply's state, in the state label; always 1.");
    out.family("printer_input_level_percent", "gauge", "How full an input tray is, in percent.");
    out.family("printer_error", "gauge", "1 for each condition set in hrPrinterDetectedErrorState.");
    out.family("printer_alert", "gauge", "1 for each row of the printer's alert table.");
    out.family("printer_pages_total", "counter", "Pages printed over the printer's life (prtMarkerLifeCount).");
    out.family("printer_last_success_timestamp_seconds", "gauge", "When the printer last answered a poll.");
}

MetricLabels with(MetricLabels labels, std::initializer_list<std::pair<std::string, std::string>> more) {
    labels.insert(labels.end(), more.begin(), more.end());
    return labels;
}

void add_supplies(MetricsText& out, const MetricLabels& base, const PrinterReport& report, int low_percent) {
    for (const Supply& supply : report.supplies) {
        const MetricLabels labels =
            with(base, {{"index", supply.index},
                        {"supply", text_or_empty(supply.description)},
                        {"type", enum_name(supply.type, mib::supply_type_name)},
                        {"class", enum_name(supply.supply_class, mib::supply_class_name)},
                        {"color", safe_text(color_of(supply.description))}});
        if (supply.reading.kind == LevelKind::kPercent)
            out.sample("printer_supply_level_percent", labels, supply.reading.percent);
        out.sample("printer_supply_state", with(labels, {{"state", supply_state(supply, low_percent)}}), 1);
    }
    for (const InputTray& tray : report.input_trays) {
        if (tray.reading.kind != LevelKind::kPercent) continue;
        out.sample("printer_input_level_percent",
                   with(base, {{"index", tray.index}, {"tray", text_or_empty(tray.name)}}), tray.reading.percent);
    }
}

void add_printer(MetricsText& out, const PrinterSnapshot& state, int low_percent) {
    // Not yet polled: no news, rather than a fleet of zeros at start-up.
    if (!state.polled) return;
    MetricLabels base = {{"host", state.printer->host}};
    // The configuration's labels are the admin's own text, line feeds and all.
    for (const auto& label : state.printer->labels) base.emplace_back(label.first, label.second);
    out.sample("printer_up", base, state.up ? 1 : 0);
    if (state.last_success)
        out.sample("printer_last_success_timestamp_seconds", base,
                   std::chrono::duration<double>(state.last_success->time_since_epoch()).count());
    if (!state.report) return;
    const PrinterReport& report = *state.report;
    out.sample("printer_info",
               with(base, {{"model", safe_text(printer_model(report))},
                           {"serial", text_or_empty(report.serial_number)},
                           {"name", text_or_empty(report.sys_name ? report.sys_name : report.printer_name)},
                           {"location", text_or_empty(state.location)}}),
               1);
    add_supplies(out, base, report, low_percent);
    for (const std::string& condition : report.error_conditions)
        out.sample("printer_error", with(base, {{"condition", condition}}), 1);
    for (const Alert& alert : report.alerts) {
        out.sample("printer_alert",
                   with(base, {{"index", alert.index},
                               {"severity", enum_name(alert.severity, mib::alert_severity_name)},
                               {"group", enum_name(alert.group, mib::alert_group_name)},
                               {"code", enum_name(alert.code, mib::alert_code_name)}}),
                   1);
    }
    if (report.page_count) out.sample("printer_pages_total", base, static_cast<double>(*report.page_count));
}

}  // namespace

std::string supply_state(const Supply& supply, int low_percent) {
    const LevelReading& reading = supply.reading;
    switch (reading.kind) {
    case LevelKind::kPercent:
        if (reading.receptacle) {
            if (reading.percent >= 100) return "full";
            return reading.percent >= kNearlyFullPercent ? "nearly_full" : "ok";
        }
        if (reading.percent <= 0) return "empty";
        return reading.percent <= low_percent ? "low" : "ok";
    case LevelKind::kSomeRemaining:
        return "some_remaining";
    case LevelKind::kRaw:
        // A level without capacity: only "nothing left" has a sure meaning.
        if (reading.raw == 0) return reading.receptacle ? "full" : "empty";
        return "unknown";
    default:
        return "unknown";
    }
}

std::string printer_model(const PrinterReport& report) {
    const std::optional<std::string>& model =
        report.device_descr ? report.device_descr : report.printer_name ? report.printer_name : report.sys_descr;
    return model ? *model : std::string();
}

std::string fleet_metrics(const std::vector<PrinterSnapshot>& printers, const MonitorStats& stats, int low_percent) {
    MetricsText out;
    declare(out);
    for (const PrinterSnapshot& state : printers) add_printer(out, state, low_percent);
    out.family("pmsnmp_serve_cycle_duration_seconds", "gauge", "How long the last pass over the printers due took (one backed off waits for a later pass).");
    out.family("pmsnmp_serve_polls_in_flight", "gauge", "Printer polls under way.");
    out.family("pmsnmp_serve_polls_total", "counter", "Printer polls ended, answered or not.");
    out.family("pmsnmp_serve_timeouts_total", "counter", "Printer polls that took no answer.");
    out.family("pmsnmp_serve_printers", "gauge", "Printers this server polls.");
    if (stats.cycle_seconds) out.sample("pmsnmp_serve_cycle_duration_seconds", {}, *stats.cycle_seconds);
    out.sample("pmsnmp_serve_polls_in_flight", {}, stats.in_flight);
    out.sample("pmsnmp_serve_polls_total", {}, static_cast<double>(stats.polls));
    out.sample("pmsnmp_serve_timeouts_total", {}, static_cast<double>(stats.timeouts));
    out.sample("pmsnmp_serve_printers", {}, static_cast<double>(printers.size()));
    return out.text();
}

std::string probe_metrics(const PrinterSnapshot& printer, int low_percent) {
    MetricsText out;
    declare(out);
    add_printer(out, printer, low_percent);
    return out.text();
}

}  // namespace pmtool
