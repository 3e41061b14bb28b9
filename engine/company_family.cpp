#include "engine/company_family.h"

#include "engine/starts_with.h"

namespace {

bool HasPrefix(const std::string& link, const std::string& prefix) {
    return !prefix.empty() && StartsWith(link, prefix);
}

}  // namespace

CompanyFamily ChooseFamily(const ExtractionRules& rules, const std::string& link) {
    if (HasPrefix(link, rules.companySitePrefix)) return CompanyFamily::companySite;
    if (HasPrefix(link, rules.detailPrefix) || HasPrefix(link, rules.directoryPrefix)) {
        return CompanyFamily::general;
    }
    return CompanyFamily::memberSite;
}
