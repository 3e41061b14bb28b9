#pragma once

#include <string>

#include "engine/extraction_rules.h"

// The three page layouts of the directory's companies.
enum class CompanyFamily {
    companySite,  // pages on the directory's company-site host
    general,      // detail or main-directory pages
    memberSite,   // a member's own site, named after its member id
};

// Company site first, then general, each by a plain byte prefix test of the link or by a match
// of its pattern (companySiteLinkReg, generalLinkReg) anywhere in the link; every other link is
// a member site. A prefix or pattern the rules do not give never matches.
// The crawl tests the prefixes as written; the lead book, which keys a company the same under
// http and https, tests them on the text after "scheme://".
enum class PrefixScheme { asWritten, either };
CompanyFamily ChooseFamily(const ExtractionRules& rules, const std::string& link,
                           PrefixScheme scheme = PrefixScheme::asWritten);
