#include "alerts/event_engine.h"

#include "printer/printer_mib.h"

#include <nlohmann/json.hpp>

namespace pmtool {

namespace {

// A printer may list any number of rows or error bits; one poll tells at
// most this many events, the state still follows them all.
constexpr std::size_t kMaxEventsPerPoll = 64;
constexpr long kAlertGroupInput = 8;  // prtAlertGroup input: location is the tray

class Emitter {
public:
    Emitter(const std::string& printer, std::int64_t time) : printer_(printer), time_(time) {}

    void operator()(EventKind kind, std::string subject = {}, std::string index = {},
                    std::optional<int> percent = std::nullopt, std::string detail = {}) {
        if (events_.size() >= kMaxEventsPerPoll) return;
        events_.push_back(Event{0, printer_, time_, kind, std::move(subject), std::move(index), percent,
                                std::move(detail)});
    }
    std::vector<Event> take() { return std::move(events_); }

private:
    const std::string& printer_;
    std::int64_t time_;
    std::vector<Event> events_;
};

std::string supply_name(const Supply& supply) {
    if (supply.description && !supply.description->empty()) return *supply.description;
    if (supply.type) return mib::supply_type_name(*supply.type);
    return "supply " + supply.index;
}

// A consumed supply: low at the threshold, empty at 0, back to ok only past
// threshold + hysteresis.
void follow_consumed(const Supply& supply, int low, const AlertConfig& config, LevelState& state, Emitter& emit) {
    const LevelReading& reading = supply.reading;
    int percent = 0;
    if (reading.kind == LevelKind::kPercent) {
        percent = reading.percent;
    } else if (reading.kind == LevelKind::kRaw && reading.raw == 0) {
        percent = 0;
    } else {
        // "some remaining" says it is not empty; other readings say nothing.
        if (reading.kind == LevelKind::kSomeRemaining && state.phase == LevelPhase::kEmpty)
            state.phase = LevelPhase::kLow;
        return;
    }
    const std::string name = supply_name(supply);
    if (state.percent && percent >= *state.percent + config.replaced_rise) {
        emit(EventKind::kSupplyReplaced, name, supply.index, percent);
        state.phase = LevelPhase::kOk;
    }
    if (percent == 0) {
        if (state.phase != LevelPhase::kEmpty) emit(EventKind::kSupplyEmpty, name, supply.index, percent);
        state.phase = LevelPhase::kEmpty;
    } else if (percent <= low) {
        if (state.phase == LevelPhase::kOk) emit(EventKind::kSupplyLow, name, supply.index, percent);
        state.phase = LevelPhase::kLow;
    } else if (percent > low + config.hysteresis) {
        state.phase = LevelPhase::kOk;
    } else if (state.phase == LevelPhase::kEmpty) {
        state.phase = LevelPhase::kLow;
    }
    state.percent = percent;
}

// A receptacle fills up: nearly full near the top, never low or empty; a
// level dropping by the replaced rise is an emptied box.
void follow_receptacle(const Supply& supply, const AlertConfig& config, LevelState& state, Emitter& emit) {
    if (supply.reading.kind != LevelKind::kPercent) return;
    const int full = supply.reading.percent;
    const std::string name = supply_name(supply);
    if (state.percent && full + config.replaced_rise <= *state.percent) {
        emit(EventKind::kSupplyReplaced, name, supply.index, full);
        state.phase = LevelPhase::kOk;
    }
    if (full >= config.nearly_full_percent) {
        if (state.phase != LevelPhase::kNearlyFull) emit(EventKind::kNearlyFull, name, supply.index, full);
        state.phase = LevelPhase::kNearlyFull;
    } else if (full < config.nearly_full_percent - config.hysteresis) {
        state.phase = LevelPhase::kOk;
    }
    state.percent = full;
}

void follow_supplies(const PrinterReport& report, const AlertConfig& config, PrinterAlertState& state,
                     Emitter& emit) {
    std::map<std::string, LevelState> next;
    for (const Supply& supply : report.supplies) {
        LevelState level = state.supplies[supply.index];
        if (supply.receptacle)
            follow_receptacle(supply, config, level, emit);
        else
            follow_consumed(supply, low_threshold(config, supply.type), config, level, emit);
        next[supply.index] = level;
    }
    state.supplies = std::move(next);
}

std::string last_arc(const std::string& index) {
    const std::size_t dot = index.rfind('.');
    return dot == std::string::npos ? index : index.substr(dot + 1);
}

bool tray_is_empty(const InputTray& tray) {
    return (tray.reading.kind == LevelKind::kPercent && tray.reading.percent == 0) ||
           (tray.reading.kind == LevelKind::kRaw && tray.reading.raw == 0);
}

// The input indexes (last arc) of trays nobody wants to hear about.
std::set<std::string> follow_trays(const PrinterReport& report, const AlertConfig& config, PrinterAlertState& state,
                                   Emitter& emit) {
    std::set<std::string> excluded;
    std::set<std::string> empty;
    for (const InputTray& tray : report.input_trays) {
        const std::string name = tray.name.value_or("tray " + tray.index);
        if (!config.trays || tray_excluded(config, name)) {
            excluded.insert(last_arc(tray.index));
            continue;
        }
        if (!tray_is_empty(tray)) continue;
        empty.insert(tray.index);
        if (state.empty_trays.count(tray.index) == 0) emit(EventKind::kTrayEmpty, name, tray.index, 0);
    }
    state.empty_trays = std::move(empty);
    return excluded;
}

void follow_alert_rows(const PrinterReport& report, const std::set<std::string>& excluded_trays,
                       PrinterAlertState& state, Emitter& emit) {
    std::set<std::string> rows;
    for (const Alert& alert : report.alerts) {
        const bool about_excluded_tray = alert.group == kAlertGroupInput && alert.location &&
                                         excluded_trays.count(std::to_string(*alert.location)) != 0;
        if (about_excluded_tray) continue;
        rows.insert(alert.index);
        if (state.alert_rows.count(alert.index) != 0) continue;
        std::string subject = alert.description.value_or("");
        if (subject.empty() && alert.code) subject = mib::alert_code_name(*alert.code);
        emit(EventKind::kAlertRaised, subject, alert.index, std::nullopt,
             alert.severity ? mib::alert_severity_name(*alert.severity) : std::string());
    }
    state.alert_rows = std::move(rows);
}

void follow_errors(const PrinterReport& report, PrinterAlertState& state, Emitter& emit) {
    const std::set<std::string> now(report.error_conditions.begin(), report.error_conditions.end());
    for (const std::string& condition : now)
        if (state.errors.count(condition) == 0) emit(EventKind::kErrorSet, condition);
    for (const std::string& condition : state.errors)
        if (now.count(condition) == 0) emit(EventKind::kErrorCleared, condition);
    state.errors = now;
}

}  // namespace

std::vector<Event> EventEngine::observe(const std::string& printer, std::int64_t time, const PrinterReport& report) {
    PrinterAlertState& state = states_[printer];
    Emitter emit(printer, time);
    state.failures = 0;
    if (state.down) emit(EventKind::kReachable);
    state.down = false;
    follow_supplies(report, config_, state, emit);
    const std::set<std::string> excluded = follow_trays(report, config_, state, emit);
    follow_alert_rows(report, excluded, state, emit);
    follow_errors(report, state, emit);
    return emit.take();
}

std::vector<Event> EventEngine::observe_failure(const std::string& printer, std::int64_t time,
                                                const std::string& reason) {
    PrinterAlertState& state = states_[printer];
    Emitter emit(printer, time);
    if (state.failures < config_.down_after) ++state.failures;
    if (!state.down && state.failures >= config_.down_after) {
        state.down = true;
        emit(EventKind::kUnreachable, {}, {}, std::nullopt, reason);
    }
    return emit.take();
}

std::string EventEngine::state_json(const std::string& printer) const {
    const auto it = states_.find(printer);
    if (it == states_.end()) return "{}";
    const PrinterAlertState& state = it->second;
    nlohmann::json supplies = nlohmann::json::object();
    for (const auto& [index, level] : state.supplies) {
        supplies[index] = {{"phase", static_cast<int>(level.phase)}};
        if (level.percent) supplies[index]["percent"] = *level.percent;
    }
    const nlohmann::json object = {{"failures", state.failures},     {"down", state.down},
                                   {"supplies", supplies},           {"empty_trays", state.empty_trays},
                                   {"alert_rows", state.alert_rows}, {"errors", state.errors}};
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void EventEngine::restore_state(const std::string& printer, const std::string& json) try {
    const nlohmann::json object = nlohmann::json::parse(json, nullptr, false);
    if (!object.is_object()) return;
    PrinterAlertState state;
    state.failures = object.value("failures", 0);
    state.down = object.value("down", false);
    const auto supplies = object.find("supplies");
    if (supplies == object.end() || !supplies->is_object()) return;
    for (const auto& [index, level] : supplies->items()) {
        LevelState& restored = state.supplies[index];
        const int phase = level.value("phase", 0);
        if (phase >= 0 && phase <= static_cast<int>(LevelPhase::kNearlyFull))
            restored.phase = static_cast<LevelPhase>(phase);
        if (level.contains("percent") && level["percent"].is_number_integer())
            restored.percent = level["percent"].get<int>();
    }
    state.empty_trays = object.value("empty_trays", std::set<std::string>());
    state.alert_rows = object.value("alert_rows", std::set<std::string>());
    state.errors = object.value("errors", std::set<std::string>());
    states_[printer] = std::move(state);
} catch (const nlohmann::json::exception&) {
    // A state that does not read back is forgotten: at worst an event is told twice.
}

}  // namespace pmtool
