#pragma once

#include <cstdint>
#include <string>

#include "engine/rule_counters.h"

// Whether a search's figures say that the directory's pages no longer fit the rules file.

// Companies read after which a search is judged while it runs, and the fewest read that an
// ended search is judged on: fewer say too little about the site.
inline constexpr uint64_t kSiteCheckCompanies = 20;
inline constexpr uint64_t kSiteCheckCompaniesAtEnd = 3;

// How the warning names the program's own rules file.
inline constexpr char kDefaultRulesFileShown[] = "config/reg.alibaba";

// The warning for the user (GBK), naming the empty key fields and the rules that never matched
// and pointing to the rules file (the site's profile); empty when the figures give no cause.
// Cause: enough companies read and the company name, the contact or both telephone and mobile
// empty in every one of them; or a result page of a search the site says holds companies that
// gave no company link.
std::string SiteChangeWarning(const RuleHealthSnapshot& health, bool searchEnded,
                              const std::string& rulesFile = kDefaultRulesFileShown);
