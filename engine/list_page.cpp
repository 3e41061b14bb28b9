#include "engine/list_page.h"

#include <limits>

#include "engine/captured_link.h"
#include "engine/rule_search.h"

namespace {

bool IsBlank(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

}  // namespace

uint32_t ReadLeadingNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    uint64_t number = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        number = number * 10 + static_cast<uint64_t>(text[at] - '0');
        // A count beyond 32 bits is no count a page states; hold it at the largest value.
        if (number > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(number);
}

ListPageTotals ReadListPageTotals(const ExtractionRules& rules, std::string_view body,
                                  RuleCounters* counters) {
    ListPageTotals totals;
    std::string capture;
    const bool pagesFound =
        rules.compTotalPageReg && FindFirstCapture(*rules.compTotalPageReg, body, capture);
    if (pagesFound) totals.totalPages = ReadLeadingNumber(capture);
    capture.clear();
    const bool companiesFound =
        rules.compTotalCompanyReg && FindFirstCapture(*rules.compTotalCompanyReg, body, capture);
    if (companiesFound) totals.totalCompanies = ReadLeadingNumber(capture);
    if (counters != nullptr) {
        NoteRule(rules.compTotalPageReg, &counters->Pattern(PatternRule::compTotalPageReg), pagesFound);
        NoteRule(rules.compTotalCompanyReg, &counters->Pattern(PatternRule::compTotalCompanyReg),
                 companiesFound);
        counters->SetStatedCompanies(totals.totalCompanies);
    }
    return totals;
}

std::size_t QueueCompanyLinks(const ExtractionRules& rules, std::string_view body,
                              const std::string& pageAddress, std::map<std::string, bool>& seenUrls,
                              std::list<std::string>& urlQueue, RuleCounters* counters) {
    struct LinkRule {
        const std::optional<boost::regex>& pattern;
        PatternRule counted;
    };
    const LinkRule linkRules[] = {{rules.validateCompReg, PatternRule::validateCompReg},
                                  {rules.generalCompReg, PatternRule::generalCompReg},
                                  {rules.CompReg, PatternRule::CompReg}};
    std::size_t queued = 0;
    bool anyLink = false;
    for (const LinkRule& rule : linkRules) {
        bool found = false;
        if (rule.pattern) {
            std::size_t position = 0;
            std::string captured;
            while (FindNextCapture(*rule.pattern, body, position, captured)) {
                found = true;
                const std::optional<std::string> link = ResolveCapturedLink(captured, pageAddress);
                captured.clear();
                if (!link) {
                    if (counters != nullptr) counters->Pattern(rule.counted).NoteSkippedLink();
                    continue;
                }
                if (seenUrls.emplace(*link, true).second) {
                    urlQueue.push_back(*link);
                    ++queued;
                }
            }
        }
        anyLink = anyLink || found;
        if (counters != nullptr) NoteRule(rule.pattern, &counters->Pattern(rule.counted), found);
    }
    if (counters != nullptr) counters->NoteListPage(anyLink);
    return queued;
}

std::optional<std::string> NextResultPage(const ExtractionRules& rules, std::string_view body,
                                          const std::string& pageAddress, RuleCounters* counters) {
    std::string captured;
    const bool found = rules.nextPageReg && FindFirstCapture(*rules.nextPageReg, body, captured);
    RuleCount* count = counters != nullptr ? &counters->Pattern(PatternRule::nextPageReg) : nullptr;
    NoteRule(rules.nextPageReg, count, found);
    if (!found) return std::nullopt;
    std::optional<std::string> next = ResolveCapturedLink(captured, pageAddress);
    if (!next && count != nullptr) count->NoteSkippedLink();
    return next;
}
