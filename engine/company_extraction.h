#pragma once

#include <memory>
#include <string>

#include "engine/company_family.h"
#include "engine/company_parser.h"

// Reads one company of the given page family: runs the family's reader and moves the found
// values into the record. None when the company's pages could not be read. The crawl and the
// rules tester both read companies through here; with counters, the rules tried and the
// record's filled fields are counted.
std::unique_ptr<CompanyRecord> ExtractCompany(const ExtractionRules& rules, PageSource& source,
                                              const std::string& link, CompanyFamily family,
                                              ExtractionReport* report = nullptr,
                                              RuleCounters* counters = nullptr);

// The same, with the family chosen by the link.
std::unique_ptr<CompanyRecord> ExtractCompany(const ExtractionRules& rules, PageSource& source,
                                              const std::string& link, ExtractionReport* report = nullptr,
                                              RuleCounters* counters = nullptr);
