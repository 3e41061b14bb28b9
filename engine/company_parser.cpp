#include "engine/company_parser.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "engine/captured_link.h"
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

void FindRule(const std::optional<boost::regex>& rule, std::string_view text, std::string& target,
              RuleCount* count) {
    NoteRule(rule, count, rule && FindFirstCapture(*rule, text, target));
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

// A further page of the company as the home page links it: the link the rule finds, read against
// the home page's own address; empty when the rule is absent, finds nothing, or finds a link that
// leads nowhere a search can go (counted).
std::string LinkedPage(const std::optional<boost::regex>& rule, std::string_view homeBody,
                       const std::string& homeAddress, RuleCount* count) {
    std::string captured;
    const bool found = rule && FindFirstCapture(*rule, homeBody, captured);
    NoteRule(rule, count, found);
    if (!found) return {};
    std::optional<std::string> link = ResolveCapturedLink(captured, homeAddress);
    if (!link && count != nullptr) count->NoteSkippedLink();
    return link.value_or(std::string());
}

// Home page, then the contact and introduction pages it links to, into the combined text. A page
// the home page does not link (the site has none for this company, or none at all) is left out
// and the company read from the pages it has; a linked page that cannot be read loses the
// company.
bool ReadCompanyPages(const ExtractionRules& rules, const FamilyRules& family, PageSource& source,
                      const std::string& link, CompanyRecord& record, std::string& combined,
                      RuleCounters* counters) {
    std::string_view body;
    if (!source.Fetch(CompanyPage::home, link, body)) return false;
    if (counters != nullptr) counters->NoteCompanyRead();
    AppendCompanyPage(combined, body);
    const std::string homeAddress = source.LastPageAddress();
    record.contactUrl =
        LinkedPage(rules.*family.contactPage, body, homeAddress, PatternCount(counters, family.contactRule));
    record.introduceUrl = LinkedPage(rules.*family.introductionPage, body, homeAddress,
                                     PatternCount(counters, family.introductionRule));
    if (!record.contactUrl.empty()) {
        if (!source.Fetch(CompanyPage::contact, record.contactUrl, body)) return false;
        AppendCompanyPage(combined, body);
        if (family.family == CompanyFamily::memberSite) {
            FindRule(rules.validateCompUserInfoReg, body, record.userInfo,
                     PatternCount(counters, PatternRule::validateCompUserInfoReg));
        }
    }
    if (!record.introduceUrl.empty()) {
        if (!source.Fetch(CompanyPage::introduction, record.introduceUrl, body)) return false;
        AppendCompanyPage(combined, body);
    }
    if (counters != nullptr) {
        if (record.contactUrl.empty()) counters->NoteRecordWithoutPage(CompanyPage::contact);
        if (record.introduceUrl.empty()) counters->NoteRecordWithoutPage(CompanyPage::introduction);
    }
    return true;
}

bool ParseFamily(const ExtractionRules& rules, CompanyFamily which, PageSource& source,
                 const std::string& link, CompanyRecord& record, LabelMap& labels, ExtractionReport* report,
                 RuleCounters* counters) {
    const FamilyRules& family = kFamilyRules[static_cast<std::size_t>(which)];
    std::string combined;
    if (!ReadCompanyPages(rules, family, source, link, record, combined, counters)) return false;
    const std::string text = CleanedCompanyText(which, combined);
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
        labels[label] = CleanedLabelValue(which, value);
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

// A member page's address: the filled template as it stands when it is a URL, else read against
// the member's home page (a template such as "/time/{id}.html").
std::string MemberPageAddress(const std::string& filled, const std::string& homeAddress) {
    if (filled.empty() || Url::Parse(filled)) return filled;
    const std::optional<Url> home = Url::Parse(homeAddress);
    const std::optional<Url> resolved = home ? home->Resolve(filled) : std::nullopt;
    return resolved ? resolved->Href() : filled;
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

void AppendCompanyPage(std::string& combined, std::string_view body) {
    const std::size_t room = kPageAreaSize - 1 - std::min(combined.size(), kPageAreaSize - 1);
    combined.append(body.substr(0, CharacterBoundaryBefore(body, room)));
}

std::string CleanedCompanyText(CompanyFamily family, std::string_view combined) {
    return Cleaned(combined, kPageAreaSize, kFamilyRules[static_cast<std::size_t>(family)].pageCleanup);
}

std::string CleanedLabelValue(CompanyFamily family, std::string_view value) {
    return Cleaned(value, kValueAreaSize, kFamilyRules[static_cast<std::size_t>(family)].valueCleanup);
}

std::string MemberIdOf(const std::string& link) {
    const std::optional<Url> url = Url::Parse(link);
    if (!url) return {};
    const std::string_view host = url->Host();
    return std::string(host.substr(0, host.find('.')));
}

std::string MemberIdOf(const ExtractionRules& rules, const std::string& link, RuleCounters* counters) {
    if (!rules.memberIdReg) return MemberIdOf(link);
    std::string memberId;
    FindRule(rules.memberIdReg, link, memberId, PatternCount(counters, PatternRule::memberIdReg));
    return memberId;
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
    record.memberId = MemberIdOf(rules, link, counters);
    if (!ParseFamily(rules, CompanyFamily::memberSite, source, link, record, labels, report, counters))
        return false;
    ParseMemberInfo(rules, source, record, counters);
    return true;
}

void ParseMemberInfo(const ExtractionRules& rules, PageSource& source, CompanyRecord& record,
                     RuleCounters* counters) {
    if (record.validate == 0 || record.memberId.empty()) return;
    record.timeInfoUrl = MemberPageAddress(FillTemplate(rules.TimeInfoUrl, record.memberId, 1), record.url);
    record.confirmInfoUrl =
        MemberPageAddress(FillTemplate(rules.ConfirmInfoUrl, record.memberId, 2), record.url);

    std::string_view body;
    if (!NamesMemberPage(rules.TimeInfoUrl) ||
        !source.Fetch(CompanyPage::memberTime, record.timeInfoUrl, body))
        return;
    FindLabel(rules, body, record.regTime, counters, MemberPageRule::regTime);
    FindLabel(rules, body, record.lastLoginTime, counters, MemberPageRule::lastLoginTime);

    if (!NamesMemberPage(rules.ConfirmInfoUrl) ||
        !source.Fetch(CompanyPage::memberConfirmation, record.confirmInfoUrl, body))
        return;
    record.identityAuth = ConfirmationValue(rules, body, counters, MemberPageRule::identityAuth);
    record.trustYears = ConfirmationValue(rules, body, counters, MemberPageRule::trustYears);
}
