#pragma once

#include <string>

#include "engine/extraction_rules.h"

// The three page layouts of the directory's companies.
enum class CompanyFamily {
    companySite,  // pages on the directory's company-site host
    general,      // detail or main-directory pages
    memberSite,   // a member's own host, named after its member id
};

// By a plain byte prefix test of the link, company-site prefix first. A prefix the rules do not
// give never matches.
CompanyFamily ChooseFamily(const ExtractionRules& rules, const std::string& link);
