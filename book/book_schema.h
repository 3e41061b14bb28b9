#pragma once

#include <string>

class SqliteConnection;

// The lead book's tables, version by version. The version is the database's user_version;
// migration N takes a book of version N - 1 to version N, and a book of any earlier version is
// brought to the current one in one transaction, so that a crash leaves it at its old version.
inline constexpr int kBookSchemaVersion = 2;

enum class SchemaState {
    kReady,       // at the current version (made or migrated now)
    kNewer,       // written by a later version of the program: left as it is
    kForeign,     // a database, but not a lead book
    kUnreadable,  // no database, or a damaged one
    kFailed,      // readable, but it could not be brought up to date (busy, disk full): see failure
};

SchemaState PrepareBookSchema(SqliteConnection& db, std::string& failure);
