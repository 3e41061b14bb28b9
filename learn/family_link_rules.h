#pragma once

#include <string>
#include <vector>

#include "engine/company_family.h"
#include "engine/extraction_rules.h"
#include "http/url.h"

// The link rules that tell a site's company families apart, learned from company links where
// the profile has none of its own.

// Whether the rules tell the families apart: an address prefix or a family link pattern.
bool RulesTellFamilies(const ExtractionRules& rules);

// A member's own site is linked at its root, on a host of its own or under a folder named after
// the member ("http://m1.example/", "//shop.example/m1/"); a company's page in the directory is a
// page of it ("/company/12.html").
bool LooksLikeMemberSite(const Url& url);

// generalLinkReg: the hosts, and the folder they share, of the links that are no member sites;
// empty when it would mark a member site too, or when there are none.
std::string GeneralLinkPattern(const std::vector<Url>& general, const std::vector<Url>& members);

// memberIdReg for member sites under one host's folders ("//shop.example/m1/"); empty where the
// member id is the host's first label, as the engine takes it without a rule.
std::string MemberIdPattern(const std::vector<Url>& members);

// The key of the company-link rule of a family: validateCompReg, generalCompReg or CompReg.
const char* CompanyLinkKey(CompanyFamily family);
