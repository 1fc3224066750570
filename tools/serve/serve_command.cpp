#include "serve/serve_command.h"

#include "alerts/poll_observer.h"
#include "cli/exit_codes.h"
#include "render/render.h"
#include "serve/dashboard.h"
#include "serve/fleet_monitor.h"
#include "serve/metrics_text.h"
#include "serve/printer_metrics.h"
#include "serve/serve_config.h"
#include "serve/shard.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <ctime>
#include <mutex>
#include <pthread.h>

namespace pmtool {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kJson = "application/json";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr int kNotFound = 404;
constexpr int kBadRequest = 400;
constexpr int kBusy = 503;

class Logger {
public:
    explicit Logger(std::ostream& out) : out_(out) {}
    void operator()(const std::string& line) {
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
        std::lock_guard<std::mutex> lock(mutex_);
        out_ << stamp << " pmsnmp serve: " << line << std::endl;
    }

private:
    std::ostream& out_;
    std::mutex mutex_;
};

const PrinterSnapshot* find_printer(const std::vector<PrinterSnapshot>& printers, const std::string& host) {
    for (const PrinterSnapshot& state : printers)
        if (state.printer->host == host) return &state;
    return nullptr;
}

// The status --json document of each printer, with its labels, whether it
// answered last, and the age of the data.
std::string printers_json(const std::vector<PrinterSnapshot>& printers) {
    const WallClock::time_point now = WallClock::now();
    nlohmann::json list = nlohmann::json::array();
    for (const PrinterSnapshot& state : printers) {
        nlohmann::json entry;
        entry["host"] = state.printer->host;
        entry["labels"] = state.printer->labels;
        entry["up"] = state.up;
        entry["error"] = state.up || !state.polled ? nlohmann::json() : nlohmann::json(state.reason);
        if (state.last_success) {
            entry["last_success"] = std::chrono::duration<double>(state.last_success->time_since_epoch()).count();
            entry["age_seconds"] = std::chrono::duration<double>(now - *state.last_success).count();
        } else {
            entry["last_success"] = nullptr;
            entry["age_seconds"] = nullptr;
        }
        entry["status"] = state.report ? nlohmann::json::parse(render_report_json(*state.report)) : nlohmann::json();
        list.push_back(std::move(entry));
    }
    return list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool select_shard(const std::string& text, ServeConfig* config, std::string* error, Logger& log) {
    if (text.empty()) return true;
    Shard shard;
    if (!parse_shard(text, &shard, error)) return false;
    const std::size_t total = config->printers.size();
    std::vector<FleetPrinter> kept;
    for (FleetPrinter& printer : config->printers)
        if (hashmod(printer.host, shard.count) == shard.index) kept.push_back(std::move(printer));
    config->printers = std::move(kept);
    log("shard " + text + ": " + std::to_string(config->printers.size()) + " of " + std::to_string(total) +
        " printers");
    return true;
}

bool apply_listen(const std::string& text, ServeConfig* config, std::string* error) {
    if (text.empty()) return true;
    Endpoint endpoint;
    // Port 0: the system picks one, and the log says which.
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ":0") == 0) {
        if (!parse_host(text.substr(0, text.size() - 2), kDefaultServePort, &endpoint, error)) return false;
        endpoint.port = 0;
    } else if (!parse_host(text, kDefaultServePort, &endpoint, error)) {
        return false;
    }
    config->listen_host = endpoint.address;
    config->listen_port = endpoint.port;
    if (config->allow_remote || is_loopback_host(config->listen_host)) return true;
    *error = "--listen " + text + " is reachable from other machines; set allow_remote: true to listen there";
    return false;
}

void add_routes(httplib::Server& server, const ServeConfig& config, FleetMonitor& monitor,
                std::atomic<unsigned>& probes) {
    server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok\n", kText); });
    server.Get("/metrics", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(fleet_metrics(monitor.snapshot(), monitor.stats(), config.low_percent), kMetricsContentType);
    });
    server.Get("/api/printers", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(printers_json(monitor.snapshot()), kJson);
    });
    server.Get("/", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(dashboard_page(monitor.snapshot(), WallClock::now(), config.low_percent), kHtml);
    });
    server.Get("/printer", [&](const httplib::Request& req, httplib::Response& res) {
        const std::vector<PrinterSnapshot> printers = monitor.snapshot();
        const PrinterSnapshot* state = find_printer(printers, req.get_param_value("host"));
        if (state == nullptr) {
            res.status = kNotFound;
            res.set_content("no such printer\n", kText);
            return;
        }
        res.set_content(printer_page(*state, WallClock::now(), config.low_percent), kHtml);
    });
    // Only configured printers: anything else would let whoever reaches
    // this port aim SNMP requests, with our credentials, at any host.
    server.Get("/probe", [&](const httplib::Request& req, httplib::Response& res) {
        const std::string target = req.get_param_value("target");
        const auto printer = std::find_if(config.printers.begin(), config.printers.end(),
                                          [&](const FleetPrinter& p) { return p.host == target; });
        if (printer == config.printers.end()) {
            res.status = kBadRequest;
            res.set_content("target " + target + " is not a configured printer\n", kText);
            return;
        }
        if (++probes > config.parallel) {
            --probes;
            res.status = kBusy;
            res.set_content("too many probes at once\n", kText);
            return;
        }
        PollOutcome outcome = monitor.probe(*printer);
        --probes;
        PrinterSnapshot state;
        state.printer = &*printer;
        state.polled = true;
        state.up = outcome.answered;
        if (outcome.answered) {
            state.report = std::move(outcome.report);
            state.last_success = WallClock::now();
            state.location = outcome.location;
        }
        res.set_content(probe_metrics(state, config.low_percent), kMetricsContentType);
    });
}

// Waits for SIGTERM or SIGINT (blocked in every thread) and stops the server.
void wait_for_signal(httplib::Server& server, Logger& log, std::atomic<bool>& signalled) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    int signal = 0;
    sigwait(&signals, &signal);
    signalled = true;
    log(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
    server.stop();
}

// Each scheduled poll goes on to the alerts and the history.
void observe_polls(FleetMonitor& monitor, httplib::Server& server, PollObserver& observer) {
    monitor.set_poll_hook([&observer](const FleetPrinter& printer, const PollOutcome& outcome) {
        const auto now = static_cast<std::int64_t>(std::time(nullptr));
        if (outcome.answered)
            observer.on_report(printer.host, now, outcome.report);
        else
            observer.on_failure(printer.host, now, outcome.reason);
    });
    server.Get("/api/events", [&observer](const httplib::Request&, httplib::Response& res) {
        res.set_content(observer.recent_events_json(), kJson);
    });
}

int serve(const ServeConfig& config, PollObserver& observer, Logger& log) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    FleetMonitor monitor(config, [&log](const std::string& line) { log(line); });
    httplib::Server server;
    std::atomic<unsigned> probes{0};
    add_routes(server, config, monitor, probes);
    observe_polls(monitor, server, observer);
    int port = config.listen_port;
    if (port == 0)
        port = server.bind_to_any_port(config.listen_host);
    else if (!server.bind_to_port(config.listen_host, port))
        port = -1;
    if (port <= 0) {
        log("cannot listen on " + config.listen_host + ":" + std::to_string(config.listen_port));
        return kExitFailure;
    }
    observer.start_delivery();
    if (!monitor.start()) {
        log("cannot start the pollers");
        return kExitFailure;
    }
    const std::string where = config.listen_host.find(':') != std::string::npos ? "[" + config.listen_host + "]"
                                                                                 : config.listen_host;
    const std::size_t count = config.printers.size();
    log("listening on http://" + where + ":" + std::to_string(port) + "/ (" + std::to_string(count) +
        (count == 1 ? " printer)" : " printers)"));
    std::atomic<bool> signalled{false};
    std::thread waiter(wait_for_signal, std::ref(server), std::ref(log), std::ref(signalled));
    server.listen_after_bind();
    // The server ended on its own: wake the waiter as a signal would.
    if (!signalled) pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    monitor.stop();
    observer.stop();
    log("stopped");
    return kExitOk;
}

}  // namespace

CLI::App* add_serve_command(CLI::App& app, ServeCommandLine& line) {
    CLI::App* command = app.add_subcommand(
        "serve", "watch a printer fleet: Prometheus metrics, a JSON API and a dashboard over HTTP");
    command->add_option("--config", line.config, "the fleet file (YAML)")->required()->type_name("FILE");
    command->add_option("--discovered", line.discovered, "add the printers of pmsnmp discover --json output")
        ->type_name("FILE");
    command->add_option("--shard", line.shard, "keep the printers Prometheus hashmod N gives residue K")
        ->type_name("K/N");
    command->add_option("--listen", line.listen, "listen here instead of the file's address (port 0: any)")
        ->type_name("HOST:PORT");
    return command;
}

int run_serve(const ServeCommandLine& line, std::ostream& err) {
    Logger log(err);
    ServeConfig config;
    std::string error;
    if (!load_serve_config(line.config, line.discovered, &config, &error) ||
        !apply_listen(line.listen, &config, &error) || !select_shard(line.shard, &config, &error, log)) {
        err << "pmsnmp: " << error << std::endl;
        return kExitUsage;
    }
    AlertConfig alerts;
    HistoryConfig history;
    if (!parse_alert_config_file(line.config, &alerts, &error) ||
        !parse_history_config_file(line.config, &history, &error)) {
        err << "pmsnmp: " << error << std::endl;
        return kExitUsage;
    }
    PollObserver observer(alerts, history, [&log](const std::string& text) { log(text); });
    if (!observer.open(&error)) {
        err << "pmsnmp: " << error << std::endl;
        return kExitFailure;
    }
    try {
        return serve(config, observer, log);
    } catch (const std::exception& fault) {
        err << "pmsnmp: " << fault.what() << std::endl;
        return kExitFailure;
    }
}

}  // namespace pmtool
