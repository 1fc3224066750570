// A change worth telling: what happened, to which printer, when. Texts in an
// event come from the printer and are untrusted; the JSON and log forms make
// them printable.
#ifndef PMSNMP_TOOLS_EVENT_H
#define PMSNMP_TOOLS_EVENT_H

#include <cstdint>
#include <optional>
#include <string>

namespace pmtool {

enum class EventKind {
    kSupplyLow,
    kSupplyEmpty,
    kSupplyReplaced,
    kNearlyFull,  // a receptacle (waste toner, waste ink)
    kTrayEmpty,
    kUnreachable,
    kReachable,
    kAlertRaised,  // a new row of the printer's alert table
    kErrorSet,     // a bit of hrPrinterDetectedErrorState
    kErrorCleared,
};

struct Event {
    std::int64_t id = 0;  // the outbox's sequence number; 0 before it is stored
    std::string printer;
    std::int64_t time = 0;  // seconds since the epoch
    EventKind kind = EventKind::kSupplyLow;
    std::string subject;  // supply or tray description, condition, alert description
    std::string index;    // the row's index where there is one
    std::optional<int> percent;
    std::string detail;  // why a printer is unreachable, an alert's severity, ...
};

// "supply_low", "printer_unreachable", ...
std::string event_kind_name(EventKind kind);
// One JSON object, the webhook's payload.
std::string event_json(const Event& event);
// One line for the log.
std::string event_line(const Event& event);
// "2026-12-09T13:00:00Z"
std::string utc_time_text(std::int64_t time);

}  // namespace pmtool

#endif
