#include "alerts/event.h"

#include "render/render.h"
#include "render/safe_text.h"

#include <nlohmann/json.hpp>

#include <ctime>

namespace pmtool {

std::string event_kind_name(EventKind kind) {
    switch (kind) {
        case EventKind::kSupplyLow: return "supply_low";
        case EventKind::kSupplyEmpty: return "supply_empty";
        case EventKind::kSupplyReplaced: return "supply_replaced";
        case EventKind::kNearlyFull: return "nearly_full";
        case EventKind::kTrayEmpty: return "tray_empty";
        case EventKind::kUnreachable: return "printer_unreachable";
        case EventKind::kReachable: return "printer_reachable";
        case EventKind::kAlertRaised: return "alert_raised";
        case EventKind::kErrorSet: return "error_set";
        case EventKind::kErrorCleared: return "error_cleared";
    }
    return "unknown";
}

std::string utc_time_text(std::int64_t time) {
    const std::time_t seconds = static_cast<std::time_t>(time);
    std::tm parts{};
    if (!gmtime_r(&seconds, &parts)) return std::to_string(time);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string event_json(const Event& event) {
    nlohmann::json object = {{"id", event.id},
                             {"printer", safe_text(event.printer)},
                             {"time", utc_time_text(event.time)},
                             {"kind", event_kind_name(event.kind)}};
    if (!event.subject.empty()) object["subject"] = safe_text(event.subject);
    if (!event.index.empty()) object["index"] = event.index;
    if (event.percent) object["percent"] = *event.percent;
    if (!event.detail.empty()) object["detail"] = safe_text(event.detail);
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string event_line(const Event& event) {
    std::string line = "event " + event_kind_name(event.kind) + " " + safe_text(event.printer);
    if (!event.subject.empty()) line += " \"" + safe_text(event.subject) + "\"";
    if (event.percent) line += " " + std::to_string(*event.percent) + "%";
    if (!event.detail.empty()) line += " (" + safe_text(event.detail) + ")";
    return line;
}

}  // namespace pmtool
