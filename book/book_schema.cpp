#include "book/book_schema.h"

#include <sqlite3.h>

#include <iterator>
#include <string>

#include "book/sqlite_connection.h"

namespace {

// kMigrations[N - 1] is migration N. Never change one that has shipped: add the next.
constexpr const char* kMigrations[] = {
    // 1: the companies, the searches and which search found which company.
    "CREATE TABLE companies("
    "  id INTEGER PRIMARY KEY,"
    "  site TEXT NOT NULL,"
    "  company_key BLOB NOT NULL,"
    "  facts BLOB NOT NULL,"
    "  first_found INTEGER NOT NULL,"
    "  last_found INTEGER NOT NULL,"
    "  last_read INTEGER NOT NULL,"
    "  last_exported INTEGER,"
    "  UNIQUE(site, company_key));"
    "CREATE INDEX companies_by_first_found ON companies(first_found);"
    "CREATE TABLE searches("
    "  id INTEGER PRIMARY KEY,"
    "  site TEXT NOT NULL,"
    "  conditions BLOB NOT NULL,"
    "  started INTEGER NOT NULL);"
    "CREATE TABLE finds("
    "  company INTEGER NOT NULL REFERENCES companies(id) ON DELETE CASCADE,"
    "  search INTEGER NOT NULL REFERENCES searches(id) ON DELETE CASCADE,"
    "  PRIMARY KEY(company, search)) WITHOUT ROWID;",
    // 2: the window's current rows, which outlive a crash; and finds by search, so that
    // forgetting searches does not read every find.
    "CREATE TABLE window_rows("
    "  id INTEGER PRIMARY KEY,"
    "  site TEXT NOT NULL,"
    "  company_key BLOB NOT NULL,"
    "  known_before INTEGER NOT NULL,"
    "  checked INTEGER NOT NULL,"
    "  cells BLOB NOT NULL);"
    "CREATE INDEX finds_by_search ON finds(search);",
};
static_assert(std::size(kMigrations) == kBookSchemaVersion);

// A record is about a kilobyte and changes a leaf page of each of five trees; pages of 2 KB
// hold it whole and halve what each commit writes to the log, against the library's 4 KB.
constexpr int kNewBookPageSize = 2048;

bool IsUnreadable(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

}  // namespace

SchemaState PrepareBookSchema(SqliteConnection& db, std::string& failure) {
    // Reading the schema is the first real read of the file: a file that is no database fails here.
    const long long tables = db.QueryNumber("SELECT count(*) FROM sqlite_schema", -1);
    if (tables < 0) {
        failure = db.LastError();
        return IsUnreadable(db.LastErrorCode()) ? SchemaState::kUnreadable : SchemaState::kFailed;
    }
    const long long version = db.QueryNumber("PRAGMA user_version", 0);
    if (version > kBookSchemaVersion) return SchemaState::kNewer;
    if (version == kBookSchemaVersion) return SchemaState::kReady;
    if (version == 0 && tables > 0) return SchemaState::kForeign;

    // Only a file not yet written takes a page size; a book made before keeps its own.
    if (version == 0) db.Execute(("PRAGMA page_size = " + std::to_string(kNewBookPageSize)).c_str());
    if (db.Execute("BEGIN IMMEDIATE") != SQLITE_OK) {
        failure = db.LastError();
        return SchemaState::kFailed;
    }
    // Another program may have migrated the book while this one waited for the lock.
    const long long now = db.QueryNumber("PRAGMA user_version", 0);
    bool migrated = now <= kBookSchemaVersion;
    for (long long step = now; migrated && step < kBookSchemaVersion; ++step)
        migrated = db.Execute(kMigrations[step]) == SQLITE_OK;
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kBookSchemaVersion);
    if (migrated && now < kBookSchemaVersion) migrated = db.Execute(setVersion.c_str()) == SQLITE_OK;
    if (!migrated || db.Execute("COMMIT") != SQLITE_OK) {
        failure = db.LastError();
        db.Execute("ROLLBACK");
        return SchemaState::kFailed;
    }
    return now > kBookSchemaVersion ? SchemaState::kNewer : SchemaState::kReady;
}
