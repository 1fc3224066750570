#include "render/render.h"

#include "printer/printer_mib.h"
#include "render/safe_text.h"

#include <nlohmann/json.hpp>

namespace pmtool {

namespace {

using Json = nlohmann::ordered_json;

Json optional_text(const std::optional<std::string>& text) {
    return text ? Json(safe_text(*text)) : Json(nullptr);
}

template <class Number>
Json optional_number(const std::optional<Number>& number) {
    return number ? Json(*number) : Json(nullptr);
}

// {"code": 3, "name": "warning"}; name null for a code the MIB does not list.
Json enumerated(const std::optional<long>& code, std::string (*name_of)(long)) {
    if (!code) return nullptr;
    const std::string name = name_of(*code);
    return Json{{"code", *code}, {"name", name.empty() ? Json(nullptr) : Json(name)}};
}

std::string hex_of(const std::string& octets) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : octets) {
        const unsigned char u = static_cast<unsigned char>(c);
        hex += digits[u >> 4];
        hex += digits[u & 0x0f];
    }
    return hex;
}

void add_level(Json& row, const LevelReading& reading) {
    row["state"] = level_kind_name(reading.kind);
    row["percent"] = reading.kind == LevelKind::kPercent ? Json(reading.percent) : Json(nullptr);
    row["text"] = level_text(reading);
}

Json printer_json(const PrinterReport& report) {
    Json printer;
    printer["name"] = optional_text(report.printer_name);
    printer["serial_number"] = optional_text(report.serial_number);
    printer["device_index"] = optional_number(report.device_index);
    printer["device_description"] = optional_text(report.device_descr);
    printer["device_status"] = enumerated(report.device_status, mib::device_status_name);
    printer["printer_status"] = enumerated(report.printer_status, mib::printer_status_name);
    if (report.error_state) {
        printer["detected_error_state"] =
            Json{{"hex", hex_of(*report.error_state)}, {"conditions", report.error_conditions}};
    } else {
        printer["detected_error_state"] = nullptr;
    }
    printer["page_count"] = optional_number(report.page_count);
    return printer;
}

Json supplies_json(const PrinterReport& report) {
    Json supplies = Json::array();
    for (const Supply& supply : report.supplies) {
        Json row;
        row["index"] = supply.index;
        row["description"] = optional_text(supply.description);
        row["class"] = enumerated(supply.supply_class, mib::supply_class_name);
        row["type"] = enumerated(supply.type, mib::supply_type_name);
        row["unit"] = enumerated(supply.unit, mib::supply_unit_name);
        row["max_capacity"] = optional_number(supply.max_capacity);
        row["level"] = optional_number(supply.level);
        row["receptacle"] = supply.receptacle;
        add_level(row, supply.reading);
        supplies.push_back(std::move(row));
    }
    return supplies;
}

Json inputs_json(const PrinterReport& report) {
    Json trays = Json::array();
    for (const InputTray& tray : report.input_trays) {
        Json row;
        row["index"] = tray.index;
        row["name"] = optional_text(tray.name);
        row["max_capacity"] = optional_number(tray.max_capacity);
        row["current_level"] = optional_number(tray.current_level);
        add_level(row, tray.reading);
        trays.push_back(std::move(row));
    }
    return trays;
}

Json alerts_json(const PrinterReport& report) {
    Json alerts = Json::array();
    for (const Alert& alert : report.alerts) {
        Json row;
        row["index"] = alert.index;
        row["severity"] = enumerated(alert.severity, mib::alert_severity_name);
        row["group"] = enumerated(alert.group, mib::alert_group_name);
        row["location"] = optional_number(alert.location);
        row["code"] = enumerated(alert.code, mib::alert_code_name);
        row["description"] = optional_text(alert.description);
        alerts.push_back(std::move(row));
    }
    return alerts;
}

}  // namespace

Json report_document(const PrinterReport& report) {
    Json document;
    document["host"] = report.host;
    document["system"] = Json{{"name", optional_text(report.sys_name)},
                              {"description", optional_text(report.sys_descr)}};
    document["printer"] = printer_json(report);
    document["supplies"] = supplies_json(report);
    document["input_trays"] = inputs_json(report);
    document["alerts"] = alerts_json(report);
    Json console = Json::array();
    for (const std::string& line : report.console_lines) console.push_back(safe_text(line));
    document["console"] = std::move(console);
    return document;
}

std::string render_report_json(const PrinterReport& report) { return json_text(report_document(report)) + "\n"; }

}  // namespace pmtool
