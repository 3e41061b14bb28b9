#include "engine/company_parser.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "engine/gbk_characters.h"
#include "engine/rule_search.h"
#include "http/html_cleanup.h"

namespace {

constexpr std::size_t kPageAreaSize = 1024000;   // combined text of one company, NUL included
constexpr std::size_t kValueAreaSize = 1048576;  // one value, NUL included
// A confirmation value this long is a stretch of page the pattern overran, not a value.
constexpr std::size_t kMemberValueLimit = 512;
constexpr std::size_t kMemberIdStart = 7;  // just after "http://", for links without a scheme
constexpr std::string_view kSchemeEnd = "://";
constexpr std::string_view kIdPlaceholder = "{id}";

constexpr const char* kRegTimeLabel = "注册时间";
constexpr const char* kLastLoginLabel = "最后登录时间";
constexpr const char* kIdentityAuthLabel = "企业身份认证";
constexpr const char* kTrustYearsLabel = "诚信通年限";

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

void FindRule(const std::optional<boost::regex>& rule, std::string_view text, std::string& target) {
    if (rule) FindFirstCapture(*rule, text, target);
}

struct FamilyRules {
    const std::optional<boost::regex>& contactPage;
    const std::optional<boost::regex>& introductionPage;
    const std::optional<boost::regex>* userInfo;  // member sites only
    const std::map<std::string, boost::regex>& labelRules;
    std::span<const CleanupStep> pageCleanup;
    std::span<const CleanupStep> valueCleanup;
};

// Home, contact and introduction page into the combined text; the contact and introduction
// addresses come from the home page as they stand.
bool ReadCompanyPages(const FamilyRules& family, PageSource& source, const std::string& link,
                      CompanyRecord& record, std::string& combined) {
    std::string_view body;
    if (!source.Fetch(link, body)) return false;
    AppendClipped(combined, body);
    FindRule(family.contactPage, body, record.contactUrl);
    FindRule(family.introductionPage, body, record.introduceUrl);
    if (record.contactUrl.empty() || record.introduceUrl.empty()) return false;
    if (!source.Fetch(record.contactUrl, body)) return false;
    AppendClipped(combined, body);
    if (family.userInfo != nullptr) FindRule(*family.userInfo, body, record.userInfo);
    if (!source.Fetch(record.introduceUrl, body)) return false;
    AppendClipped(combined, body);
    return true;
}

bool ParseFamily(const FamilyRules& family, PageSource& source, const std::string& link,
                 CompanyRecord& record, LabelMap& labels, ExtractionReport* report) {
    std::string combined;
    if (!ReadCompanyPages(family, source, link, record, combined)) return false;
    const std::string text = Cleaned(combined, kPageAreaSize, family.pageCleanup);
    for (const auto& [label, pattern] : family.labelRules) {
        std::string value;
        if (!FindFirstCapture(pattern, text, value)) {
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

void FindLabel(const ExtractionRules& rules, const char* label, std::string_view body, std::string& target) {
    const auto rule = rules.validateRules.find(label);
    if (rule != rules.validateRules.end()) FindFirstCapture(rule->second, body, target);
}

std::string ConfirmationValue(const ExtractionRules& rules, const char* label, std::string_view body) {
    std::string value;
    FindLabel(rules, label, body, value);
    if (value.size() >= kMemberValueLimit) return {};
    return Cleaned(value, kValueAreaSize, kSiteValueCleanup);
}

// Where the host begins: after the scheme's "://" whatever the scheme's length ("https://" too);
// a link without a scheme keeps the fixed position after "http://".
std::size_t MemberIdStart(const std::string& link) {
    const std::size_t schemeEnd = link.find(kSchemeEnd);
    const auto schemeByte = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    };
    if (schemeEnd == std::string::npos || schemeEnd == 0 ||
        !std::all_of(link.begin(), link.begin() + static_cast<std::ptrdiff_t>(schemeEnd), schemeByte))
        return kMemberIdStart;
    return schemeEnd + kSchemeEnd.size();
}

}  // namespace

std::string MemberIdOf(const std::string& link) {
    const std::size_t start = MemberIdStart(link);
    if (link.size() <= start) return {};
    const std::size_t dot = link.find('.', start);
    return link.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

bool ParseCompanySite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report) {
    const FamilyRules family{rules.CompContactReg, rules.CompIntroduceReg, nullptr,
                             rules.companyRules,   kSitePageCleanup,       kSiteValueCleanup};
    return ParseFamily(family, source, link, record, labels, report);
}

bool ParseGeneralSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                      CompanyRecord& record, LabelMap& labels, ExtractionReport* report) {
    const FamilyRules family{rules.generalCompContactReg,
                             rules.generalCompIntroduceReg,
                             nullptr,
                             rules.generalRules,
                             kSitePageCleanup,
                             kSiteValueCleanup};
    return ParseFamily(family, source, link, record, labels, report);
}

bool ParseValidateSite(const ExtractionRules& rules, PageSource& source, const std::string& link,
                       CompanyRecord& record, LabelMap& labels, ExtractionReport* report) {
    record.memberId = MemberIdOf(link);
    const FamilyRules family{rules.validateCompContactReg,
                             rules.validateCompIntroduceReg,
                             &rules.validateCompUserInfoReg,
                             rules.validateRules,
                             kMemberPageCleanup,
                             kMemberValueCleanup};
    if (!ParseFamily(family, source, link, record, labels, report)) return false;
    ParseMemberInfo(rules, source, record);
    return true;
}

void ParseMemberInfo(const ExtractionRules& rules, PageSource& source, CompanyRecord& record) {
    if (record.validate == 0 || record.memberId.empty()) return;
    record.timeInfoUrl = FillTemplate(rules.TimeInfoUrl, record.memberId, 1);
    record.confirmInfoUrl = FillTemplate(rules.ConfirmInfoUrl, record.memberId, 2);

    std::string_view body;
    if (!NamesMemberPage(rules.TimeInfoUrl) || !source.Fetch(record.timeInfoUrl, body)) return;
    FindLabel(rules, kRegTimeLabel, body, record.regTime);
    FindLabel(rules, kLastLoginLabel, body, record.lastLoginTime);

    if (!NamesMemberPage(rules.ConfirmInfoUrl) || !source.Fetch(record.confirmInfoUrl, body)) return;
    record.identityAuth = ConfirmationValue(rules, kIdentityAuthLabel, body);
    record.trustYears = ConfirmationValue(rules, kTrustYearsLabel, body);
}
