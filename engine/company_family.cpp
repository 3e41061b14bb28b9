#include "engine/company_family.h"

#include "engine/rule_search.h"
#include "engine/starts_with.h"

namespace {

constexpr std::string_view kSchemeEnd = "://";

std::string_view WithoutScheme(std::string_view text) {
    const std::size_t at = text.find(kSchemeEnd);
    return at == std::string_view::npos ? text : text.substr(at + kSchemeEnd.size());
}

bool HasPrefix(const std::string& link, const std::string& prefix, PrefixScheme scheme) {
    if (prefix.empty()) return false;
    return scheme == PrefixScheme::asWritten ? StartsWith(link, prefix)
                                             : StartsWith(WithoutScheme(link), WithoutScheme(prefix));
}

bool Matches(const std::optional<boost::regex>& pattern, const std::string& link) {
    return pattern && MatchesAnywhere(*pattern, link);
}

}  // namespace

CompanyFamily ChooseFamily(const ExtractionRules& rules, const std::string& link, PrefixScheme scheme) {
    if (HasPrefix(link, rules.companySitePrefix, scheme) || Matches(rules.companySiteLinkReg, link)) {
        return CompanyFamily::companySite;
    }
    if (HasPrefix(link, rules.detailPrefix, scheme) || HasPrefix(link, rules.directoryPrefix, scheme) ||
        Matches(rules.generalLinkReg, link)) {
        return CompanyFamily::general;
    }
    return CompanyFamily::memberSite;
}
