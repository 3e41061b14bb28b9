#pragma once

#include <sqlite3.h>

#include <string>

// One SQLite connection, closed when the object goes. Failures are results: false or a result
// code, with the library's text in LastError().
class SqliteConnection {
public:
    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens (creating when create is set) the database file through the named file system (the
    // system's own when none); the result code of the open.
    int Open(const std::string& path, bool create, const char* vfs = nullptr);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // Runs statements without results; the result code (SQLITE_OK when all ran).
    int Execute(const char* sql);
    // The integer of a one-value query such as "PRAGMA user_version"; fallback when it fails.
    long long QueryNumber(const char* sql, long long fallback);

    std::string LastError() const;
    int LastErrorCode() const;
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    std::string lastOpenError_;
};
