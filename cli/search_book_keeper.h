#pragma once

#include <memory>
#include <vector>

#include "book/book_search.h"

// harvio-cli search's use of the lead book: every record the search yields goes into the book as
// it arrives; a write that fails (a full disk) is kept and tried again before the next record
// and, with pauses, at the end. What still fails then is reported on stderr.
class SearchBookKeeper {
public:
    // None, with the reason on stderr, when the book cannot be used; the search then runs
    // without it.
    static std::unique_ptr<SearchBookKeeper> Open(const ExtractionRules& rules,
                                                  const SearchCondition& condition, int reuseDays);

    std::shared_ptr<BookSearch> Search() const { return search_; }
    void Keep(const CompanyRecord& record);
    // True when every record is in the book.
    bool Finish();

private:
    explicit SearchBookKeeper(std::shared_ptr<BookSearch> search) : search_(std::move(search)) {}
    bool KeepPending();

    std::shared_ptr<BookSearch> search_;
    std::vector<CompanyRecord> pending_;
};
