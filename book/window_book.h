#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "book/book_search.h"
#include "book/lead_book.h"

// What the window shows of a row's company besides its cells.
struct RowBookFacts {
    int64_t rowId = 0;  // the row's id in the book; 0 for a row the book does not hold
    CompanyRef company;
    bool knownBefore = false;  // in the book before the search that added the row
    int64_t firstFound = 0;
    int64_t lastExported = 0;
};

// The window's side of the lead book: the rows it shows, their ticks, Clear and the exports go
// into the book without ever making the window wait. The search worker's thread writes its
// records and rows itself, in one short transaction each; the window's own changes go to a
// writer thread. A write that fails (a full disk) is kept, in order, and tried again with a
// growing pause until it goes through; meanwhile the trouble report says so, once, and again
// when the writes go through.
class WindowBook {
public:
    // failing: true when writes began to fail (reason: the library's text, diskFull when the
    // disk or quota is full), false when they go through again. Called on the thread that met
    // it: the worker's or the writer's.
    using TroubleReport = std::function<void(bool failing, bool diskFull, const std::string& reason)>;

    static constexpr std::chrono::milliseconds kFirstRetryPause{250};
    static constexpr std::chrono::milliseconds kLongestRetryPause{8000};

    explicit WindowBook(std::shared_ptr<LeadBook> book, BookClock clock = SystemClockSeconds);
    // Tries what is still pending once more, then stops the writer.
    ~WindowBook();
    WindowBook(const WindowBook&) = delete;
    WindowBook& operator=(const WindowBook&) = delete;

    void SetTroubleReport(TroubleReport report);
    const std::shared_ptr<LeadBook>& Book() const { return book_; }

    // The rows a run left (start-up, before anything is written).
    std::vector<WindowRow> StoredRows();

    // On the search worker's thread.
    std::shared_ptr<BookSearch> BeginSearch(const std::string& site, const CompanyKeyer& keyer,
                                            const SearchCondition& condition, int reuseDays);
    RowBookFacts KeepRecord(BookSearch& search, const CompanyRecord& record, const ResultCells& cells);

    // On the window's thread; none of them waits for the disk.
    RowBookFacts AddRow(const ResultCells& cells, bool checked, const RowBookFacts& facts = {});
    void SetChecked(int64_t rowId, bool checked);
    void RemoveRows(int64_t upToRowId);
    void MarkExported(const std::vector<CompanyRef>& companies);

    // Returns once every write handed over so far went through, or failed once since the call.
    void Flush();
    bool Failing() const { return failing_; }

private:
    using Write = std::function<bool(LeadBook&)>;

    void Hand(Write write);
    bool WritesPending();
    void WriterLoop();
    void NoteOutcome(bool written);

    std::shared_ptr<LeadBook> book_;
    BookClock clock_;
    std::atomic<int64_t> lastRowId_{0};
    std::atomic<bool> failing_{false};

    std::mutex reportMutex_;
    TroubleReport report_;

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Write> queue_;
    bool writing_ = false;   // the writer holds a write it took off the queue
    uint64_t failures_ = 0;  // counts failed attempts, for Flush
    bool stopping_ = false;
    std::thread writer_;  // last: it starts with everything above in place
};
