#include "serve/fleet_monitor.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <system_error>

namespace pmtool {

namespace {

// Back-off doubles up to this many intervals, and never beyond kMaxBackOff
// unless the interval itself is longer.
constexpr unsigned kMaxBackOffSteps = 3;
constexpr std::chrono::minutes kMaxBackOff{5};

// Reports are made on one poller and freed on another: with an arena per
// thread each keeps holes the others could have used, and the resident size
// grows pass after pass. Few arenas, trimmed after each pass, keep it flat.
void share_arenas() {
#ifdef __GLIBC__
    constexpr int kArenas = 2;
    mallopt(M_ARENA_MAX, kArenas);
#endif
}

void release_free_memory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

template <class Text>
void keep(const std::optional<Text>& old, std::optional<Text>* fresh) {
    if (!*fresh && old) *fresh = old;
}

// A printer that answered without its names (a busy agent skipping a
// column) keeps the ones it gave before: they change when someone edits them.
void keep_static(const PrinterReport& old, PrinterReport* fresh) {
    keep(old.sys_name, &fresh->sys_name);
    keep(old.sys_descr, &fresh->sys_descr);
    keep(old.printer_name, &fresh->printer_name);
    keep(old.serial_number, &fresh->serial_number);
    keep(old.device_descr, &fresh->device_descr);
    for (Supply& supply : fresh->supplies) {
        for (const Supply& before : old.supplies) {
            if (before.index != supply.index) continue;
            keep(before.description, &supply.description);
            keep(before.max_capacity, &supply.max_capacity);
        }
    }
}

}  // namespace

FleetMonitor::FleetMonitor(const ServeConfig& config, Log log)
    : config_(config), log_(std::move(log)), slots_(config.printers.size()), cycle_seen_(config.printers.size()) {
    const Clock::time_point now = Clock::now();
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        slots_[i].state.printer = &config_.printers[i];
        slots_[i].due = now;
        slots_[i].static_due = now;
    }
}

FleetMonitor::~FleetMonitor() { stop(); }

bool FleetMonitor::start() {
    share_arenas();
    const std::size_t count = std::min<std::size_t>(std::max(config_.parallel, 1u), slots_.size());
    for (std::size_t i = 0; i < count; ++i) {
        try {
            threads_.emplace_back(&FleetMonitor::work, this);
        } catch (const std::system_error&) {
            break;  // fewer pollers: each takes more printers
        }
    }
    return !threads_.empty();
}

void FleetMonitor::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

std::vector<PrinterSnapshot> FleetMonitor::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<PrinterSnapshot> states;
    states.reserve(slots_.size());
    for (const Slot& slot : slots_) states.push_back(slot.state);
    return states;
}

MonitorStats FleetMonitor::stats() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

PollOutcome FleetMonitor::probe(const FleetPrinter& printer) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stats_.in_flight;
    }
    StaticObjects memory;
    PollOutcome outcome = poll_printer(printer.agent, ReadScope::kWhole, &memory);
    std::lock_guard<std::mutex> lock(mutex_);
    --stats_.in_flight;
    ++stats_.polls;
    if (outcome.timed_out) ++stats_.timeouts;
    return outcome;
}

// The idle printer due first; when it is not yet due, *wake says when.
std::optional<std::size_t> FleetMonitor::next_due(Clock::time_point now, Clock::time_point* wake) const {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (!slots_[i].busy && (!first || slots_[i].due < slots_[*first].due)) first = i;
    if (!first) {
        *wake = now + config_.interval;
        return std::nullopt;
    }
    *wake = slots_[*first].due;
    if (*wake > now) return std::nullopt;
    return first;
}

void FleetMonitor::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        Clock::time_point now = Clock::now();
        Clock::time_point wake;
        const std::optional<std::size_t> index = next_due(now, &wake);
        if (!index) {
            wake_.wait_until(lock, wake);
            continue;
        }
        Slot& slot = slots_[*index];
        slot.busy = true;
        ++stats_.in_flight;
        if (!cycle_started_) cycle_started_ = slot.due;  // the pass began when it was due
        const ReadScope scope = now >= slot.static_due ? ReadScope::kWhole : ReadScope::kVolatile;
        const FleetPrinter& printer = *slot.state.printer;
        StaticObjects* memory = &slot.memory;  // this thread's while the slot is busy
        lock.unlock();
        PollOutcome outcome = poll_printer(printer.agent, scope, memory);
        if (poll_hook_) poll_hook_(printer, outcome);
        lock.lock();
        const bool pass_ended = record(*index, std::move(outcome), now);
        wake_.notify_all();
        if (pass_ended) {
            lock.unlock();
            release_free_memory();
            lock.lock();
        }
    }
}

Clock::duration FleetMonitor::back_off(unsigned failures) const {
    const Clock::duration longest = std::max<Clock::duration>(config_.interval, kMaxBackOff);
    const unsigned steps = std::min(failures > 0 ? failures - 1 : 0, kMaxBackOffSteps);
    return std::min<Clock::duration>(config_.interval * (1u << steps), longest);
}

// Polls stay on the printer's cadence (its first poll and whole intervals
// after), so that every printer due in a pass is due at its start; a pass
// missed altogether is skipped.
Clock::time_point FleetMonitor::keep_cadence(Clock::time_point due, Clock::time_point now) const {
    if (due > now) return due;
    return due + ((now - due) / config_.interval + 1) * config_.interval;
}

// A pass over the fleet is over when every printer due in it has been
// polled; one backed off beyond it belongs to a later pass.
bool FleetMonitor::pass_complete(Clock::time_point started) const {
    if (cycle_count_ == slots_.size()) return true;
    const Clock::time_point horizon = started + config_.interval;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (!cycle_seen_[i] && (slots_[i].busy || slots_[i].due < horizon)) return false;
    return true;
}

bool FleetMonitor::record(std::size_t index, PollOutcome outcome, Clock::time_point started) {
    Slot& slot = slots_[index];
    PrinterSnapshot& state = slot.state;
    const Clock::time_point now = Clock::now();
    slot.busy = false;
    --stats_.in_flight;
    ++stats_.polls;
    if (outcome.timed_out) ++stats_.timeouts;
    const bool changed = !state.polled || state.up != outcome.answered;
    state.polled = true;
    state.up = outcome.answered;
    if (outcome.answered) {
        if (state.report) keep_static(*state.report, &outcome.report);
        state.report = std::move(outcome.report);
        state.last_success = WallClock::now();
        state.reason.clear();
        if (outcome.location) state.location = outcome.location;
        if (outcome.whole) slot.static_due = started + config_.static_interval;
        slot.failures = 0;
        slot.due = keep_cadence(slot.due + config_.interval, now);
    } else {
        state.reason = outcome.reason;
        ++slot.failures;
        slot.due = keep_cadence(slot.due + back_off(slot.failures), now);
    }
    if (changed)
        log_("printer " + state.printer->host + (state.up ? " reachable" : " unreachable: " + state.reason));

    if (!cycle_seen_[index]) {
        cycle_seen_[index] = true;
        ++cycle_count_;
    }
    if (cycle_started_ && pass_complete(*cycle_started_)) {
        stats_.cycle_seconds = std::chrono::duration<double>(now - *cycle_started_).count();
        std::fill(cycle_seen_.begin(), cycle_seen_.end(), false);
        cycle_count_ = 0;
        cycle_started_.reset();
        return true;
    }
    return false;
}

}  // namespace pmtool
