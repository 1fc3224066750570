// Events told from several polling threads reach a flaky webhook each
// once and in the outbox's order, through the sender's own thread.
#ifdef PMSNMP_SERVE
#include "alerts/poll_observer.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(WebhookDelivery, ThreadsPollWhileTheSenderRetries) {
    httplib::Server receiver;
    std::mutex mutex;
    std::vector<std::int64_t> ids;
    std::atomic<int> refusals{3};
    receiver.Post("/hook", [&](const httplib::Request& request, httplib::Response& response) {
        if (refusals-- > 0) {
            response.status = 503;
            return;
        }
        std::lock_guard<std::mutex> lock(mutex);
        ids.push_back(nlohmann::json::parse(request.body)["id"].get<std::int64_t>());
        response.status = 204;
    });
    const int port = receiver.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { receiver.listen_after_bind(); });

    pmtool::AlertConfig config;
    config.down_after = 1;
    config.webhook.url = "http://127.0.0.1:" + std::to_string(port) + "/hook";
    config.webhook.max_backoff_s = 1;
    pmtool::PollObserver observer(config, pmtool::HistoryConfig(), [](const std::string&) {});
    std::string reason;
    ASSERT_TRUE(observer.open(&reason)) << reason;
    observer.start_delivery();

    // Each printer goes down and up: two events per round.
    constexpr int kPrinters = 4, kRounds = 5;
    std::vector<std::thread> pollers;
    for (int p = 0; p < kPrinters; ++p) {
        pollers.emplace_back([&observer, p] {
            const std::string printer = "printer" + std::to_string(p);
            for (int round = 0; round < kRounds; ++round) {
                observer.on_failure(printer, round, "time-out");
                observer.on_report(printer, round, pmtool::PrinterReport());
            }
        });
    }
    for (std::thread& poller : pollers) poller.join();
    const std::size_t expected = 2 * kPrinters * kRounds;
    for (int wait = 0; wait < 200; ++wait) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (ids.size() >= expected) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    observer.stop();
    receiver.stop();
    serving.join();
    std::vector<std::int64_t> in_order(expected);
    for (std::size_t i = 0; i < expected; ++i) in_order[i] = static_cast<std::int64_t>(i + 1);
    EXPECT_EQ(ids, in_order);
}

}  // namespace

#endif
