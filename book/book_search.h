#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "book/company_key.h"
#include "book/lead_book.h"
#include "engine/known_companies.h"

// Seconds since 1970; tests put their own clock in.
using BookClock = std::function<int64_t()>;
int64_t SystemClockSeconds();

// One search's use of the lead book: it notes the search, tells the company workers which links
// the book knows (a company read within reuseDays is taken from the book without a request; the
// second link of a company this search already has is skipped), and keeps every record the
// search yields, in the thread that takes the records.
class BookSearch : public KnownCompanies {
public:
    static constexpr int64_t kSecondsPerDay = 24 * 60 * 60;

    BookSearch(std::shared_ptr<LeadBook> book, std::string site, CompanyKeyer keyer, int reuseDays,
               BookClock clock = SystemClockSeconds);

    // Notes the search in the book; false when it could not (the search goes on all the same).
    bool Begin(const SearchCondition& condition);
    KnownCompany Look(const std::string& link) override;

    CompanyRef RefOf(const CompanyRecord& record) const;
    // Whether the record of that company came from the book in this search.
    bool TakenFromBook(const CompanyRef& company) const;
    int64_t SearchId() const { return searchId_; }
    int64_t Now() const { return clock_(); }
    LeadBook& Book() { return *book_; }

    // Keeps a record the search yields (with row, its window row in the same transaction). found
    // tells what the book knew before; when the write fails it comes from a look-up, and false
    // is returned: the caller keeps the write to try again.
    bool Keep(const CompanyRecord& record, FoundCompany& found, const WindowRow* row = nullptr);

private:
    std::shared_ptr<LeadBook> book_;
    const std::string site_;
    const CompanyKeyer keyer_;
    const int reuseDays_;
    const BookClock clock_;
    int64_t searchId_ = 0;
    mutable std::mutex keysMutex_;  // the company workers ask at once
    std::set<std::string> claimedKeys_;
    std::set<std::string> keysFromBook_;
};
