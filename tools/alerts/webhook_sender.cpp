#include "alerts/webhook_sender.h"

#include <httplib.h>

#include <algorithm>

namespace pmtool {

namespace {

constexpr std::chrono::milliseconds kFirstBackoff{500};
constexpr std::size_t kBatch = 64;
// Without a wake-up the thread still looks now and then, so that events
// another process appended go out too.
constexpr std::chrono::seconds kIdleLook{30};

void split_url(const std::string& url, std::string* origin, std::string* path) {
    const std::size_t authority = url.find("://");
    const std::size_t slash = url.find('/', authority == std::string::npos ? 0 : authority + 3);
    *origin = slash == std::string::npos ? url : url.substr(0, slash);
    *path = slash == std::string::npos ? "/" : url.substr(slash);
}

}  // namespace

WebhookSender::WebhookSender(EventOutbox& outbox, WebhookConfig config, LogLine log)
    : outbox_(outbox), config_(std::move(config)), log_(std::move(log)) {
    split_url(config_.url, &origin_, &path_);
}

WebhookSender::~WebhookSender() { stop(); }

bool WebhookSender::post(const std::string& payload) {
    httplib::Client client(origin_);
    const auto timeout = std::chrono::milliseconds(config_.timeout_ms);
    client.set_connection_timeout(timeout);
    client.set_read_timeout(timeout);
    client.set_write_timeout(timeout);
    const httplib::Result result = client.Post(path_, payload, "application/json");
    if (result && result->status >= 200 && result->status < 300) return true;
    const std::string why = result ? "status " + std::to_string(result->status) : httplib::to_string(result.error());
    log_("webhook " + origin_ + path_ + " failed: " + why);
    return false;
}

bool WebhookSender::deliver_pending() {
    for (;;) {
        const std::vector<StoredEvent> batch = outbox_.pending(kBatch);
        if (batch.empty()) return true;
        for (const StoredEvent& event : batch) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) return false;
            }
            if (!post(event.payload) || !outbox_.mark_delivered(event.id)) return false;
            backoff_ = std::chrono::milliseconds(0);
        }
    }
}

std::chrono::milliseconds WebhookSender::next_backoff() {
    const std::chrono::milliseconds ceiling = std::chrono::seconds(config_.max_backoff_s);
    backoff_ = backoff_.count() == 0 ? kFirstBackoff : std::min(backoff_ * 2, ceiling);
    return backoff_;
}

bool WebhookSender::deliver_within(std::chrono::milliseconds budget) {
    const Clock::time_point deadline = Clock::now() + budget;
    while (!deliver_pending()) {
        const Clock::time_point retry = Clock::now() + next_backoff();
        if (retry >= deadline) return false;
        std::this_thread::sleep_until(retry);
    }
    return true;
}

void WebhookSender::run() {
    for (;;) {
        const bool emptied = deliver_pending();
        // backoff_ belongs to this thread while it runs.
        const std::chrono::milliseconds wait = emptied ? std::chrono::milliseconds(kIdleLook) : next_backoff();
        std::unique_lock<std::mutex> lock(mutex_);
        woken_.wait_for(lock, wait, [this, emptied] { return stopping_ || (emptied && pending_); });
        if (stopping_) return;
        pending_ = false;
    }
}

void WebhookSender::start() {
    if (config_.url.empty() || thread_.joinable()) return;
    thread_ = std::thread([this] { run(); });
}

void WebhookSender::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = true;
    woken_.notify_all();
}

void WebhookSender::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    woken_.notify_all();
    if (thread_.joinable()) thread_.join();
}

}  // namespace pmtool
