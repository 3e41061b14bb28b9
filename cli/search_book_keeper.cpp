#include "cli/search_book_keeper.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "book/company_key.h"
#include "platform/program_paths.h"

namespace {

// The pauses before the last tries at the end of the search: about half a minute in all.
constexpr std::chrono::seconds kFinalPauses[] = {std::chrono::seconds(1), std::chrono::seconds(4),
                                                 std::chrono::seconds(10), std::chrono::seconds(15)};

}  // namespace

std::unique_ptr<SearchBookKeeper> SearchBookKeeper::Open(const ExtractionRules& rules,
                                                         const SearchCondition& condition, int reuseDays) {
    auto book = std::make_shared<LeadBook>();
    const std::string path = LeadBookPath();
    const BookOpenResult opened = book->Open(path);
    switch (opened.status) {
        case BookOpenStatus::kOpened:
            break;
        case BookOpenStatus::kMovedAside:
            std::fprintf(stderr,
                         "the lead book %s could not be read: it was moved to %s and a new one begun\n",
                         path.c_str(), opened.movedTo.c_str());
            break;
        case BookOpenStatus::kNewer:
            std::fprintf(stderr,
                         "the lead book %s is of a later version of Harvio: this search leaves it alone\n",
                         path.c_str());
            return nullptr;
        case BookOpenStatus::kFailed:
            std::fprintf(stderr, "the lead book %s cannot be opened (%s): this search leaves it alone\n",
                         path.c_str(), opened.reason.c_str());
            return nullptr;
    }
    auto search = std::make_shared<BookSearch>(book, SiteNameOf(rules), CompanyKeyer(rules), reuseDays);
    search->Begin(condition);
    return std::unique_ptr<SearchBookKeeper>(new SearchBookKeeper(std::move(search)));
}

void SearchBookKeeper::Keep(const CompanyRecord& record) {
    FoundCompany found;
    if (KeepPending() && search_->Keep(record, found)) return;
    if (pending_.empty())
        std::fprintf(stderr, "the lead book cannot be written (%s); trying again\n",
                     search_->Book().LastError().c_str());
    pending_.push_back(record);
}

bool SearchBookKeeper::KeepPending() {
    while (!pending_.empty()) {
        FoundCompany found;
        if (!search_->Keep(pending_.front(), found)) return false;
        pending_.erase(pending_.begin());
    }
    return true;
}

bool SearchBookKeeper::Finish() {
    for (const auto pause : kFinalPauses) {
        if (KeepPending()) return true;
        std::this_thread::sleep_for(pause);
    }
    if (KeepPending()) return true;
    std::fprintf(stderr, "%zu companies could not be kept in the lead book: %s\n", pending_.size(),
                 search_->Book().LastError().c_str());
    return false;
}
