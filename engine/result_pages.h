#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "engine/extraction_rules.h"
#include "engine/search_condition.h"

// The addresses of one search's result pages, as the rules name them: the site's
// searchUrlTemplate filled with the conditions, or the directory's own layout (searchBaseUrl,
// the condition segments, the "p-1" of its page suffix rewritten for later pages).
class ResultPages {
public:
    // condition: plain GBK text, as the search window gives it.
    ResultPages(const ExtractionRules& rules, const SearchCondition& condition);

    // Why the search has no first page (no search address in the rules, or no condition set);
    // empty when it has one.
    const std::string& Failure() const { return failure; }
    const std::string& First() const { return first; }
    // Page 2 and up, by number.
    std::string Numbered(uint32_t page) const;

private:
    const ExtractionRules& rules;
    SearchCondition condition;
    std::string first;
    std::string failure;
};

// The walk of result pages by their next-page links. It ends where a page gives no link, where
// the link leads back to a page read already (page 1 or any later one), or after kMostPages.
class NextPageTrail {
public:
    static constexpr uint32_t kMostPages = 1000;

    // A page read: the address asked for and the one its body came from after redirects.
    void NoteRead(const std::string& asked, const std::string& readFrom);
    // The page to read next by the link the last page gave; none when the walk ends.
    std::optional<std::string> Next(const std::optional<std::string>& link) const;
    uint32_t PagesRead() const { return pagesRead; }

private:
    std::set<std::string> read;  // as URLs write them, without fragment
    uint32_t pagesRead = 0;
};
