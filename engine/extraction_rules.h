#pragma once

#include <boost/regex.hpp>
#include <map>
#include <optional>
#include <set>
#include <string>

// Everything the engine knows about one directory site's pages, read from its rules file (the
// site's profile). A pattern that the file did not give (or that did not compile) is absent and
// never matches.
struct ExtractionRules {
    std::optional<boost::regex> compTotalPageReg;
    std::optional<boost::regex> compTotalCompanyReg;
    std::optional<boost::regex> validateCompReg;
    std::optional<boost::regex> validateCompContactReg;
    std::optional<boost::regex> validateCompIntroduceReg;
    std::optional<boost::regex> validateCompUserInfoReg;
    std::optional<boost::regex> generalCompReg;
    std::optional<boost::regex> generalCompContactReg;
    std::optional<boost::regex> generalCompIntroduceReg;
    std::optional<boost::regex> CompReg;
    std::optional<boost::regex> CompContactReg;
    std::optional<boost::regex> CompIntroduceReg;

    // label (GBK) -> pattern, walked in label order
    std::map<std::string, boost::regex> validateRules;
    std::map<std::string, boost::regex> generalRules;
    std::map<std::string, boost::regex> companyRules;

    std::string TimeInfoUrl;     // holds "{id}" once
    std::string ConfirmInfoUrl;  // holds "{id}" twice

    // The site's addresses, so that one file describes the whole site.
    std::string searchBaseUrl;  // company-search base address, ending in "/company/"
    std::string companySitePrefix;
    std::string detailPrefix;
    std::string directoryPrefix;

    // What a site of another layout needs.
    std::string siteName;           // how the site chooser names the site (GBK)
    std::string searchUrlTemplate;  // the search address with its placeholders (see search_query.h)
    std::string queryCharset;       // the conditions' charset in that address: "GBK" (empty) or "UTF-8"
    std::optional<boost::regex> nextPageReg;         // sub-match 1: the next result page's link
    std::optional<boost::regex> companySiteLinkReg;  // a link it matches is a company-site company
    std::optional<boost::regex> generalLinkReg;      // a link it matches is a general company
    std::optional<boost::regex> memberIdReg;         // sub-match 1: the member id in a member link

    // Keys the file gives with an empty value: the site has no such page or text (a family's
    // contact or introduction page, the member pages, the member's user line).
    std::set<std::string> keysGivenEmpty;
};
