// The polling engine of pmsnmp serve: every configured printer polled
// every interval by a bounded pool of threads (read whole now and then, and
// only what changes in between), unanswering printers backed off, and one
// log line per change between reachable and unreachable.
#ifndef PMSNMP_TOOLS_SERVE_FLEET_MONITOR_H
#define PMSNMP_TOOLS_SERVE_FLEET_MONITOR_H

#include "serve/printer_poller.h"
#include "serve/serve_config.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pmtool {

using Clock = std::chrono::steady_clock;
using WallClock = std::chrono::system_clock;

// What is known of one printer: its last good report stays while it sleeps.
struct PrinterSnapshot {
    const FleetPrinter* printer = nullptr;
    bool polled = false;  // at least one poll has ended
    bool up = false;
    std::optional<PrinterReport> report;  // the last answered poll's
    std::optional<std::string> location;
    std::optional<WallClock::time_point> last_success;
    std::string reason;  // why the last poll failed
};

struct MonitorStats {
    std::uint64_t polls = 0;
    std::uint64_t timeouts = 0;
    unsigned in_flight = 0;
    std::optional<double> cycle_seconds;  // the last pass over the printers due
};

class FleetMonitor {
public:
    using Log = std::function<void(const std::string& line)>;

    FleetMonitor(const ServeConfig& config, Log log);
    ~FleetMonitor();
    FleetMonitor(const FleetMonitor&) = delete;
    FleetMonitor& operator=(const FleetMonitor&) = delete;

    // Starts the pollers; false when not even one thread could start.
    bool start();
    // Wakes the pollers and joins them; a poll under way ends first.
    void stop();

    std::vector<PrinterSnapshot> snapshot() const;
    MonitorStats stats() const;
    // A poll outside the schedule (for /probe), counted like the others.
    PollOutcome probe(const FleetPrinter& printer);

    // Sees every scheduled poll's outcome (alerts, history), from the
    // polling threads, outside the lock; set before start().
    using PollHook = std::function<void(const FleetPrinter& printer, const PollOutcome& outcome)>;
    void set_poll_hook(PollHook hook) { poll_hook_ = std::move(hook); }

private:
    struct Slot {
        PrinterSnapshot state;
        Clock::time_point due;
        Clock::time_point static_due;  // of the next whole read
        StaticObjects memory;  // what the last whole read kept
        bool busy = false;
        unsigned failures = 0;
    };

    void work();
    std::optional<std::size_t> next_due(Clock::time_point now, Clock::time_point* wake) const;
    // True when the poll ended a pass over the fleet.
    bool record(std::size_t index, PollOutcome outcome, Clock::time_point started);
    bool pass_complete(Clock::time_point started) const;
    Clock::time_point keep_cadence(Clock::time_point due, Clock::time_point now) const;
    Clock::duration back_off(unsigned failures) const;

    const ServeConfig& config_;
    Log log_;
    PollHook poll_hook_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
    MonitorStats stats_;
    std::vector<bool> cycle_seen_;
    std::size_t cycle_count_ = 0;
    std::optional<Clock::time_point> cycle_started_;
};

}  // namespace pmtool

#endif
