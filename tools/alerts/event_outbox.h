// Events kept in order until delivered, in an SQLite table that survives a
// restart; beside them the event engine's state, written in the same
// transaction so that an event is never both lost and forgotten.
#ifndef PMSNMP_TOOLS_EVENT_OUTBOX_H
#define PMSNMP_TOOLS_EVENT_OUTBOX_H

#include "alerts/event.h"
#include "history/sqlite_db.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace pmtool {

struct StoredEvent {
    std::int64_t id = 0;
    std::string payload;  // event_json()
    bool delivered = false;
};

class EventOutbox {
public:
    // An empty path keeps the outbox in memory.
    bool open(const std::string& path, std::string* reason);
    // Stores the events (their ids set here) and the printer's engine state.
    bool append(std::vector<Event>* events, const std::string& printer, const std::string& state);
    // Undelivered events, oldest first.
    std::vector<StoredEvent> pending(std::size_t limit);
    bool mark_delivered(std::int64_t id);
    // The latest events, newest first.
    std::vector<StoredEvent> recent(std::size_t limit);
    // Each printer's saved engine state.
    std::map<std::string, std::string> states();
    // Drops delivered events beyond the newest keep.
    void prune(std::size_t keep);

private:
    std::vector<StoredEvent> read(const std::string& sql, std::size_t limit);

    std::mutex mutex_;
    SqliteDb db_;
};

}  // namespace pmtool

#endif
