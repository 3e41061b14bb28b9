#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/company_family.h"
#include "engine/company_record.h"
#include "engine/extraction_rules.h"
#include "engine/label_table.h"
#include "engine/page_source.h"
#include "engine/rule_counters.h"

// What the label rules of one company did, for the rules tester.
struct ExtractionReport {
    std::vector<std::string> unmatchedLabels;  // label rules that found nothing
    std::vector<std::string> unknownLabels;    // matched labels the record has no field for
};

// The readers of one page family. Each fetches the home page, the contact and the introduction
// page it links to, cleans the combined text and puts what the family's label rules find into
// labels. A page the home page does not link by the rules is left out. False when the home page
// or a linked page could not be read. With counters, every rule tried is counted there.
bool ParseCompanySite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report = nullptr,
                      RuleCounters* counters = nullptr);
bool ParseGeneralSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report = nullptr,
                      RuleCounters* counters = nullptr);
// Also sets memberId and userInfo and reads the two member pages.
bool ParseValidateSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                       CompanyRecord& record, LabelMap& labels, ExtractionReport* report = nullptr,
                       RuleCounters* counters = nullptr);

// The text the label rules of a family see: the company's pages as read (home, then the contact
// and introduction pages), appended with AppendCompanyPage and cleaned with CleanedCompanyText.
// The rules learner reads pages through these, so that its rules meet the text a search meets.
void AppendCompanyPage(std::string& combined, std::string_view body);
std::string CleanedCompanyText(CompanyFamily family, std::string_view combined);
// A value a label rule captured, cleaned as it goes into the record.
std::string CleanedLabelValue(CompanyFamily family, std::string_view value);

// The member's time and confirmation pages; fields of a page that cannot be read stay empty.
void ParseMemberInfo(const ExtractionRules& rules, PageSource& source, CompanyRecord& record,
                     RuleCounters* counters = nullptr);

// The member id of a member-site link: the first label of its host (what follows "http://" or
// "https://" up to the first "."); empty for a link that is no URL or names no host.
std::string MemberIdOf(const std::string& link);
// The same by the rules: sub-match 1 of memberIdReg in the link where the rules give it.
std::string MemberIdOf(const ExtractionRules& rules, const std::string& link,
                       RuleCounters* counters = nullptr);
