#include "engine/rules_check.h"

#include <algorithm>
#include <numeric>

#include "engine/search_query.h"

namespace {

using Pattern = std::optional<boost::regex> ExtractionRules::*;
using Text = std::string ExtractionRules::*;

// Where a key of the check stands in the rules: a pattern or a text.
struct NeededKey {
    const char* key;
    Pattern pattern = nullptr;
    Text text = nullptr;

    bool Given(const ExtractionRules& rules) const {
        if (rules.keysGivenEmpty.count(key) > 0) return true;
        return pattern != nullptr ? static_cast<bool>(rules.*pattern) : !(rules.*text).empty();
    }
};

// What one page family of the site needs: the link rule that finds its companies on the result
// pages, the links to its further pages (given empty where the site has none), and what tells
// its links from the others'.
struct FamilyNeeds {
    NeededKey link;
    std::vector<NeededKey> pages;
    std::vector<NeededKey> addresses;  // one of them given is enough; all are named when none is
};

const FamilyNeeds kFamilyNeeds[] = {
    {{"validateCompReg", &ExtractionRules::validateCompReg},
     {{"validateCompContactReg", &ExtractionRules::validateCompContactReg},
      {"validateCompIntroduceReg", &ExtractionRules::validateCompIntroduceReg},
      {"validateCompUserInfoReg", &ExtractionRules::validateCompUserInfoReg},
      {"TimeInfoUrl", nullptr, &ExtractionRules::TimeInfoUrl},
      {"ConfirmInfoUrl", nullptr, &ExtractionRules::ConfirmInfoUrl}},
     {}},
    {{"generalCompReg", &ExtractionRules::generalCompReg},
     {{"generalCompContactReg", &ExtractionRules::generalCompContactReg},
      {"generalCompIntroduceReg", &ExtractionRules::generalCompIntroduceReg}},
     {{"detailPrefix", nullptr, &ExtractionRules::detailPrefix},
      {"directoryPrefix", nullptr, &ExtractionRules::directoryPrefix},
      {"generalLinkReg", &ExtractionRules::generalLinkReg}}},
    {{"CompReg", &ExtractionRules::CompReg},
     {{"CompContactReg", &ExtractionRules::CompContactReg},
      {"CompIntroduceReg", &ExtractionRules::CompIntroduceReg}},
     {{"companySitePrefix", nullptr, &ExtractionRules::companySitePrefix},
      {"companySiteLinkReg", &ExtractionRules::companySiteLinkReg}}},
};

// A family that gives none of its address keys is asked for the prefixes, which the directory's
// own layout uses.
bool IsPrefixKey(const NeededKey& key) {
    return key.text != nullptr;
}

void AddMissing(std::vector<RulesFinding>& findings, const char* key) {
    findings.push_back({RulesFinding::Kind::missingKey, 0, key, "missing, a search needs it"});
}

void AddWrongValue(std::vector<RulesFinding>& findings, const char* key, const std::string& reason) {
    findings.push_back({RulesFinding::Kind::wrongValue, 0, key, reason});
}

// The search address: the template, or the base address of the directory's own layout; and how
// the walk finds the result pages after the first.
void CheckSearchAddress(const ExtractionRules& rules, std::vector<RulesFinding>& findings) {
    if (rules.searchUrlTemplate.empty()) {
        if (rules.searchBaseUrl.empty()) AddMissing(findings, "searchBaseUrl");
    } else {
        for (const std::string& placeholder : UnknownPlaceholders(rules.searchUrlTemplate))
            AddWrongValue(findings, "searchUrlTemplate", "unknown placeholder " + placeholder);
        if (!rules.nextPageReg && rules.searchUrlTemplate.find(kPagePlaceholder) == std::string::npos)
            AddWrongValue(findings, "searchUrlTemplate",
                          "no {page}: the result pages after the first need it, or nextPageReg");
    }
    if (!QueryCharsetNamed(rules.queryCharset))
        AddWrongValue(findings, "queryCharset", "GBK or UTF-8, not " + rules.queryCharset);
    if (!rules.nextPageReg) {
        if (!rules.compTotalPageReg) AddMissing(findings, "compTotalPageReg");
        if (!rules.compTotalCompanyReg) AddMissing(findings, "compTotalCompanyReg");
    }
}

// The keys of every family the site has; a site without any family misses all three link rules.
void CheckFamilies(const ExtractionRules& rules, std::vector<RulesFinding>& findings) {
    bool anyFamily = false;
    for (const FamilyNeeds& family : kFamilyNeeds) anyFamily = anyFamily || family.link.Given(rules);
    for (const FamilyNeeds& family : kFamilyNeeds) {
        if (!family.link.Given(rules)) {
            if (!anyFamily) AddMissing(findings, family.link.key);
            continue;
        }
        for (const NeededKey& page : family.pages) {
            if (!page.Given(rules)) AddMissing(findings, page.key);
        }
        bool addressGiven = family.addresses.empty();
        for (const NeededKey& address : family.addresses) addressGiven = addressGiven || address.Given(rules);
        if (addressGiven) continue;
        for (const NeededKey& address : family.addresses) {
            if (IsPrefixKey(address)) AddMissing(findings, address.key);
        }
    }
}

// A misspelling, not another word: at most a quarter of the known key differs (two bytes for
// the short keys).
constexpr std::size_t kLeastSuggestedDistance = 2;
constexpr std::size_t kKeyLengthPerDistance = 4;

void AddSuggestion(RulesFinding& finding) {
    std::string_view nearest;
    std::size_t nearestDistance = 0;
    for (const std::string_view known : KnownRuleKeys()) {
        const std::size_t distance = EditDistance(finding.subject, known);
        if (nearest.empty() || distance < nearestDistance) {
            nearest = known;
            nearestDistance = distance;
        }
    }
    if (nearestDistance <= std::max(kLeastSuggestedDistance, nearest.size() / kKeyLengthPerDistance)) {
        finding.reason += ", did you mean " + std::string(nearest) + "?";
    }
}

void CompleteFindings(const ExtractionRules& rules, std::vector<RulesFinding>& findings) {
    for (RulesFinding& finding : findings) {
        if (finding.kind == RulesFinding::Kind::unknownKey) AddSuggestion(finding);
    }
    CheckSearchAddress(rules, findings);
    CheckFamilies(rules, findings);
}

}  // namespace

std::size_t EditDistance(std::string_view first, std::string_view second) {
    std::vector<std::size_t> row(second.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= first.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= second.size(); ++j) {
            const std::size_t above = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (first[i - 1] == second[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[second.size()];
}

bool LoadCheckedRulesFile(const std::string& path, ExtractionRules& rules,
                          std::vector<RulesFinding>& findings) {
    if (!LoadRulesFile(path, rules, &findings)) return false;
    CompleteFindings(rules, findings);
    return true;
}

std::vector<RulesFinding> CheckRulesText(std::string_view text) {
    ExtractionRules rules;
    std::vector<RulesFinding> findings;
    LoadRulesFromText(text, rules, &findings);
    CompleteFindings(rules, findings);
    return findings;
}

std::string DescribeFinding(const RulesFinding& finding) {
    std::string line;
    if (finding.lineNumber > 0) line = "line " + std::to_string(finding.lineNumber) + ": ";
    if (!finding.subject.empty() || finding.kind == RulesFinding::Kind::unknownKey)
        line += finding.subject + ": ";
    if (finding.kind == RulesFinding::Kind::skippedLine || finding.kind == RulesFinding::Kind::noCaptureGroup)
        line += "skipped: ";
    return line + finding.reason;
}

bool TracedByLoader(const RulesFinding& finding) {
    return finding.kind == RulesFinding::Kind::skippedLine ||
           finding.kind == RulesFinding::Kind::noCaptureGroup ||
           finding.kind == RulesFinding::Kind::repeatedKey;
}
