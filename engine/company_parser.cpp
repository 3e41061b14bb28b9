#include "engine/company_parser.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "engine/gbk_characters.h"
#include "engine/rule_search.h"
#include "http/html_cleanup.h"
#include "http/url.h"

namespace {

constexpr std::size_t kPageAreaSize = 1024000;   // combined text of one company, NUL included
constexpr std::size_t kValueAreaSize = 1048576;  // one value, NUL included
// A confirmation value this long is a stretch of page the pattern overran, not a value.
constexpr std::size_t kMemberValueLimit = 512;
constexpr std::string_view kIdPlaceholder = "{id}";

using CleanupStep = int (*)(char*);

constexpr CleanupStep kSitePageCleanup[] = {UpperTagText, BlankComments, BlankLineBreaks, SqueezeText};
constexpr CleanupStep kMemberPageCleanup[] = {UpperTagText, BlankComments, StripTagAttributes,
                                              BlankLineBreaks, SqueezeText};
// Also for the two confirmation-page values, which come from the page as received.
constexpr CleanupStep kSiteValueCleanup[] = {BlankTags, BlankLineBreaks, SqueezeText};
constexpr CleanupStep kMemberValueCleanup[] = {BlankScripts, BlankTags, BlankLineBreaks, SqueezeText};

// The text clipped to a working area of areaSize bytes, cleaned in place by the steps in order.
// Clipping keeps whole characters, so that no value ends in half a character.
std::string Cleaned(std::string_view text, std::size_t areaSize, std::span<const CleanupStep> steps) {
    std::string area(text.substr(0, CharacterBoundaryBefore(text, areaSize - 1)));
    for (const CleanupStep step : steps) step(area.data());
    area.resize(std::strlen(area.c_str()));
    return area;
}

void AppendClipped(std::string& combined, std::string_view body) {
    const std::size_t room = kPageAreaSize - 1 - std::min(combined.size(), kPageAreaSize - 1);
    combined.append(body.substr(0, CharacterBoundaryBefore(body, room)));
}

void FindRule(const std::optional<boost::regex>& rule, std::string_view text, std::string& target,
              RuleCount* count) {
    NoteRule(count, rule && FindFirstCapture(*rule, text, target));
}

RuleCount* PatternCount(RuleCounters* counters, PatternRule rule) {
    return counters != nullptr ? &counters->Pattern(rule) : nullptr;
}

// What tells the three page families apart: the rules each one is read with and its clean-up.
struct FamilyRules {
    CompanyFamily family;
    std::optional<boost::regex> ExtractionRules::*contactPage;
    std::optional<boost::regex> ExtractionRules::*introductionPage;
    PatternRule contactRule, introductionRule;
    std::map<std::string, boost::regex> ExtractionRules::*labelRules;
    std::span<const CleanupStep> pageCleanup;
    std::span<const CleanupStep> valueCleanup;
};

// By CompanyFamily.
const FamilyRules kFamilyRules[] = {
    {CompanyFamily::companySite, &ExtractionRules::CompContactReg, &ExtractionRules::CompIntroduceReg,
     PatternRule::CompContactReg, PatternRule::CompIntroduceReg, &ExtractionRules::companyRules,
     kSitePageCleanup, kSiteValueCleanup},
    {CompanyFamily::general, &ExtractionRules::generalCompContactReg,
     &ExtractionRules::generalCompIntroduceReg, PatternRule::generalCompContactReg,
     PatternRule::generalCompIntroduceReg, &ExtractionRules::generalRules, kSitePageCleanup,
     kSiteValueCleanup},
    {CompanyFamily::memberSite, &ExtractionRules::validateCompContactReg,
     &ExtractionRules::validateCompIntroduceReg, PatternRule::validateCompContactReg,
     PatternRule::validateCompIntroduceReg, &ExtractionRules::validateRules, kMemberPageCleanup,
     kMemberValueCleanup},
};

// Home, contact and introduction page into the combined text; the contact and introduction
// addresses come from the home page as they stand.
bool ReadCompanyPages(const ExtractionRules& rules, const FamilyRules& family, PageSource& source,
                      const std::string& link, CompanyRecord& record, std::string& combined,
                      RuleCounters* counters) {
    std::string_view body;
    if (!source.Fetch(link, body)) return false;
    if (counters != nullptr) counters->NoteCompanyRead();
    AppendClipped(combined, body);
    FindRule(rules.*family.contactPage, body, record.contactUrl, PatternCount(counters, family.contactRule));
    FindRule(rules.*family.introductionPage, body, record.introduceUrl,
             PatternCount(counters, family.introductionRule));
    if (record.contactUrl.empty() || record.introduceUrl.empty()) return false;
    if (!source.Fetch(record.contactUrl, body)) return false;
    AppendClipped(combined, body);
    if (family.family == CompanyFamily::memberSite) {
        FindRule(rules.validateCompUserInfoReg, body, record.userInfo,
                 PatternCount(counters, PatternRule::validateCompUserInfoReg));
    }
    if (!source.Fetch(record.introduceUrl, body)) return false;
    AppendClipped(combined, body);
    return true;
}

bool ParseFamily(const ExtractionRules& rules, CompanyFamily which, PageSource& source,
                 const std::string& link, CompanyRecord& record, LabelMap& labels, ExtractionReport* report,
                 RuleCounters* counters) {
    const FamilyRules& family = kFamilyRules[static_cast<std::size_t>(which)];
    std::string combined;
    if (!ReadCompanyPages(rules, family, source, link, record, combined, counters)) return false;
    const std::string text = Cleaned(combined, kPageAreaSize, family.pageCleanup);
    std::size_t position = 0;
    for (const auto& [label, pattern] : rules.*family.labelRules) {
        std::string value;
        const bool found = FindFirstCapture(pattern, text, value);
        if (counters != nullptr) counters->Label(family.family, position).Note(found);
        ++position;
        if (!found) {
            if (report != nullptr) report->unmatchedLabels.push_back(label);
            continue;
        }
        labels[label] = Cleaned(value, kValueAreaSize, family.valueCleanup);
    }
    return true;
}

// The template with its first `count` "{id}" replaced by the member id.
std::string FillTemplate(std::string text, const std::string& memberId, int count) {
    std::size_t from = 0;
    for (int replaced = 0; replaced < count; ++replaced) {
        const std::size_t at = text.find(kIdPlaceholder, from);
        if (at == std::string::npos) break;
        text.replace(at, kIdPlaceholder.size(), memberId);
        from = at + memberId.size();
    }
    return text;
}

// A template without "{id}" names no member's page: it is not fetched.
bool NamesMemberPage(const std::string& pageTemplate) {
    return pageTemplate.find(kIdPlaceholder) != std::string::npos;
}

void FindLabel(const ExtractionRules& rules, std::string_view body, std::string& target,
               RuleCounters* counters, MemberPageRule counted) {
    const auto rule = rules.validateRules.find(kMemberPageLabels[static_cast<std::size_t>(counted)]);
    const bool found = rule != rules.validateRules.end() && FindFirstCapture(rule->second, body, target);
    if (counters != nullptr) counters->MemberPage(counted).Note(found);
}

std::string ConfirmationValue(const ExtractionRules& rules, std::string_view body, RuleCounters* counters,
                              MemberPageRule counted) {
    std::string value;
    FindLabel(rules, body, value, counters, counted);
    if (value.size() >= kMemberValueLimit) return {};
    return Cleaned(value, kValueAreaSize, kSiteValueCleanup);
}

}  // namespace

std::string MemberIdOf(const std::string& link) {
    const std::optional<Url> url = Url::Parse(link);
    if (!url) return {};
    const std::string_view host = url->Host();
    return std::string(host.substr(0, host.find('.')));
}

bool ParseCompanySite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report,
                      RuleCounters* counters) {
    return ParseFamily(rules, CompanyFamily::companySite, source, link, record, labels, report, counters);
}

bool ParseGeneralSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report,
                      RuleCounters* counters) {
    return ParseFamily(rules, CompanyFamily::general, source, link, record, labels, report, counters);
}

bool ParseValidateSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                       CompanyRecord& record, LabelMap& labels, ExtractionReport* report,
                       RuleCounters* counters) {
    record.memberId = MemberIdOf(link);
    if (!ParseFamily(rules, CompanyFamily::memberSite, source, link, record, labels, report, counters))
        return false;
    ParseMemberInfo(rules, source, record, counters);
    return true;
}

void ParseMemberInfo(const ExtractionRules& rules, PageSource& source, CompanyRecord& record,
                     RuleCounters* counters) {
    if (record.validate == 0 || record.memberId.empty()) return;
    record.timeInfoUrl = FillTemplate(rules.TimeInfoUrl, record.memberId, 1);
    record.confirmInfoUrl = FillTemplate(rules.ConfirmInfoUrl, record.memberId, 2);

    std::string_view body;
    if (!NamesMemberPage(rules.TimeInfoUrl) || !source.Fetch(record.timeInfoUrl, body)) return;
    FindLabel(rules, body, record.regTime, counters, MemberPageRule::regTime);
    FindLabel(rules, body, record.lastLoginTime, counters, MemberPageRule::lastLoginTime);

    if (!NamesMemberPage(rules.ConfirmInfoUrl) || !source.Fetch(record.confirmInfoUrl, body)) return;
    record.identityAuth = ConfirmationValue(rules, body, counters, MemberPageRule::identityAuth);
    record.trustYears = ConfirmationValue(rules, body, counters, MemberPageRule::trustYears);
}
