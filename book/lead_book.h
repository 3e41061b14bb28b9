#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/book_checkpointer.h"
#include "book/sqlite_connection.h"
#include "engine/company_record.h"
#include "engine/result_row.h"
#include "engine/search_condition.h"

class SqliteStatement;

// A company as the book names it: its site and its key there (CompanyKeyer).
struct CompanyRef {
    std::string site;
    std::string key;
};

// One company's entry: its facts as last read and its times (seconds since 1970; 0 for never).
struct BookEntry {
    CompanyRecord record;
    int64_t firstFound = 0;
    int64_t lastFound = 0;
    int64_t lastRead = 0;
    int64_t lastExported = 0;
};

// What the book knew of a company when a search found it.
struct FoundCompany {
    bool knownBefore = false;  // its entry was there before this find
    int64_t firstFound = 0;
    int64_t lastExported = 0;
};

// One of the window's current rows. A row names its company; a tick names its row.
struct WindowRow {
    int64_t id = 0;
    CompanyRef company;  // empty for a row without a known company (restored from a journal)
    bool knownBefore = false;
    bool checked = false;
    ResultCells cells;
    // Read back with the row from its company's entry; 0 when there is none.
    int64_t firstFound = 0;
    int64_t lastExported = 0;
};

enum class BookOpenStatus {
    kOpened,
    kMovedAside,  // the file was no readable book: it was renamed (movedTo) and a new book made
    kNewer,       // a later version's book: left alone, not opened
    kFailed,      // reason tells why
};
struct BookOpenResult {
    BookOpenStatus status = BookOpenStatus::kFailed;
    std::string movedTo;
    std::string reason;
};

// How soon a commit reaches the disk: with every commit (the window's rows, which a power cut
// must not take), or when the write-ahead log is checkpointed (a crash of the program still
// loses nothing).
enum class BookDurability { kCheckpoint, kEveryCommit };

struct BookStats {
    int64_t companies = 0;
    std::vector<std::pair<std::string, int64_t>> perSite;
    std::vector<std::pair<std::string, int64_t>> newPerWeek;  // the week's Monday, local time
};

struct BookExportFilter {
    int64_t newSince = 0;  // first found at or after this time
    bool notExported = false;
};

// How long the book's write-ahead log grows. A search writes a few pages per record, one
// transaction each; checkpointing the log after every thousand pages (the library's default)
// wrote the same pages into the book again and again and synced it hundreds of times per
// 100,000 records. About 40 MB of log between checkpoints lets a page written many times reach
// the book once. The checkpointer copies the log meanwhile, and only a log past the limit makes
// the writer wait for it: records that come faster than it copies (a search that takes them
// from the book) go on at full speed for a while.
struct BookLogLimits {
    int64_t checkpointBytes = int64_t{40} << 20;
    int64_t limitBytes = int64_t{200} << 20;
};

// The lead book: one entry per company and site, in SQLite with a write-ahead log, so that the
// window and harvio-cli may use it at once. Every change is one short transaction; a writer
// waits up to kBusyTimeout for the other. Safe to share between threads: one operation runs at
// a time. Operations report failure by result, with the reason in LastError().
class LeadBook {
public:
    static constexpr std::chrono::milliseconds kBusyTimeout{5000};

    LeadBook();
    explicit LeadBook(BookLogLimits limits);
    ~LeadBook();
    LeadBook(const LeadBook&) = delete;
    LeadBook& operator=(const LeadBook&) = delete;

    // Opens the book at path, making it (and its folders) when missing and bringing an older
    // one up to date.
    BookOpenResult Open(const std::string& path, BookDurability durability = BookDurability::kCheckpoint);
    bool IsOpen() const;
    std::string LastError() const;
    // The last failure was a full disk (or a full quota).
    bool LastFailureWasDiskFull() const;

    // A search begins; its id, 0 when it could not be noted.
    int64_t AddSearch(const std::string& site, const SearchCondition& condition, int64_t now);
    std::optional<BookEntry> Lookup(const CompanyRef& company);
    // A search found the company. read: its pages were read now, so its facts are those of
    // record; otherwise they came from the book and stay. With row, the window's row of it is
    // added in the same transaction.
    bool KeepFound(const CompanyRef& company, const CompanyRecord& record, bool read, int64_t searchId,
                   int64_t now, FoundCompany& found, const WindowRow* row = nullptr);
    bool MarkExported(const std::vector<CompanyRef>& companies, int64_t now);

    // The window's rows.
    bool AddWindowRow(const WindowRow& row);
    bool SetWindowRowChecked(int64_t id, bool checked);
    // Removes the rows up to and including upToId: rows added since stay.
    bool RemoveWindowRows(int64_t upToId);
    std::optional<std::vector<WindowRow>> WindowRows();
    int64_t LastWindowRowId();

    // For harvio-cli book.
    std::optional<BookStats> Stats();
    // The entries the filter lets through, oldest first found first; false when they could not
    // all be read.
    bool ForEachEntry(const BookExportFilter& filter,
                      const std::function<void(const CompanyRef&, const BookEntry&)>& visit);
    // Forgets the companies last found before the time; their number, or -1.
    int64_t Forget(int64_t lastFoundBefore);

    // A write seam for tests where no small disk can be made: with a limit, writes that need
    // more pages fail as on a full disk; 0 lifts it.
    void LimitPagesForTesting(int64_t pages);

private:
    bool Fail();
    void Configure();
    bool Transaction(const std::function<bool()>& work);
    SqliteStatement& Statement(const char* sql);
    bool InsertWindowRow(const WindowRow& row);
    static int LogGrew(void* self, sqlite3* db, const char* name, int frames);
    void FinishCheckpoint();

    mutable std::mutex mutex_;
    SqliteConnection db_;
    std::string path_;
    BookDurability durability_ = BookDurability::kCheckpoint;
    std::unordered_map<const char*, std::unique_ptr<SqliteStatement>> statements_;
    std::string lastError_;
    int lastErrorCode_ = 0;
    const BookLogLimits logLimits_;
    int checkpointPages_ = 0;        // the limits in pages of this book's size
    int logPagesLimit_ = 0;
    int logFrames_ = 0;              // in the write-ahead log after the last commit
    BookCheckpointer checkpointer_;  // last: stopped before the connection closes
};

// A name beside path for a file that is moved aside: "PATH.unreadable-YYYYMMDD-HHMMSS" (local time).
std::string MovedAsideName(const std::string& path, std::time_t when);
