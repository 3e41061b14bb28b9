#include "book/sqlite_connection.h"

#include "book/sqlite_statement.h"

SqliteConnection::~SqliteConnection() {
    Close();
}

int SqliteConnection::Open(const std::string& path, bool create, const char* vfs) {
    Close();
    // Full mutex: the connections are shared between a few threads under locks of their own,
    // and the library then guards its own state too.
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_FULLMUTEX;
    const int result = sqlite3_open_v2(path.c_str(), &db_, flags, vfs);
    if (result != SQLITE_OK) {
        lastOpenError_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        Close();
    }
    return result;
}

void SqliteConnection::Close() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

int SqliteConnection::Execute(const char* sql) {
    if (db_ == nullptr) return SQLITE_MISUSE;
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

long long SqliteConnection::QueryNumber(const char* sql, long long fallback) {
    SqliteStatement statement(*this, sql);
    if (statement.Step() != SQLITE_ROW) return fallback;
    return statement.Int64(0);
}

std::string SqliteConnection::LastError() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : lastOpenError_;
}

int SqliteConnection::LastErrorCode() const {
    return db_ != nullptr ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN;
}
