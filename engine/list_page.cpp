#include "engine/list_page.h"

#include <limits>

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

ListPageTotals ReadListPageTotals(const ExtractionRules& rules, std::string_view body) {
    ListPageTotals totals;
    std::string capture;
    if (rules.compTotalPageReg && FindFirstCapture(*rules.compTotalPageReg, body, capture)) {
        totals.totalPages = ReadLeadingNumber(capture);
    }
    capture.clear();
    if (rules.compTotalCompanyReg && FindFirstCapture(*rules.compTotalCompanyReg, body, capture)) {
        totals.totalCompanies = ReadLeadingNumber(capture);
    }
    return totals;
}

std::size_t QueueCompanyLinks(const ExtractionRules& rules, std::string_view body,
                              std::map<std::string, bool>& seenUrls, std::list<std::string>& urlQueue) {
    std::size_t queued = 0;
    for (const auto* pattern : {&rules.validateCompReg, &rules.generalCompReg, &rules.CompReg}) {
        if (!*pattern) continue;
        std::size_t position = 0;
        std::string link;
        while (FindNextCapture(**pattern, body, position, link)) {
            if (seenUrls.emplace(link, true).second) {
                urlQueue.push_back(link);
                ++queued;
            }
            link.clear();
        }
    }
    return queued;
}
