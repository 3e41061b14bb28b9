#include "engine/company_family.h"

#include "engine/rule_search.h"
#include "engine/starts_with.h"

namespace {

bool HasPrefix(const std::string& link, const std::string& prefix) {
    return !prefix.empty() && StartsWith(link, prefix);
}

bool Matches(const std::optional<boost::regex>& pattern, const std::string& link) {
    return pattern && MatchesAnywhere(*pattern, link);
}

}  // namespace

CompanyFamily ChooseFamily(const ExtractionRules& rules, const std::string& link) {
    if (HasPrefix(link, rules.companySitePrefix) || Matches(rules.companySiteLinkReg, link)) {
        return CompanyFamily::companySite;
    }
    if (HasPrefix(link, rules.detailPrefix) || HasPrefix(link, rules.directoryPrefix) ||
        Matches(rules.generalLinkReg, link)) {
        return CompanyFamily::general;
    }
    return CompanyFamily::memberSite;
}
