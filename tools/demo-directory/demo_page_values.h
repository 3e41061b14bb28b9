#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/demo-directory/demo_company.h"

// A company's values as the demo directory's pages write them, in every layout: the same
// clean values dressed the way the real site dresses them (UTF-8 HTML text).

inline constexpr const char* kWideSpace = "　";    // GBK A1 A1
inline constexpr const char* kWideSolidus = "／";  // GBK A3 AF

// A page's facts: label and value, in the order the page lists them.
using PageFacts = std::vector<std::pair<std::string, std::string>>;

std::string JoinedValues(const std::vector<std::string>& items, const std::string& separator);

// The contact as the pages write it. The first bracketed form ends in "&nbsp;", which the
// clean-up turns into a blank after the bracket.
std::string ContactText(const DemoCompany& company);
std::string PhoneText(const DemoCompany& company);
std::string AddressText(const DemoCompany& company);
std::string ProductsText(const DemoCompany& company);
// The web site as a link, or nothing.
std::string WebSiteText(const DemoCompany& company);
// The introduction's paragraphs (or the "not registered" notice), joined by the line break and
// what comes between.
std::string IntroductionBody(const DemoCompany& company, const std::string& lineBreak,
                             const std::string& between);
// The business registration facts, from the name to the main market.
PageFacts RegistrationFacts(const DemoCompany& company);
