#include "book/sqlite_statement.h"

#include "book/sqlite_connection.h"

SqliteStatement::SqliteStatement(SqliteConnection& connection, const char* sql, Lifetime lifetime) {
    const unsigned flags = lifetime == Lifetime::kConnection ? SQLITE_PREPARE_PERSISTENT : 0;
    prepareResult_ = connection.Handle() == nullptr
                         ? SQLITE_MISUSE
                         : sqlite3_prepare_v3(connection.Handle(), sql, -1, flags, &statement_, nullptr);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view bytes) {
    // A zero-length blob binds as an empty value, never as NULL.
    sqlite3_bind_blob64(statement_, index, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::BindText(int index, std::string_view utf8) {
    sqlite3_bind_text64(statement_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t number) {
    sqlite3_bind_int64(statement_, index, number);
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

int SqliteStatement::Step() {
    if (statement_ == nullptr) return prepareResult_ != SQLITE_OK ? prepareResult_ : SQLITE_MISUSE;
    return sqlite3_step(statement_);
}

bool SqliteStatement::Run() {
    int result;
    while ((result = Step()) == SQLITE_ROW) {
    }
    return result == SQLITE_DONE;
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int64_t SqliteStatement::Int64(int column) const {
    return sqlite3_column_int64(statement_, column);
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string SqliteStatement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
}
