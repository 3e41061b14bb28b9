#include "engine/rules_check.h"

#include <algorithm>
#include <numeric>

namespace {

using Pattern = std::optional<boost::regex> ExtractionRules::*;
using Text = std::string ExtractionRules::*;

// The keys without which a search misses companies or cannot start.
constexpr std::pair<const char*, Pattern> kNeededPatterns[] = {
    {"compTotalPageReg", &ExtractionRules::compTotalPageReg},
    {"compTotalCompanyReg", &ExtractionRules::compTotalCompanyReg},
    {"validateCompReg", &ExtractionRules::validateCompReg},
    {"generalCompReg", &ExtractionRules::generalCompReg},
    {"CompReg", &ExtractionRules::CompReg},
    {"validateCompContactReg", &ExtractionRules::validateCompContactReg},
    {"validateCompIntroduceReg", &ExtractionRules::validateCompIntroduceReg},
    {"validateCompUserInfoReg", &ExtractionRules::validateCompUserInfoReg},
    {"generalCompContactReg", &ExtractionRules::generalCompContactReg},
    {"generalCompIntroduceReg", &ExtractionRules::generalCompIntroduceReg},
    {"CompContactReg", &ExtractionRules::CompContactReg},
    {"CompIntroduceReg", &ExtractionRules::CompIntroduceReg},
};
constexpr std::pair<const char*, Text> kNeededTexts[] = {
    {"searchBaseUrl", &ExtractionRules::searchBaseUrl},
    {"companySitePrefix", &ExtractionRules::companySitePrefix},
    {"detailPrefix", &ExtractionRules::detailPrefix},
    {"directoryPrefix", &ExtractionRules::directoryPrefix},
    {"TimeInfoUrl", &ExtractionRules::TimeInfoUrl},
    {"ConfirmInfoUrl", &ExtractionRules::ConfirmInfoUrl},
};

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
    const auto missing = [&](const char* key) {
        findings.push_back({RulesFinding::Kind::missingKey, 0, key, "missing, a search needs it"});
    };
    for (const auto& [key, pattern] : kNeededPatterns) {
        if (!(rules.*pattern)) missing(key);
    }
    for (const auto& [key, text] : kNeededTexts) {
        if ((rules.*text).empty()) missing(key);
    }
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
    if (TracedByLoader(finding)) line += "skipped: ";
    return line + finding.reason;
}

bool TracedByLoader(const RulesFinding& finding) {
    return finding.kind == RulesFinding::Kind::skippedLine ||
           finding.kind == RulesFinding::Kind::noCaptureGroup;
}
