#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

class SqliteConnection;

// One prepared statement, finalized when the object goes. Parameters are numbered from 1, result
// columns from 0, as the library numbers them. A statement that failed to prepare steps to its
// error code. A statement kept for the connection's life (reset between uses) tells the library
// so, which keeps it out of the memory the library reclaims from short-lived ones.
class SqliteStatement {
public:
    enum class Lifetime { kOneUse, kConnection };

    SqliteStatement(SqliteConnection& connection, const char* sql, Lifetime lifetime = Lifetime::kOneUse);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::string_view bytes);  // as a blob: GBK text is kept byte for byte
    SqliteStatement& BindText(int index, std::string_view utf8);
    SqliteStatement& Bind(int index, int64_t number);
    SqliteStatement& BindNull(int index);

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else the error code.
    int Step();
    // Steps to the end; true when the statement ran without an error.
    bool Run();
    // Ready to run again with new parameters.
    void Reset();

    int64_t Int64(int column) const;
    bool IsNull(int column) const;
    std::string Bytes(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
    int prepareResult_ = SQLITE_OK;
};
