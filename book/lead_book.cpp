#include "book/lead_book.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

#include "book/book_schema.h"
#include "book/record_blob.h"
#include "book/sqlite_statement.h"
#include "book/wal_write_batching.h"
#include "platform/no_replace_rename.h"
#include "platform/program_paths.h"

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr const char* kCompanionSuffixes[] = {"-wal", "-shm"};
constexpr char kConditionSeparator = '\t';
constexpr int64_t kDefaultPageSize = 4096;

std::string ConditionText(const SearchCondition& condition) {
    return condition.keyword + kConditionSeparator + condition.province + kConditionSeparator +
           condition.city + kConditionSeparator + condition.industry + kConditionSeparator +
           condition.bizType;
}

// Moves the file and its write-ahead log aside under one time-stamped name; the name used, or
// empty when the file could not be moved.
std::string MoveAside(const std::string& path) {
    const std::string base = MovedAsideName(path, std::time(nullptr));
    // Two moves within one second get numbered names.
    for (int attempt = 1;; ++attempt) {
        const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        switch (RenameWithoutReplacing(path, target)) {
            case NoReplaceRename::kRenamed:
                for (const char* suffix : kCompanionSuffixes)
                    RenameWithoutReplacing(path + suffix, target + suffix);
                return target;
            case NoReplaceRename::kTargetExists:
                continue;
            case NoReplaceRename::kFailed:
                return {};
        }
    }
}

}  // namespace

std::string MovedAsideName(const std::string& path, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return path + ".unreadable-" + stamp;
}

LeadBook::LeadBook() : LeadBook(BookLogLimits{}) {}

LeadBook::LeadBook(BookLogLimits limits) : logLimits_(limits) {}

LeadBook::~LeadBook() {
    checkpointer_.Stop();
    statements_.clear();  // finalized before the connection closes
}

BookOpenResult LeadBook::Open(const std::string& path, BookDurability durability) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    durability_ = durability;
    checkpointer_.Stop();
    statements_.clear();
    BookOpenResult result;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), kPrivateFolder)) {
        result.reason = std::strerror(errno);
        return result;
    }
    const auto prepare = [&] {
        if (db_.Open(path, true, WalWriteBatchingVfs()) != SQLITE_OK) {
            result.reason = db_.LastError();
            return SchemaState::kFailed;
        }
        sqlite3_busy_timeout(db_.Handle(), static_cast<int>(kBusyTimeout.count()));
        return PrepareBookSchema(db_, result.reason);
    };
    SchemaState state = prepare();
    if (state == SchemaState::kUnreadable || state == SchemaState::kForeign) {
        db_.Close();
        result.movedTo = MoveAside(path);
        if (result.movedTo.empty()) {
            result.reason = std::strerror(errno);
            return result;
        }
        state = prepare();
        if (state == SchemaState::kReady) result.status = BookOpenStatus::kMovedAside;
    } else if (state == SchemaState::kReady) {
        result.status = BookOpenStatus::kOpened;
    }
    if (state == SchemaState::kNewer) result.status = BookOpenStatus::kNewer;
    if (state != SchemaState::kReady) {
        db_.Close();
        if (result.status != BookOpenStatus::kNewer) result.status = BookOpenStatus::kFailed;
        return result;
    }
    // Readers never wait for the writer, and two programs can share the book.
    db_.Execute("PRAGMA journal_mode = WAL");
    Configure();
    return result;
}

void LeadBook::Configure() {
    sqlite3_busy_timeout(db_.Handle(), static_cast<int>(kBusyTimeout.count()));
    db_.Execute(durability_ == BookDurability::kEveryCommit ? "PRAGMA synchronous = FULL"
                                                            : "PRAGMA synchronous = NORMAL");
    db_.Execute("PRAGMA foreign_keys = ON");
    const int64_t pageSize = db_.QueryNumber("PRAGMA page_size", kDefaultPageSize);
    checkpointPages_ = static_cast<int>(logLimits_.checkpointBytes / pageSize);
    logPagesLimit_ = static_cast<int>(logLimits_.limitBytes / pageSize);
    // Overwriting the log in place costs less than growing it again, so its file keeps its size
    // up to the limit (and goes when the book is closed); one that outgrew it, while a reader of
    // the other program held its pages, is cut back to it when it starts again.
    db_.Execute(("PRAGMA journal_size_limit = " + std::to_string(logLimits_.limitBytes)).c_str());
    logFrames_ = 0;
    // The hook takes the place of the library's own checkpoints after a commit.
    if (checkpointer_.Start(path_))
        sqlite3_wal_hook(db_.Handle(), &LeadBook::LogGrew, this);
    else
        db_.Execute(("PRAGMA wal_autocheckpoint = " + std::to_string(checkpointPages_)).c_str());
}

// After every commit, on the writer's thread.
int LeadBook::LogGrew(void* self, sqlite3*, const char*, int frames) {
    auto* book = static_cast<LeadBook*>(self);
    book->logFrames_ = frames;
    if (frames >= book->checkpointPages_) book->checkpointer_.Request();
    return SQLITE_OK;
}

// The caller holds the mutex, between two transactions: no write of this program can come
// between the pages this copies and the log's new start.
void LeadBook::FinishCheckpoint() {
    if (!checkpointer_.Running()) return;
    if (!checkpointer_.CatchUpWanted() && logFrames_ < logPagesLimit_) return;
    checkpointer_.WaitForPass();
    sqlite3_wal_checkpoint_v2(db_.Handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    logFrames_ = 0;
}

bool LeadBook::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_.IsOpen();
}

std::string LeadBook::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

bool LeadBook::LastFailureWasDiskFull() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return (lastErrorCode_ & 0xFF) == SQLITE_FULL;
}

bool LeadBook::Fail() {
    lastError_ = db_.IsOpen() ? db_.LastError() : "the lead book is not open";
    lastErrorCode_ = db_.LastErrorCode();
    return false;
}

SqliteStatement& LeadBook::Statement(const char* sql) {
    std::unique_ptr<SqliteStatement>& statement = statements_[sql];
    if (!statement)
        statement = std::make_unique<SqliteStatement>(db_, sql, SqliteStatement::Lifetime::kConnection);
    statement->Reset();
    return *statement;
}

// The caller holds the mutex.
bool LeadBook::Transaction(const std::function<bool()>& work) {
    if (!db_.IsOpen()) return Fail();
    // Prepared once like every other statement: a search runs one transaction per record.
    if (!Statement("BEGIN IMMEDIATE").Run()) return Fail();
    if (work() && Statement("COMMIT").Run()) {
        FinishCheckpoint();
        return true;
    }
    Fail();
    Statement("ROLLBACK").Run();
    return false;
}

int64_t LeadBook::AddSearch(const std::string& site, const SearchCondition& condition, int64_t now) {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t id = 0;
    Transaction([&] {
        if (!Statement("INSERT INTO searches(site, conditions, started) VALUES(?1, ?2, ?3)")
                 .BindText(1, site)
                 .Bind(2, ConditionText(condition))
                 .Bind(3, now)
                 .Run())
            return false;
        id = sqlite3_last_insert_rowid(db_.Handle());
        return true;
    });
    return id;
}

std::optional<BookEntry> LeadBook::Lookup(const CompanyRef& company) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.IsOpen()) return std::nullopt;
    SqliteStatement& query = Statement(
        "SELECT facts, first_found, last_found, last_read, last_exported FROM companies "
        "WHERE site = ?1 AND company_key = ?2");
    query.BindText(1, company.site).Bind(2, company.key);
    if (query.Step() != SQLITE_ROW) return std::nullopt;
    std::optional<CompanyRecord> record = DecodeRecord(query.Bytes(0));
    BookEntry entry{{}, query.Int64(1), query.Int64(2), query.Int64(3), query.Int64(4)};
    // Reset on every way out: a statement left on its row keeps a read open, and the log then
    // grows past every checkpoint.
    query.Reset();
    if (!record) return std::nullopt;
    entry.record = std::move(*record);
    return entry;
}

bool LeadBook::KeepFound(const CompanyRef& company, const CompanyRecord& record, bool read, int64_t searchId,
                         int64_t now, FoundCompany& found, const WindowRow* row) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Transaction([&] {
        SqliteStatement& query = Statement(
            "SELECT id, first_found, last_exported FROM companies WHERE site = ?1 AND company_key = ?2");
        query.BindText(1, company.site).Bind(2, company.key);
        int64_t id = 0;
        found = FoundCompany{};
        const int step = query.Step();
        if (step == SQLITE_ROW) {
            id = query.Int64(0);
            found = {true, query.Int64(1), query.Int64(2)};
        } else if (step != SQLITE_DONE) {
            return false;
        }
        query.Reset();
        if (id == 0) {
            // Also a record taken from the book whose entry was forgotten meanwhile comes back.
            if (!Statement(
                     "INSERT INTO companies(site, company_key, facts, first_found, last_found, last_read) "
                     "VALUES(?1, ?2, ?3, ?4, ?4, ?4)")
                     .BindText(1, company.site)
                     .Bind(2, company.key)
                     .Bind(3, EncodeRecord(record))
                     .Bind(4, now)
                     .Run())
                return false;
            id = sqlite3_last_insert_rowid(db_.Handle());
            found.firstFound = now;
        } else if (read) {
            if (!Statement("UPDATE companies SET facts = ?1, last_found = ?2, last_read = ?2 WHERE id = ?3")
                     .Bind(1, EncodeRecord(record))
                     .Bind(2, now)
                     .Bind(3, id)
                     .Run())
                return false;
        } else if (!Statement("UPDATE companies SET last_found = ?1 WHERE id = ?2")
                        .Bind(1, now)
                        .Bind(2, id)
                        .Run()) {
            return false;
        }
        if (searchId > 0 && !Statement("INSERT OR IGNORE INTO finds(company, search) VALUES(?1, ?2)")
                                 .Bind(1, id)
                                 .Bind(2, searchId)
                                 .Run())
            return false;
        return row == nullptr || InsertWindowRow(*row);
    });
}

bool LeadBook::MarkExported(const std::vector<CompanyRef>& companies, int64_t now) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Transaction([&] {
        for (const CompanyRef& company : companies) {
            if (company.key.empty()) continue;
            if (!Statement("UPDATE companies SET last_exported = ?1 WHERE site = ?2 AND company_key = ?3")
                     .Bind(1, now)
                     .BindText(2, company.site)
                     .Bind(3, company.key)
                     .Run())
                return false;
        }
        return true;
    });
}

std::optional<BookStats> LeadBook::Stats() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.IsOpen()) return std::nullopt;
    BookStats stats;
    stats.companies = db_.QueryNumber("SELECT count(*) FROM companies", -1);
    if (stats.companies < 0) return Fail(), std::nullopt;
    SqliteStatement perSite(db_, "SELECT site, count(*) FROM companies GROUP BY site ORDER BY site");
    while (perSite.Step() == SQLITE_ROW) stats.perSite.emplace_back(perSite.Bytes(0), perSite.Int64(1));
    // A week is named by its Monday: "weekday 0" moves to the coming Sunday (or stays on one).
    SqliteStatement perWeek(
        db_,
        "SELECT date(first_found, 'unixepoch', 'localtime', 'weekday 0', '-6 days') AS week, "
        "count(*) FROM companies GROUP BY week ORDER BY week");
    while (perWeek.Step() == SQLITE_ROW) stats.newPerWeek.emplace_back(perWeek.Bytes(0), perWeek.Int64(1));
    return stats;
}

bool LeadBook::ForEachEntry(const BookExportFilter& filter,
                            const std::function<void(const CompanyRef&, const BookEntry&)>& visit) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.IsOpen()) return Fail();
    SqliteStatement query(
        db_,
        "SELECT site, company_key, facts, first_found, last_found, last_read, last_exported "
        "FROM companies WHERE first_found >= ?1 AND (?2 = 0 OR last_exported IS NULL) "
        "ORDER BY first_found, id");
    query.Bind(1, filter.newSince).Bind(2, static_cast<int64_t>(filter.notExported));
    int step;
    while ((step = query.Step()) == SQLITE_ROW) {
        std::optional<CompanyRecord> record = DecodeRecord(query.Bytes(2));
        if (!record) continue;
        visit({query.Bytes(0), query.Bytes(1)},
              {std::move(*record), query.Int64(3), query.Int64(4), query.Int64(5), query.Int64(6)});
    }
    return step == SQLITE_DONE || Fail();
}

int64_t LeadBook::Forget(int64_t lastFoundBefore) {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t forgotten = -1;
    Transaction([&] {
        if (!Statement("DELETE FROM companies WHERE last_found < ?1").Bind(1, lastFoundBefore).Run())
            return false;
        forgotten = sqlite3_changes64(db_.Handle());
        // Searches that no longer found any company they are kept for.
        return Statement("DELETE FROM searches WHERE started < ?1 AND id NOT IN (SELECT search FROM finds)")
            .Bind(1, lastFoundBefore)
            .Run();
    });
    return forgotten;
}

void LeadBook::LimitPagesForTesting(int64_t pages) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int64_t limit = pages > 0 ? pages : std::numeric_limits<int32_t>::max();
    db_.Execute(("PRAGMA max_page_count = " + std::to_string(limit)).c_str());
}
