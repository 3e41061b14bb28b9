#pragma once

#include <map>
#include <optional>
#include <string>

#include <boost/regex.hpp>

// Everything the engine knows about the directory site's pages, read from the rules file.
// A pattern that the file did not give (or that did not compile) is absent and never matches.
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
};
