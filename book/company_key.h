#pragma once

#include <string>
#include <string_view>

#include "engine/extraction_rules.h"

// How the lead book names a company within its site, so that every link of one company meets in
// one entry and two companies never share one:
// - a member-site company (a link of neither the company-site nor the general family, by their
//   prefixes or patterns) by "member:" and its member id where the rules' pattern finds one, else
//   its host, which is named after the member id, so that every page of the member's site is the
//   same company;
// - any other company by its canonical link: host (lower case) with a port other than the
//   scheme's default, path without a trailing "/", and the query; the scheme and the fragment
//   are left out, so http and https meet.
// Links of two page families (a company-site page and a detail page) are never taken for the
// same company: nothing in the links tells that they are.
class CompanyKeyer {
public:
    explicit CompanyKeyer(const ExtractionRules& rules);
    std::string KeyOf(const std::string& link) const;

private:
    ExtractionRules rules_;
};

// A link in the form described above; a text that is no URL stays as it is.
std::string CanonicalLink(std::string_view link);

// The site a search reads, as the book names it: the registrable domain of the search address's
// host ("demo-b2b.test" for http://s.demo-b2b.test/company/), or of the search address
// template's when the rules give no search address; the address itself when it names no host,
// and the profile's site name when the rules give neither.
std::string SiteNameOf(const ExtractionRules& rules);
