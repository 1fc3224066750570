#include "history/sqlite_db.h"

#include <sqlite3.h>

namespace pmtool {

namespace {

// Another process (a report, a second poller) may hold the write lock for a
// moment; waiting beats failing.
constexpr int kBusyTimeoutMs = 5000;

}  // namespace

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_), statement_(other.statement_), failed_(other.failed_) {
    other.statement_ = nullptr;
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement& SqliteStatement::bind(int place, std::int64_t value) {
    if (statement_ && sqlite3_bind_int64(statement_, place, value) != SQLITE_OK) failed_ = true;
    return *this;
}

SqliteStatement& SqliteStatement::bind(int place, const std::string& value) {
    if (statement_ &&
        sqlite3_bind_text(statement_, place, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK)
        failed_ = true;
    return *this;
}

SqliteStatement& SqliteStatement::bind(int place, std::optional<std::int64_t> value) {
    if (value) return bind(place, *value);
    if (statement_ && sqlite3_bind_null(statement_, place) != SQLITE_OK) failed_ = true;
    return *this;
}

bool SqliteStatement::step() {
    if (!statement_ || failed_) {
        failed_ = true;
        return false;
    }
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) failed_ = true;
    return false;
}

std::int64_t SqliteStatement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::optional<std::int64_t> SqliteStatement::optional_integer(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    return integer(column);
}

std::string SqliteStatement::text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (!text) return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

SqliteDb::~SqliteDb() { sqlite3_close(db_); }

bool SqliteDb::open(const std::string& path, std::string* reason) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        *reason = "cannot open database '" + path + "': " + error();
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (!execute("PRAGMA journal_mode=WAL") || !execute("PRAGMA synchronous=NORMAL")) {
        *reason = "cannot use database '" + path + "': " + error();
        return false;
    }
    return true;
}

bool SqliteDb::execute(const std::string& sql) {
    return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteDb::prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (db_ && sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK)
        statement = nullptr;
    return SqliteStatement(db_, statement);
}

std::int64_t SqliteDb::last_row_id() const { return sqlite3_last_insert_rowid(db_); }

std::string SqliteDb::error() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }

}  // namespace pmtool
