#include "book/book_search.h"

#include <ctime>

int64_t SystemClockSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

BookSearch::BookSearch(std::shared_ptr<LeadBook> book, std::string site, CompanyKeyer keyer, int reuseDays,
                       BookClock clock)
    : book_(std::move(book)),
      site_(std::move(site)),
      keyer_(std::move(keyer)),
      reuseDays_(reuseDays),
      clock_(std::move(clock)) {}

bool BookSearch::Begin(const SearchCondition& condition) {
    searchId_ = book_->AddSearch(site_, condition, clock_());
    return searchId_ != 0;
}

KnownCompany BookSearch::Look(const std::string& link) {
    const std::string key = keyer_.KeyOf(link);
    {
        std::lock_guard<std::mutex> lock(keysMutex_);
        if (!claimedKeys_.insert(key).second) return {KnownCompany::Kind::kSkip, nullptr};
    }
    if (reuseDays_ <= 0) return {};
    std::optional<BookEntry> entry = book_->Lookup({site_, key});
    if (!entry || entry->lastRead <= clock_() - reuseDays_ * kSecondsPerDay) return {};
    {
        std::lock_guard<std::mutex> lock(keysMutex_);
        keysFromBook_.insert(key);
    }
    return {KnownCompany::Kind::kReuse, std::make_unique<CompanyRecord>(std::move(entry->record))};
}

CompanyRef BookSearch::RefOf(const CompanyRecord& record) const {
    return {site_, keyer_.KeyOf(record.url)};
}

bool BookSearch::TakenFromBook(const CompanyRef& company) const {
    std::lock_guard<std::mutex> lock(keysMutex_);
    return keysFromBook_.count(company.key) > 0;
}

bool BookSearch::Keep(const CompanyRecord& record, FoundCompany& found, const WindowRow* row) {
    const CompanyRef company = RefOf(record);
    if (book_->KeepFound(company, record, !TakenFromBook(company), searchId_, clock_(), found, row))
        return true;
    const std::optional<BookEntry> entry = book_->Lookup(company);
    found = entry ? FoundCompany{true, entry->firstFound, entry->lastExported} : FoundCompany{};
    return false;
}
