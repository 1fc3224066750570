#include "alerts/event_outbox.h"

namespace pmtool {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS events("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, printer TEXT NOT NULL, time INTEGER NOT NULL,"
    " kind TEXT NOT NULL, payload TEXT NOT NULL, delivered INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS events_pending ON events(delivered, id);"
    "CREATE TABLE IF NOT EXISTS alert_state(printer TEXT PRIMARY KEY, state TEXT NOT NULL);";

std::int64_t limit_value(std::size_t limit) {
    return static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX));
}

}  // namespace

bool EventOutbox::open(const std::string& path, std::string* reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.open(path.empty() ? ":memory:" : path, reason)) return false;
    if (db_.execute(kSchema)) return true;
    *reason = "cannot set up the event outbox: " + db_.error();
    return false;
}

bool EventOutbox::append(std::vector<Event>* events, const std::string& printer, const std::string& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteTransaction transaction(db_);
    for (Event& event : *events) {
        SqliteStatement insert = db_.prepare("INSERT INTO events(printer, time, kind, payload) VALUES(?, ?, ?, '')");
        insert.bind(1, event.printer).bind(2, event.time).bind(3, event_kind_name(event.kind)).step();
        if (insert.failed()) return false;
        event.id = db_.last_row_id();
        SqliteStatement update = db_.prepare("UPDATE events SET payload = ? WHERE id = ?");
        update.bind(1, event_json(event)).bind(2, event.id).step();
        if (update.failed()) return false;
    }
    SqliteStatement save = db_.prepare("INSERT OR REPLACE INTO alert_state(printer, state) VALUES(?, ?)");
    save.bind(1, printer).bind(2, state).step();
    return !save.failed() && transaction.commit();
}

std::vector<StoredEvent> EventOutbox::read(const std::string& sql, std::size_t limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<StoredEvent> events;
    SqliteStatement query = db_.prepare(sql);
    query.bind(1, limit_value(limit));
    while (query.step()) events.push_back(StoredEvent{query.integer(0), query.text(1), query.integer(2) != 0});
    return events;
}

std::vector<StoredEvent> EventOutbox::pending(std::size_t limit) {
    return read("SELECT id, payload, delivered FROM events WHERE delivered = 0 ORDER BY id LIMIT ?", limit);
}

std::vector<StoredEvent> EventOutbox::recent(std::size_t limit) {
    return read("SELECT id, payload, delivered FROM events ORDER BY id DESC LIMIT ?", limit);
}

bool EventOutbox::mark_delivered(std::int64_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement update = db_.prepare("UPDATE events SET delivered = 1 WHERE id = ?");
    update.bind(1, id).step();
    return !update.failed();
}

std::map<std::string, std::string> EventOutbox::states() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::map<std::string, std::string> states;
    SqliteStatement query = db_.prepare("SELECT printer, state FROM alert_state");
    while (query.step()) states[query.text(0)] = query.text(1);
    return states;
}

void EventOutbox::prune(std::size_t keep) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement drop = db_.prepare(
        "DELETE FROM events WHERE delivered = 1 AND id < (SELECT MIN(id) FROM "
        "(SELECT id FROM events ORDER BY id DESC LIMIT ?))");
    drop.bind(1, limit_value(keep)).step();
}

}  // namespace pmtool
