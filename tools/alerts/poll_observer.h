// The one seam between a poller and what follows its polls: each poll,
// (printer key, time, report) or (printer key, time, failure), goes to the
// event engine, whose events go to the outbox, the log and the webhook,
// and to the history. Safe to call from several polling threads.
#ifndef PMSNMP_TOOLS_POLL_OBSERVER_H
#define PMSNMP_TOOLS_POLL_OBSERVER_H

#include "alerts/alert_config.h"
#include "alerts/event_engine.h"
#include "alerts/event_outbox.h"
#include "alerts/webhook_sender.h"
#include "history/history_store.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace pmtool {

class PollObserver {
public:
    PollObserver(AlertConfig alerts, HistoryConfig history, LogLine log);
    ~PollObserver();

    // Opens the outbox and the history and takes up the engine's saved state.
    bool open(std::string* reason);

    void on_report(const std::string& printer, std::int64_t time, const PrinterReport& report);
    void on_failure(const std::string& printer, std::int64_t time, const std::string& reason);

    // The latest events as a JSON array, newest first (GET /api/events).
    std::string recent_events_json();

    // Webhook delivery in a thread of its own, until stop().
    void start_delivery();
    void stop();
    // Webhook delivery in the caller's thread; true when nothing is left.
    bool deliver_within(std::chrono::milliseconds budget);

private:
    void tell(const std::string& printer, std::vector<Event> events);
    void prune(std::int64_t now);

    AlertConfig alerts_;
    HistoryConfig history_config_;
    LogLine log_;
    std::mutex mutex_;  // the engine, and the order in which its events are stored
    EventEngine engine_;
    EventOutbox outbox_;
    HistoryStore history_;
    bool keeps_history_ = false;
    std::int64_t last_prune_ = 0;
    std::unique_ptr<WebhookSender> sender_;
};

}  // namespace pmtool

#endif
