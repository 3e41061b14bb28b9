#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "engine/extraction_rules.h"
#include "engine/rule_counters.h"

// What a company-search result page tells: its totals and its company links.

struct ListPageTotals {
    uint32_t totalPages = 1;  // a page without a stated count is the only page
    uint32_t totalCompanies = 0;
};

// The decimal number at the start of text (leading blanks skipped); 0 without digits.
uint32_t ReadLeadingNumber(std::string_view text);

// Totals by compTotalPageReg and compTotalCompanyReg; with counters, the stated company count is
// kept there as well.
ListPageTotals ReadListPageTotals(const ExtractionRules& rules, std::string_view body,
                                  RuleCounters* counters = nullptr);

// Appends to urlQueue every link of the body not yet in seenUrls, in the order found: all links
// of validateCompReg, then generalCompReg, then CompReg, each as the page read from pageAddress
// means it (see captured_link.h); a link that leads nowhere a search can go is skipped. Returns
// the number queued. With counters, the page and each link rule's finding are counted (a link
// seen before counts too), and so is every link skipped.
std::size_t QueueCompanyLinks(const ExtractionRules& rules, std::string_view body,
                              const std::string& pageAddress, std::map<std::string, bool>& seenUrls,
                              std::list<std::string>& urlQueue, RuleCounters* counters = nullptr);

// The next result page's address by nextPageReg, read against pageAddress; none when the rule
// is absent, does not match, or its link leads nowhere a search can go.
std::optional<std::string> NextResultPage(const ExtractionRules& rules, std::string_view body,
                                          const std::string& pageAddress, RuleCounters* counters = nullptr);
