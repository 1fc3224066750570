// A thin RAII face over SQLite: one connection, prepared statements, and a
// reason with every failure instead of an exception.
#ifndef PMSNMP_TOOLS_SQLITE_DB_H
#define PMSNMP_TOOLS_SQLITE_DB_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace pmtool {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    bool valid() const { return statement_ != nullptr; }
    // Parameters count from 1, as in SQL.
    SqliteStatement& bind(int place, std::int64_t value);
    SqliteStatement& bind(int place, const std::string& value);
    SqliteStatement& bind(int place, std::optional<std::int64_t> value);
    // True while a row is there to read; false at the end or on failure
    // (failed() tells which).
    bool step();
    bool failed() const { return failed_; }
    std::int64_t integer(int column) const;
    std::optional<std::int64_t> optional_integer(int column) const;
    std::string text(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_;
    bool failed_ = false;
};

class SqliteDb {
public:
    SqliteDb() = default;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    ~SqliteDb();

    // Opens or creates the file in write-ahead-log mode, so that readers
    // (reports) never block the poller and a killed writer loses at most
    // its open transaction.
    bool open(const std::string& path, std::string* reason);
    bool execute(const std::string& sql);
    SqliteStatement prepare(const std::string& sql);
    std::int64_t last_row_id() const;
    std::string error() const;

private:
    sqlite3* db_ = nullptr;
};

// A transaction that rolls back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDb& db) : db_(db) { open_ = db_.execute("BEGIN IMMEDIATE"); }
    ~SqliteTransaction() {
        if (open_) db_.execute("ROLLBACK");
    }
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    bool commit() {
        if (!open_) return false;
        open_ = false;
        return db_.execute("COMMIT");
    }

private:
    SqliteDb& db_;
    bool open_ = false;
};

}  // namespace pmtool

#endif
