#include "history/history_store.h"

#include "history/page_counter.h"

#include <yaml-cpp/yaml.h>

#include <limits>

namespace pmtool {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS page_samples("
    " printer TEXT NOT NULL, counter TEXT NOT NULL, time INTEGER NOT NULL,"
    " raw INTEGER NOT NULL, total INTEGER NOT NULL, PRIMARY KEY(printer, counter, time));"
    "CREATE TABLE IF NOT EXISTS supply_samples("
    " printer TEXT NOT NULL, supply TEXT NOT NULL, time INTEGER NOT NULL, description TEXT NOT NULL,"
    " type INTEGER, receptacle INTEGER NOT NULL, percent INTEGER NOT NULL,"
    " PRIMARY KEY(printer, supply, time));";

constexpr int kMaxKeepDays = 36500;
constexpr const char* kTotalCounter = "total";

// SQLite integers are signed 64-bit; counters stay far below.
std::int64_t stored(std::uint64_t value) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::int64_t>::max()));
}

}  // namespace

bool parse_history_config(const YAML::Node& node, HistoryConfig* config, std::string* reason) {
    try {
        if (!node) return true;
        if (node["database"]) config->database = node["database"].as<std::string>();
        if (node["keep_days"]) {
            const int days = node["keep_days"].as<int>();
            if (days < 1 || days > kMaxKeepDays) {
                *reason = "history: keep_days must be 1 to " + std::to_string(kMaxKeepDays);
                return false;
            }
            config->keep_days = days;
        }
        return true;
    } catch (const YAML::Exception& error) {
        *reason = std::string("history: ") + error.what();
        return false;
    }
}

bool parse_history_config_file(const std::string& path, HistoryConfig* config, std::string* reason) {
    try {
        return parse_history_config(YAML::LoadFile(path)["history"], config, reason);
    } catch (const YAML::Exception& error) {
        *reason = "cannot read '" + path + "': " + error.what();
        return false;
    }
}

bool HistoryStore::open(const std::string& path, std::string* reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.open(path, reason)) return false;
    if (db_.execute(kSchema)) return true;
    *reason = "cannot set up the history: " + db_.error();
    return false;
}

bool HistoryStore::insert_pages(const std::string& printer, const std::string& counter, std::int64_t time,
                                std::uint64_t raw) {
    SqliteStatement last = db_.prepare(
        "SELECT raw, total FROM page_samples WHERE printer = ? AND counter = ? AND time < ? "
        "ORDER BY time DESC LIMIT 1");
    last.bind(1, printer).bind(2, counter).bind(3, time);
    std::uint64_t total = 0;
    if (last.step()) {
        const auto previous_raw = static_cast<std::uint64_t>(std::max<std::int64_t>(0, last.integer(0)));
        const auto previous_total = static_cast<std::uint64_t>(std::max<std::int64_t>(0, last.integer(1)));
        total = previous_total + counter_delta(previous_raw, raw);
    }
    if (last.failed()) return false;
    SqliteStatement insert = db_.prepare(
        "INSERT OR REPLACE INTO page_samples(printer, counter, time, raw, total) VALUES(?, ?, ?, ?, ?)");
    insert.bind(1, printer).bind(2, counter).bind(3, time).bind(4, stored(raw)).bind(5, stored(total)).step();
    return !insert.failed();
}

bool HistoryStore::record_pages(const std::string& printer, const std::string& counter, std::int64_t time,
                                std::uint64_t raw) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteTransaction transaction(db_);
    return insert_pages(printer, counter, time, raw) && transaction.commit();
}

bool HistoryStore::record(const std::string& printer, std::int64_t time, const PrinterReport& report) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteTransaction transaction(db_);
    if (report.page_count && !insert_pages(printer, kTotalCounter, time, *report.page_count)) return false;
    for (const Supply& supply : report.supplies) {
        if (supply.reading.kind != LevelKind::kPercent) continue;
        SqliteStatement insert = db_.prepare(
            "INSERT OR REPLACE INTO supply_samples(printer, supply, time, description, type, receptacle, percent) "
            "VALUES(?, ?, ?, ?, ?, ?, ?)");
        std::optional<std::int64_t> type;
        if (supply.type) type = *supply.type;
        insert.bind(1, printer).bind(2, supply.index).bind(3, time).bind(4, supply.description.value_or(""));
        insert.bind(5, type).bind(6, std::int64_t{supply.receptacle}).bind(7, std::int64_t{supply.reading.percent});
        insert.step();
        if (insert.failed()) return false;
    }
    return transaction.commit();
}

bool HistoryStore::prune(std::int64_t before) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteTransaction transaction(db_);
    for (const char* table : {"page_samples", "supply_samples"}) {
        SqliteStatement drop = db_.prepare(std::string("DELETE FROM ") + table + " WHERE time < ?");
        drop.bind(1, before).step();
        if (drop.failed()) return false;
    }
    return transaction.commit();
}

std::vector<std::string> HistoryStore::printers() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> printers;
    SqliteStatement query = db_.prepare(
        "SELECT printer FROM page_samples UNION SELECT printer FROM supply_samples ORDER BY 1");
    while (query.step()) printers.push_back(query.text(0));
    return printers;
}

std::vector<std::string> HistoryStore::page_counters(const std::string& printer) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> counters;
    SqliteStatement query = db_.prepare("SELECT DISTINCT counter FROM page_samples WHERE printer = ? ORDER BY 1");
    query.bind(1, printer);
    while (query.step()) counters.push_back(query.text(0));
    return counters;
}

std::vector<PageSample> HistoryStore::page_samples(const std::string& printer, const std::string& counter,
                                                   std::int64_t until) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<PageSample> samples;
    SqliteStatement query = db_.prepare(
        "SELECT time, raw, total FROM page_samples WHERE printer = ? AND counter = ? AND time <= ? ORDER BY time");
    query.bind(1, printer).bind(2, counter).bind(3, until);
    while (query.step()) {
        samples.push_back(PageSample{query.integer(0), static_cast<std::uint64_t>(std::max<std::int64_t>(0, query.integer(1))),
                                     static_cast<std::uint64_t>(std::max<std::int64_t>(0, query.integer(2)))});
    }
    return samples;
}

std::vector<SupplySample> HistoryStore::supply_samples(std::int64_t since, std::int64_t until) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SupplySample> samples;
    SqliteStatement query = db_.prepare(
        "SELECT printer, supply, time, description, type, receptacle, percent FROM supply_samples "
        "WHERE time >= ? AND time <= ? ORDER BY printer, supply, time");
    query.bind(1, since).bind(2, until);
    while (query.step()) {
        samples.push_back(SupplySample{query.text(0), query.text(1), query.integer(2), query.text(3),
                                       query.optional_integer(4), query.integer(5) != 0,
                                       static_cast<int>(query.integer(6))});
    }
    return samples;
}

}  // namespace pmtool
