// Supply levels and page counters per printer over time, in SQLite. Each
// page sample keeps the raw counter and a running total that only grows
// (wraps and resets taken out), so that any period's pages are a
// subtraction.
#ifndef PMSNMP_TOOLS_HISTORY_STORE_H
#define PMSNMP_TOOLS_HISTORY_STORE_H

#include "history/sqlite_db.h"
#include "printer/printer_status.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace YAML {
class Node;
}

namespace pmtool {

struct HistoryConfig {
    std::string database;  // empty: no history
    int keep_days = 400;
};

// Reads a `history:` node over the defaults.
bool parse_history_config(const YAML::Node& node, HistoryConfig* config, std::string* reason);
bool parse_history_config_file(const std::string& path, HistoryConfig* config, std::string* reason);

struct PageSample {
    std::int64_t time = 0;
    std::uint64_t raw = 0;
    std::uint64_t total = 0;
};

struct SupplySample {
    std::string printer;
    std::string supply;  // the row's index
    std::int64_t time = 0;
    std::string description;
    std::optional<std::int64_t> type;
    bool receptacle = false;
    int percent = 0;  // left, or for a receptacle how full
};

class HistoryStore {
public:
    bool open(const std::string& path, std::string* reason);

    // One poll's page counter and supply levels, in one transaction.
    bool record(const std::string& printer, std::int64_t time, const PrinterReport& report);
    // A page counter reading on its own ("total", or a colour or mono counter).
    bool record_pages(const std::string& printer, const std::string& counter, std::int64_t time,
                      std::uint64_t raw);
    // Drops samples older than before; the running totals stay right, as
    // later samples carry them.
    bool prune(std::int64_t before);

    std::vector<std::string> printers();
    std::vector<std::string> page_counters(const std::string& printer);
    std::vector<PageSample> page_samples(const std::string& printer, const std::string& counter,
                                         std::int64_t until);
    // Every supply sample, by printer, supply and time.
    std::vector<SupplySample> supply_samples(std::int64_t since, std::int64_t until);

private:
    bool insert_pages(const std::string& printer, const std::string& counter, std::int64_t time, std::uint64_t raw);

    std::mutex mutex_;
    SqliteDb db_;
};

}  // namespace pmtool

#endif
