#include "render/summary_line.h"

#include "printer/printer_mib.h"
#include "render/safe_text.h"

#include <sstream>

namespace pmtool {

namespace {

constexpr const char* kNone = "-";

std::string model_of(const PrinterReport& report) {
    const std::optional<std::string>& model =
        report.device_descr ? report.device_descr : report.printer_name ? report.printer_name : report.sys_descr;
    return model ? safe_text(*model) : std::string();
}

std::string status_name(const std::optional<long>& code, std::string (*name_of)(long)) {
    if (!code) return std::string();
    const std::string name = name_of(*code);
    return name.empty() ? std::to_string(*code) : name;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
    return out;
}

std::string lowest_text(const PrinterReport& report) {
    const Supply* supply = lowest_supply(report);
    if (supply == nullptr) return std::string();
    return std::to_string(supply->reading.percent) + "%" +
           (supply->description ? " (" + safe_text(*supply->description) + ")" : "");
}

std::string or_none(const std::string& text) { return text.empty() ? kNone : text; }

nlohmann::json or_null(const std::string& text) { return text.empty() ? nlohmann::json() : nlohmann::json(text); }

}  // namespace

const Supply* lowest_supply(const PrinterReport& report) {
    const Supply* lowest = nullptr;
    for (const Supply& supply : report.supplies) {
        if (supply.receptacle || supply.reading.kind != LevelKind::kPercent) continue;
        if (lowest == nullptr || supply.reading.percent < lowest->reading.percent) lowest = &supply;
    }
    return lowest;
}

std::string summary_line(const HostOutcome& outcome) {
    const PrinterReport& report = outcome.report;
    std::ostringstream line;
    line << report.host << "  ";
    if (!outcome.answered) {
        line << "failed: " << outcome.reason;
        return line.str();
    }
    line << or_none(model_of(report)) << "  device=" << or_none(status_name(report.device_status, mib::device_status_name))
         << " printer=" << or_none(status_name(report.printer_status, mib::printer_status_name))
         << "  errors=" << or_none(joined(report.error_conditions)) << "  lowest=" << or_none(lowest_text(report))
         << "  pages=" << (report.page_count ? std::to_string(*report.page_count) : kNone);
    return line.str();
}

nlohmann::json summary_json(const HostOutcome& outcome) {
    const PrinterReport& report = outcome.report;
    if (!outcome.answered) return {{"host", report.host}, {"error", outcome.reason}};
    const Supply* lowest = lowest_supply(report);
    nlohmann::json lowest_json;
    if (lowest != nullptr) {
        lowest_json = {{"percent", lowest->reading.percent},
                       {"description", lowest->description ? nlohmann::json(safe_text(*lowest->description)) : nlohmann::json()}};
    }
    return {{"host", report.host},
            {"model", or_null(model_of(report))},
            {"device_status", or_null(status_name(report.device_status, mib::device_status_name))},
            {"printer_status", or_null(status_name(report.printer_status, mib::printer_status_name))},
            {"errors", report.error_conditions},
            {"lowest_supply", lowest_json},
            {"page_count", report.page_count ? nlohmann::json(*report.page_count) : nlohmann::json()}};
}

}  // namespace pmtool
