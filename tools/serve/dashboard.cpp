#include "serve/dashboard.h"

#include "printer/printer_mib.h"
#include "render/summary_line.h"
#include "serve/printer_metrics.h"
#include "render/safe_text.h"

#include <algorithm>
#include <cstdio>

namespace pmtool {

namespace {

constexpr const char* kRefreshSeconds = "30";
constexpr std::size_t kModelWidth = 48;

constexpr const char* kStyle =
    "body{font-family:system-ui,sans-serif;margin:1.5em;color:#222;background:#fafafa}"
    "h1{font-size:1.4em}table{border-collapse:collapse;width:100%}"
    "th,td{text-align:left;padding:.35em .7em;border-bottom:1px solid #ddd;vertical-align:top}"
    "th{background:#eee}tr.down td{background:#fde8e8}.status-down{color:#b00;font-weight:bold}"
    ".level{white-space:nowrap}.bar{display:inline-block;width:8em;height:.8em;background:#e4e4e4;margin-right:.5em}"
    ".bar span{display:block;height:100%;background:#3a7}.low .bar span{background:#d80}"
    ".empty .bar span,.full .bar span{background:#c22}.errors{color:#b00}.age{color:#666}"
    "a{color:#15c}";

std::string page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"refresh\" content=\"" +
           std::string(kRefreshSeconds) + "\"><title>" + html_text(title) + "</title><style>" + kStyle +
           "</style></head>\n<body>\n" + body + "</body></html>\n";
}

std::string url_component(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 0x0f];
        }
    }
    return out;
}

// Some agents put their firmware list in the system description.
std::string short_model(const PrinterReport& report) {
    const std::string model = printer_model(report);
    return model.substr(0, std::min(model.find(';'), kModelWidth));
}

std::string bar(const std::string& css, int percent, const std::string& text) {
    return "<span class=\"level " + css + "\"><span class=\"bar\"><span style=\"width:" + std::to_string(percent) +
           "%\"></span></span>" + html_text(text) + "</span>";
}

std::string status_text(const PrinterSnapshot& state) {
    if (!state.polled) return "not polled yet";
    if (!state.up) return "unreachable";
    const PrinterReport& report = *state.report;
    std::string text;
    if (report.device_status) text = mib::device_status_name(*report.device_status);
    if (report.printer_status) text += (text.empty() ? "" : ", ") + mib::printer_status_name(*report.printer_status);
    return text.empty() ? "up" : text;
}

std::string errors_text(const PrinterSnapshot& state) {
    if (!state.report) return std::string();
    std::string text;
    for (const std::string& condition : state.report->error_conditions) text += (text.empty() ? "" : ", ") + condition;
    return text;
}

const Supply* lowest_of(const PrinterSnapshot& state) {
    return state.report ? lowest_supply(*state.report) : nullptr;
}

std::string row(const PrinterSnapshot& state, WallClock::time_point now, int low_percent) {
    const Supply* lowest = lowest_of(state);
    const PrinterReport* report = state.report ? &*state.report : nullptr;
    std::string html = "<tr class=\"printer " + std::string(state.up ? "up" : "down") + "\" data-host=\"" +
                       html_text(state.printer->host) + "\">";
    html += "<td><a href=\"/printer?host=" + url_component(state.printer->host) + "\">" +
            html_text(state.printer->host) + "</a></td>";
    html += "<td>" + (report ? html_text(short_model(*report)) : std::string()) + "</td>";
    html += "<td class=\"status-" + std::string(state.up ? "up" : "down") + "\">" + html_text(status_text(state)) +
            "</td>";
    html += "<td class=\"errors\">" + html_text(errors_text(state)) + "</td><td>";
    if (lowest) {
        html += bar(supply_state(*lowest, low_percent), lowest->reading.percent,
                    std::to_string(lowest->reading.percent) + "% " +
                        (lowest->description ? *lowest->description : std::string()));
    }
    html += "</td><td>" + (report && report->page_count ? std::to_string(*report->page_count) : std::string());
    html += "</td><td class=\"age\">" + html_text(age_text(state.last_success, now)) + "</td></tr>\n";
    return html;
}

// Lowest consumable first; printers without a level after, by host.
bool lower_supply(const PrinterSnapshot& a, const PrinterSnapshot& b) {
    const Supply* left = lowest_of(a);
    const Supply* right = lowest_of(b);
    if (left && right && left->reading.percent != right->reading.percent)
        return left->reading.percent < right->reading.percent;
    if ((left == nullptr) != (right == nullptr)) return left != nullptr;
    return a.printer->host < b.printer->host;
}

std::string supplies_table(const PrinterReport& report, int low_percent) {
    std::string html = "<h2>Supplies</h2><table><tr><th>Supply</th><th>Type</th><th>Level</th><th>State</th></tr>\n";
    for (const Supply& supply : report.supplies) {
        const std::string state = supply_state(supply, low_percent);
        html += "<tr><td>" + html_text(supply.description.value_or(supply.index)) + "</td><td>" +
                html_text(supply.type ? mib::supply_type_name(*supply.type) : std::string()) + "</td><td>";
        if (supply.reading.kind == LevelKind::kPercent)
            html += bar(state, supply.reading.percent, level_text(supply.reading));
        else
            html += html_text(level_text(supply.reading));
        html += "</td><td>" + state + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string trays_and_alerts(const PrinterReport& report) {
    std::string html = "<h2>Input trays</h2><table><tr><th>Tray</th><th>Level</th></tr>\n";
    for (const InputTray& tray : report.input_trays)
        html += "<tr><td>" + html_text(tray.name.value_or(tray.index)) + "</td><td>" +
                html_text(level_text(tray.reading)) + "</td></tr>\n";
    html += "</table>\n<h2>Alerts</h2><table><tr><th>Severity</th><th>Group</th><th>Code</th><th>Description</th></tr>\n";
    for (const Alert& alert : report.alerts) {
        const auto name = [](const std::optional<long>& code, std::string (*name_of)(long)) {
            return code ? name_of(*code) : std::string();
        };
        html += "<tr><td>" + html_text(name(alert.severity, mib::alert_severity_name)) + "</td><td>" +
                html_text(name(alert.group, mib::alert_group_name)) + "</td><td>" +
                html_text(name(alert.code, mib::alert_code_name)) + "</td><td>" +
                html_text(alert.description.value_or("")) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

}  // namespace

std::string html_text(const std::string& text) {
    std::string out;
    for (const char c : safe_text(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string age_text(const std::optional<WallClock::time_point>& then, WallClock::time_point now) {
    if (!then) return "never";
    const long long seconds = std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(now - *then).count());
    if (seconds < 120) return std::to_string(seconds) + " s";
    if (seconds < 7200) return std::to_string(seconds / 60) + " min";
    if (seconds < 172800) return std::to_string(seconds / 3600) + " h";
    return std::to_string(seconds / 86400) + " d";
}

std::string dashboard_page(std::vector<PrinterSnapshot> printers, WallClock::time_point now, int low_percent) {
    std::stable_sort(printers.begin(), printers.end(), lower_supply);
    const auto down = std::count_if(printers.begin(), printers.end(),
                                    [](const PrinterSnapshot& state) { return state.polled && !state.up; });
    std::string body = "<h1>Printers</h1>\n<p>" + std::to_string(printers.size()) + " printers, " +
                       std::to_string(down) + " unreachable; lowest supply first.</p>\n"
                       "<table id=\"printers\"><tr><th>Printer</th><th>Model</th><th>Status</th><th>Errors</th>"
                       "<th>Lowest supply</th><th>Pages</th><th>Data age</th></tr>\n";
    for (const PrinterSnapshot& state : printers) body += row(state, now, low_percent);
    return page("Printers", body + "</table>\n");
}

std::string printer_page(const PrinterSnapshot& state, WallClock::time_point now, int low_percent) {
    std::string body = "<p><a href=\"/\">All printers</a></p>\n<h1>" + html_text(state.printer->host) + "</h1>\n";
    body += "<p class=\"status-" + std::string(state.up ? "up" : "down") + "\">" + html_text(status_text(state)) +
            (state.up ? std::string() : " " + html_text(state.reason)) + "</p>\n";
    body += "<p class=\"age\">Data age: " + html_text(age_text(state.last_success, now)) + "</p>\n";
    if (state.report) {
        const PrinterReport& report = *state.report;
        body += "<p>" + html_text(printer_model(report)) + "; serial " +
                html_text(report.serial_number.value_or("unknown")) + "; pages " +
                (report.page_count ? std::to_string(*report.page_count) : std::string("unknown")) + "</p>\n";
        if (!report.error_conditions.empty()) body += "<p class=\"errors\">" + html_text(errors_text(state)) + "</p>\n";
        body += supplies_table(report, low_percent) + trays_and_alerts(report);
    }
    return page(state.printer->host, body);
}

}  // namespace pmtool
