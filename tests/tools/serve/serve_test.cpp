// pmsnmp serve's parts that take untrusted or hand-written input: printer
// texts on their way to /metrics, and the fleet file.
#ifdef PMSNMP_SERVE
#include "serve/printer_metrics.h"
#include "render/safe_text.h"
#include "serve/serve_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using namespace pmtool;

TEST(PrinterMetrics, HostileTextsStayInTheirLabels) {
    FleetPrinter printer;
    printer.host = "127.0.0.1:16100";
    printer.labels = {{"room", "a\"b\\c\nd"}};
    PrinterSnapshot state;
    state.printer = &printer;
    state.polled = true;
    state.up = true;
    PrinterReport report;
    report.printer_name = std::string("x\"}\nprinter_up 7\n\xFF", 19);
    Supply supply;
    supply.index = "1.1";
    supply.description = "Black\\\" Toner\r\n";
    supply.reading.kind = LevelKind::kSomeRemaining;
    report.supplies = {supply};
    state.report = report;
    std::istringstream lines(fleet_metrics({state}, MonitorStats(), 10));
    int up_samples = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(safe_text(line), line);
        EXPECT_TRUE(line[0] == '#' || line.compare(0, 7, "printer") == 0 || line.compare(0, 6, "pmsnmp") == 0) << line;
        up_samples += line.compare(0, 11, "printer_up{") == 0;
    }
    EXPECT_EQ(up_samples, 1);
    EXPECT_EQ(supply_state(supply, 10), "some_remaining");
}

bool load(const std::string& text, ServeConfig* config, std::string* error) {
    const std::string path = ::testing::TempDir() + "serve_test.yaml";
    std::ofstream(path) << text;
    const bool loaded = load_serve_config(path, {}, config, error);
    std::remove(path.c_str());
    return loaded;
}

TEST(ServeConfig, MinimalFileAndRefusals) {
    ServeConfig config;
    std::string error;
    ASSERT_TRUE(load("listen: 127.0.0.1:9116\ninterval: 60s\nprinters:\n  - host: 127.0.0.1:16100\n"
                     "    version: 2c\n    community: sharp\n", &config, &error)) << error;
    ASSERT_EQ(config.printers.size(), 1u);
    EXPECT_EQ(config.printers[0].host, "127.0.0.1:16100");
    EXPECT_EQ(config.printers[0].agent.host.port, 16100);
    EXPECT_EQ(config.printers[0].agent.target.community, "sharp");
    EXPECT_EQ(config.printers[0].agent.target.version, PMS_VERSION_2C);
    EXPECT_EQ(config.interval, std::chrono::seconds(60));
    const char* printer = "printers: [{host: 127.0.0.1}]\n";
    const struct {
        std::string text;
        bool loads;
    } cases[] = {
        {std::string("listen: 0.0.0.0:9116\n") + printer, false},
        {std::string("listen: 0.0.0.0:9116\nallow_remote: true\n") + printer, true},
        {std::string("interval: soon\n") + printer, false},
        {"printers: [{host: 127.0.0.1, labels: {host: x}}]\n", false},
        {"printers: [{host: 127.0.0.1, version: 4}]\n", false},
        {"printers: [{host: 127.0.0.1}, {host: 127.0.0.1}]\n", false},
        {"printers: [{host: 127.0.0.1, version: 3}]\n", false},  // no user
        {"listen: [\n", false},
    };
    for (const auto& c : cases) {
        ServeConfig other;
        EXPECT_EQ(load(c.text, &other, &error), c.loads) << c.text << error;
    }

    // pmsnmp discover --json output: its printers join with the defaults' port.
    const std::string agents = ::testing::TempDir() + "serve_test_agents.json";
    std::ofstream(agents) << R"([{"address": "127.0.0.5", "printer": true}, {"address": "::1", "printer": true},
                                 {"address": "127.0.0.6", "printer": false}, {"address": "127.0.0.1", "printer": true}])";
    ServeConfig merged;
    ASSERT_TRUE(load("defaults: {port: 1161}\ndiscovered: " + agents + "\nprinters: [{host: '127.0.0.1:1161'}]\n",
                     &merged, &error)) << error;
    std::remove(agents.c_str());
    std::vector<std::string> hosts;
    for (const FleetPrinter& printer : merged.printers) hosts.push_back(printer.host);
    EXPECT_EQ(hosts, (std::vector<std::string>{"127.0.0.1:1161", "127.0.0.5:1161", "[::1]:1161"}));
}

}  // namespace
#endif
