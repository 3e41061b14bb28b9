#include "book/window_book.h"

#include <algorithm>

WindowBook::WindowBook(std::shared_ptr<LeadBook> book, BookClock clock)
    : book_(std::move(book)), clock_(std::move(clock)), writer_(&WindowBook::WriterLoop, this) {
    lastRowId_ = book_->LastWindowRowId();
}

WindowBook::~WindowBook() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
    }
    queueChanged_.notify_all();
    writer_.join();
}

void WindowBook::SetTroubleReport(TroubleReport report) {
    std::lock_guard<std::mutex> lock(reportMutex_);
    report_ = std::move(report);
}

std::vector<WindowRow> WindowBook::StoredRows() {
    return book_->WindowRows().value_or(std::vector<WindowRow>{});
}

std::shared_ptr<BookSearch> WindowBook::BeginSearch(const std::string& site, const CompanyKeyer& keyer,
                                                    const SearchCondition& condition, int reuseDays) {
    auto search = std::make_shared<BookSearch>(book_, site, keyer, reuseDays, clock_);
    search->Begin(condition);
    return search;
}

RowBookFacts WindowBook::KeepRecord(BookSearch& search, const CompanyRecord& record,
                                    const ResultCells& cells) {
    WindowRow row;
    row.id = ++lastRowId_;
    row.company = search.RefOf(record);
    row.checked = true;  // the search ticks every row it adds
    row.cells = cells;
    FoundCompany found;
    // The window's own writes (ticks, exports) go through in a moment: the record waits for them
    // rather than show before it is in the book.
    if (!failing_ && WritesPending()) Flush();
    // Behind a write that keeps failing the record waits its turn, so that the book keeps the order.
    const bool queued = WritesPending();
    bool written = false;
    if (!queued) {
        written = search.Keep(record, found, &row);
    } else {
        const std::optional<BookEntry> entry = book_->Lookup(row.company);
        if (entry) found = {true, entry->firstFound, entry->lastExported};
    }
    row.knownBefore = found.knownBefore;
    if (!written) {
        const bool read = !search.TakenFromBook(row.company);
        const int64_t searchId = search.SearchId();
        const int64_t now = search.Now();
        Hand([row, record, read, searchId, now](LeadBook& book) {
            FoundCompany ignored;
            return book.KeepFound(row.company, record, read, searchId, now, ignored, &row);
        });
        if (!queued) NoteOutcome(false);
    }
    return {row.id, row.company, found.knownBefore, found.firstFound, found.lastExported};
}

RowBookFacts WindowBook::AddRow(const ResultCells& cells, bool checked, const RowBookFacts& facts) {
    WindowRow row;
    row.id = ++lastRowId_;
    row.company = facts.company;
    row.knownBefore = facts.knownBefore;
    row.checked = checked;
    row.cells = cells;
    Hand([row](LeadBook& book) { return book.AddWindowRow(row); });
    RowBookFacts added = facts;
    added.rowId = row.id;
    return added;
}

void WindowBook::SetChecked(int64_t rowId, bool checked) {
    if (rowId == 0) return;
    Hand([rowId, checked](LeadBook& book) { return book.SetWindowRowChecked(rowId, checked); });
}

void WindowBook::RemoveRows(int64_t upToRowId) {
    Hand([upToRowId](LeadBook& book) { return book.RemoveWindowRows(upToRowId); });
}

void WindowBook::MarkExported(const std::vector<CompanyRef>& companies) {
    const int64_t now = clock_();
    Hand([companies, now](LeadBook& book) { return book.MarkExported(companies, now); });
}

void WindowBook::Hand(Write write) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(std::move(write));
    }
    queueChanged_.notify_all();
}

bool WindowBook::WritesPending() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return !queue_.empty() || writing_;
}

void WindowBook::Flush() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    const uint64_t failuresBefore = failures_;
    queueChanged_.wait(lock, [&] { return (queue_.empty() && !writing_) || failures_ != failuresBefore; });
}

void WindowBook::NoteOutcome(bool written) {
    std::lock_guard<std::mutex> lock(reportMutex_);
    if (written == !failing_) return;
    failing_ = !written;
    const std::string reason = written ? std::string() : book_->LastError();
    const bool diskFull = !written && book_->LastFailureWasDiskFull();
    if (report_) report_(!written, diskFull, reason);
}

// One write at a time, in the order handed over; a failed one stays first in line.
void WindowBook::WriterLoop() {
    std::chrono::milliseconds pause = kFirstRetryPause;
    std::unique_lock<std::mutex> lock(queueMutex_);
    for (;;) {
        queueChanged_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        const Write write = queue_.front();
        writing_ = true;
        lock.unlock();
        const bool written = write(*book_);
        lock.lock();
        writing_ = false;
        if (written) {
            queue_.pop_front();
            pause = kFirstRetryPause;
            // Writes may go through now and then on a disk that is nearly full: the trouble is
            // over when nothing waits any more.
            if (queue_.empty()) {
                lock.unlock();
                NoteOutcome(true);
                lock.lock();
            }
        } else {
            lock.unlock();
            NoteOutcome(false);
            lock.lock();
            ++failures_;
            if (stopping_) return;  // the last try at the end: what failed stays unwritten
            queueChanged_.notify_all();
            queueChanged_.wait_for(lock, pause, [&] { return stopping_; });
            pause = std::min(pause * 2, kLongestRetryPause);
        }
        queueChanged_.notify_all();
    }
}
