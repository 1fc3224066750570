// Turns a printer's polls into events: each event once, when its state
// changes, never again while the state holds. Fed one poll at a time,
// (printer key, time, report) or (printer key, time, failure).
#ifndef PMSNMP_TOOLS_EVENT_ENGINE_H
#define PMSNMP_TOOLS_EVENT_ENGINE_H

#include "alerts/alert_config.h"
#include "alerts/event.h"
#include "printer/printer_status.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pmtool {

enum class LevelPhase { kOk, kLow, kEmpty, kNearlyFull };

struct LevelState {
    LevelPhase phase = LevelPhase::kOk;
    std::optional<int> percent;  // last percent read
};

// What the engine remembers of one printer between polls.
struct PrinterAlertState {
    int failures = 0;  // failed polls in a row
    bool down = false;
    std::map<std::string, LevelState> supplies;  // by index
    std::set<std::string> empty_trays;
    std::set<std::string> alert_rows;
    std::set<std::string> errors;
};

class EventEngine {
public:
    explicit EventEngine(AlertConfig config) : config_(std::move(config)) {}

    std::vector<Event> observe(const std::string& printer, std::int64_t time, const PrinterReport& report);
    std::vector<Event> observe_failure(const std::string& printer, std::int64_t time, const std::string& reason);

    // The remembered state as JSON text, so that a restart does not tell
    // again what was told.
    std::string state_json(const std::string& printer) const;
    void restore_state(const std::string& printer, const std::string& json);

private:
    AlertConfig config_;
    std::map<std::string, PrinterAlertState> states_;
};

}  // namespace pmtool

#endif
