// Delivers the outbox to a webhook: each event as one HTTP POST of its JSON,
// strictly in order; a failed delivery is tried again after a back-off that
// doubles up to the configured ceiling, and nothing is skipped.
#ifndef PMSNMP_TOOLS_WEBHOOK_SENDER_H
#define PMSNMP_TOOLS_WEBHOOK_SENDER_H

#include "alerts/alert_config.h"
#include "alerts/event_outbox.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace pmtool {

using LogLine = std::function<void(const std::string& line)>;

class WebhookSender {
public:
    WebhookSender(EventOutbox& outbox, WebhookConfig config, LogLine log);
    ~WebhookSender();
    WebhookSender(const WebhookSender&) = delete;
    WebhookSender& operator=(const WebhookSender&) = delete;

    // Delivers in a thread of its own until stop().
    void start();
    // New events are in the outbox.
    void wake();
    void stop();

    // Delivers in the caller's thread until the outbox is empty or the time
    // is up; true when nothing is left.
    bool deliver_within(std::chrono::milliseconds budget);

private:
    using Clock = std::chrono::steady_clock;
    // Sends what is pending; false at the first failure.
    bool deliver_pending();
    bool post(const std::string& payload);
    std::chrono::milliseconds next_backoff();
    void run();

    EventOutbox& outbox_;
    WebhookConfig config_;
    LogLine log_;
    std::string origin_;  // http://host:port
    std::string path_;
    std::chrono::milliseconds backoff_{0};
    std::mutex mutex_;
    std::condition_variable woken_;
    bool stopping_ = false;
    bool pending_ = false;
    std::thread thread_;
};

}  // namespace pmtool

#endif
