#include "render/render.h"

#include "printer/printer_mib.h"
#include "render/safe_text.h"

#include <algorithm>
#include <sstream>

namespace pmtool {

namespace {

constexpr const char* kAbsent = "(absent)";

std::string or_absent(const std::optional<std::string>& text) {
    return text ? safe_text(*text) : kAbsent;
}

std::string enumerated(const std::optional<long>& code, std::string (*name_of)(long)) {
    if (!code) return kAbsent;
    const std::string name = name_of(*code);
    return name.empty() ? "code " + std::to_string(*code) : name + " (" + std::to_string(*code) + ")";
}

void field(std::ostringstream& out, const char* label, const std::string& value) {
    out << "  " << pad_text(label, 16) << value << '\n';
}

// The bar shows what is in the unit: what is left of a consumable, how full
// a receptacle is.
std::string level_column(const LevelReading& reading) {
    if (reading.kind != LevelKind::kPercent) return level_text(reading);
    std::string percent = std::to_string(reading.percent) + "%";
    percent = std::string(4 - std::min<std::size_t>(4, percent.size()), ' ') + percent;
    return percent_bar(reading.percent) + " " + percent + (reading.receptacle ? " full" : "");
}

std::string supply_kind(const Supply& supply) {
    if (supply.type) {
        const std::string name = mib::supply_type_name(*supply.type);
        if (!name.empty()) return name;
    }
    return supply.receptacle ? "receptacle" : "supply";
}

void general_section(std::ostringstream& out, const PrinterReport& report) {
    out << "Printer " << report.host << '\n';
    field(out, "Name", or_absent(report.sys_name));
    field(out, "Description", or_absent(report.sys_descr));
    field(out, "Printer name", or_absent(report.printer_name));
    field(out, "Serial number", or_absent(report.serial_number));
    std::string device = kAbsent;
    if (report.device_index) {
        device = report.device_descr ? safe_text(*report.device_descr) + " " : std::string();
        device += "(hrDeviceIndex " + std::to_string(*report.device_index) + ")";
    }
    field(out, "Device", device);
    field(out, "Device status", enumerated(report.device_status, mib::device_status_name));
    field(out, "Printer status", enumerated(report.printer_status, mib::printer_status_name));
    std::string errors = kAbsent;
    if (report.error_state) {
        errors = "none";
        if (!report.error_conditions.empty()) {
            errors.clear();
            for (const std::string& condition : report.error_conditions)
                errors += (errors.empty() ? "" : ", ") + condition;
        }
    }
    field(out, "Errors", errors);
    field(out, "Page count", report.page_count ? std::to_string(*report.page_count) : kAbsent);
}

void supplies_section(std::ostringstream& out, const PrinterReport& report) {
    out << "\nSupplies\n";
    if (report.supplies.empty()) out << "  " << kAbsent << '\n';
    std::size_t width = 12;
    for (const Supply& supply : report.supplies)
        width = std::max(width, std::min<std::size_t>(40, text_width(safe_text(supply.description.value_or("")))));
    for (const Supply& supply : report.supplies) {
        const std::string description = supply.description ? safe_text(*supply.description) : "supply " + supply.index;
        out << "  " << pad_text(cut_text(description, width), width + 1) << pad_text(supply_kind(supply), 12)
            << level_column(supply.reading) << '\n';
    }
}

void input_section(std::ostringstream& out, const PrinterReport& report) {
    out << "\nInput trays\n";
    if (report.input_trays.empty()) out << "  " << kAbsent << '\n';
    std::size_t width = 12;
    for (const InputTray& tray : report.input_trays)
        width = std::max(width, std::min<std::size_t>(40, text_width(safe_text(tray.name.value_or("")))));
    for (const InputTray& tray : report.input_trays) {
        const std::string name = tray.name ? safe_text(*tray.name) : "tray " + tray.index;
        out << "  " << pad_text(cut_text(name, width), width + 1) << level_column(tray.reading);
        if (tray.reading.kind == LevelKind::kPercent)
            out << " (" << *tray.current_level << " of " << *tray.max_capacity << ")";
        out << '\n';
    }
}

void alert_section(std::ostringstream& out, const PrinterReport& report) {
    out << "\nAlerts\n";
    if (report.alerts.empty()) out << "  (none)\n";
    for (const Alert& alert : report.alerts) {
        const std::string severity = alert.severity ? mib::alert_severity_name(*alert.severity) : "";
        std::string code = alert.code ? mib::alert_code_name(*alert.code) : "";
        if (code.empty() && alert.code) code = "code " + std::to_string(*alert.code);
        std::string group = alert.group ? mib::alert_group_name(*alert.group) : "";
        out << "  " << pad_text(severity.empty() ? "alert" : severity, 10) << pad_text(code, 28)
            << pad_text(group, 16) << safe_text(alert.description.value_or("")) << '\n';
    }
}

void console_section(std::ostringstream& out, const PrinterReport& report) {
    out << "\nConsole\n";
    if (report.console_lines.empty()) out << "  " << kAbsent << '\n';
    for (const std::string& line : report.console_lines) out << "  | " << safe_text(line) << '\n';
}

}  // namespace

std::string percent_bar(int percent, int width) {
    const int clamped = std::max(0, std::min(100, percent));
    const int filled = (clamped * width + 50) / 100;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

std::string render_report_text(const PrinterReport& report) {
    std::ostringstream out;
    general_section(out, report);
    supplies_section(out, report);
    input_section(out, report);
    alert_section(out, report);
    console_section(out, report);
    return out.str();
}

}  // namespace pmtool
