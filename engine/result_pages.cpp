#include "engine/result_pages.h"

#include "engine/search_query.h"
#include "http/url.h"

namespace {

// A charset the check names as wrong is read as the default.
QueryCharset CharsetOf(const ExtractionRules& rules) {
    return QueryCharsetNamed(rules.queryCharset).value_or(QueryCharset::gbk);
}

// The address as a URL writes it, so that two spellings of one page compare equal.
std::string Normalised(const std::string& address) {
    const std::optional<Url> url = Url::Parse(address);
    return url ? std::string(url->HrefWithoutFragment()) : address;
}

}  // namespace

ResultPages::ResultPages(const ExtractionRules& rules, const SearchCondition& condition)
    : rules(rules), condition(condition) {
    if (!rules.searchUrlTemplate.empty()) {
        const std::optional<std::string> filled =
            FillSearchTemplate(rules.searchUrlTemplate, condition, CharsetOf(rules), 1);
        if (filled) {
            first = *filled;
        } else {
            failure = "no search condition is set";
        }
        return;
    }
    if (rules.searchBaseUrl.empty()) {
        failure = "the rules give no search address (searchBaseUrl or searchUrlTemplate)";
        return;
    }
    SearchCondition encoded = condition;
    encoded.keyword = UrlEncode(condition.keyword);
    encoded.province = UrlEncode(condition.province);
    encoded.city = UrlEncode(condition.city);
    first = rules.searchBaseUrl;
    if (!BuildQuery(first, encoded)) {
        first.clear();
        failure = "no search condition is set";
    }
}

std::string ResultPages::Numbered(uint32_t page) const {
    if (rules.searchUrlTemplate.empty()) return ResultPageAddress(first, page);
    return FillSearchTemplate(rules.searchUrlTemplate, condition, CharsetOf(rules), page).value_or(first);
}

void NextPageTrail::NoteRead(const std::string& asked, const std::string& readFrom) {
    read.insert(Normalised(asked));
    if (!readFrom.empty()) read.insert(Normalised(readFrom));
    ++pagesRead;
}

std::optional<std::string> NextPageTrail::Next(const std::optional<std::string>& link) const {
    if (!link || pagesRead >= kMostPages || read.count(Normalised(*link)) > 0) return std::nullopt;
    return link;
}
