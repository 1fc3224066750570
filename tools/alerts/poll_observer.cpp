#include "alerts/poll_observer.h"

namespace pmtool {

namespace {

constexpr std::int64_t kPruneEvery = 3600;
constexpr std::size_t kKeptEvents = 10000;

}  // namespace

PollObserver::PollObserver(AlertConfig alerts, HistoryConfig history, LogLine log)
    : alerts_(std::move(alerts)), history_config_(std::move(history)), log_(std::move(log)), engine_(alerts_) {}

PollObserver::~PollObserver() { stop(); }

bool PollObserver::open(std::string* reason) {
    if (!outbox_.open(alerts_.database, reason)) return false;
    for (const auto& [printer, state] : outbox_.states()) engine_.restore_state(printer, state);
    keeps_history_ = !history_config_.database.empty();
    if (keeps_history_ && !history_.open(history_config_.database, reason)) return false;
    if (!alerts_.webhook.url.empty()) sender_ = std::make_unique<WebhookSender>(outbox_, alerts_.webhook, log_);
    return true;
}

void PollObserver::tell(const std::string& printer, std::vector<Event> events) {
    // Stored even without events: the state moves (a failure counted).
    if (!outbox_.append(&events, printer, engine_.state_json(printer))) {
        log_("cannot store events of " + printer);
        return;
    }
    for (const Event& event : events) log_(event_line(event));
    if (sender_ && !events.empty()) sender_->wake();
}

void PollObserver::on_report(const std::string& printer, std::int64_t time, const PrinterReport& report) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tell(printer, engine_.observe(printer, time, report));
    }
    if (keeps_history_ && !history_.record(printer, time, report)) log_("cannot record history of " + printer);
    prune(time);
}

void PollObserver::on_failure(const std::string& printer, std::int64_t time, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    tell(printer, engine_.observe_failure(printer, time, reason));
}

void PollObserver::prune(std::int64_t now) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (now - last_prune_ < kPruneEvery) return;
        last_prune_ = now;
    }
    outbox_.prune(std::max<std::size_t>(kKeptEvents, static_cast<std::size_t>(alerts_.recent_events)));
    if (keeps_history_) history_.prune(now - static_cast<std::int64_t>(history_config_.keep_days) * 86400);
}

std::string PollObserver::recent_events_json() {
    std::string list = "[";
    for (const StoredEvent& event : outbox_.recent(static_cast<std::size_t>(alerts_.recent_events))) {
        if (list.size() > 1) list += ",";
        list += event.payload;
    }
    return list + "]\n";
}

void PollObserver::start_delivery() {
    if (sender_) sender_->start();
}

void PollObserver::stop() {
    if (sender_) sender_->stop();
}

bool PollObserver::deliver_within(std::chrono::milliseconds budget) {
    return !sender_ || sender_->deliver_within(budget);
}

}  // namespace pmtool
