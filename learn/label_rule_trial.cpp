#include "learn/label_rule_trial.h"

#include "engine/company_parser.h"
#include "engine/rule_search.h"
#include "engine/rules_file.h"

std::optional<LabelRuleTrial> LabelRuleTrial::Compile(const std::string& ruleKey, const std::string& label,
                                                      const std::string& pattern) {
    // Through the loader itself, so that a rule is tried exactly as a profile line is read.
    ExtractionRules rules;
    LoadRulesFromText(ruleKey + ",,," + label + ",,," + pattern + "\n", rules);
    for (auto* labelRules : {&rules.generalRules, &rules.validateRules, &rules.companyRules}) {
        const auto found = labelRules->find(label);
        if (found != labelRules->end()) return LabelRuleTrial(found->second);
    }
    return std::nullopt;
}

std::optional<std::string> LabelRuleTrial::ValueOn(CompanyFamily family, std::string_view cleanedText) const {
    std::string capture;
    if (!FindFirstCapture(pattern, cleanedText, capture)) return std::nullopt;
    captureHeldTag = capture.find('<') != std::string::npos;
    return CleanedLabelValue(family, capture);
}
