#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/captured_company.h"
#include "engine/extraction_rules.h"

// Learning a site profile from examples: a person names the values one or two captured
// companies show (联系人 = 张伟 先生, 电话 = 0577-88881234, ...) and the learner finds, for each
// field, the rule that yields those values there and plausible values on the other captured
// companies. Every text here is GBK, as in the rest of the engine.

// The values a person read on one example company's pages: record label -> value as read.
struct CompanyExample {
    std::size_t company = 0;  // index into the learner's companies
    std::map<std::string, std::string> values;
};

// What learning made of one field, and the evidence for it: the hit table `learn`, `rules --dir`
// and the rules wizard show.
struct FieldEvidence {
    std::string label;  // the record's label: 公司名称, 联系人, ...; empty for a page link rule
    // The profile key the rule is written under: "general", "validate", "company", or for a link
    // to the contact or introduction page its key (generalCompContactReg, CompIntroduceReg, ...).
    std::string ruleKey;
    std::string pattern;  // the rule as the profile writes it; empty when not learned
    // Per captured company: the value the rule gives there; none where it does not match.
    std::vector<std::optional<std::string>> values;
    std::size_t matched = 0;  // companies where it gives a plausible value
    std::size_t tried = 0;    // companies of the rule's families it was tried on
    bool learned = false;
    // Further family keys the same rule holds on (their captured companies give plausible values).
    std::vector<std::string> alsoRuleKeys;
    CompanyPage page = CompanyPage::home;  // the page of the examples that holds the value
    std::string notLearnedReason;          // for the user, when not learned (GBK)
};

class ProfileLearner {
public:
    explicit ProfileLearner(std::vector<CapturedCompany> companies);

    std::size_t CompanyCount() const;
    const CapturedCompany& Company(std::size_t company) const;
    // A page of a company cleaned as the company reading cleans it before its rules see it; empty
    // when the company has no such page. What the rules wizard shows and what rules match.
    const std::string& CleanedPage(std::size_t company, CompanyPage page) const;
    // The same of a page its home page links to (CapturedCompany::linkedPages, by index).
    const std::string& CleanedLinkedPage(std::size_t company, std::size_t linked) const;

    // The best rule for one field from the examples that give it (company index, value as read).
    FieldEvidence LearnField(const std::string& label,
                             const std::vector<std::pair<std::size_t, std::string>>& examples) const;
    // Every field the examples name, per page family of the examples, in the order of the
    // record's label table. Where example companies were captured with their linked pages only,
    // the contact and introduction link rules come first and the label rules read the pages
    // those links lead to.
    std::vector<FieldEvidence> LearnFields(const std::vector<CompanyExample>& examples) const;
    // The same hit table for the label rules a profile already has.
    std::vector<FieldEvidence> Evidence(const ExtractionRules& rules) const;

    // The family key of label rules ("validate", "general", "company").
    static std::string LabelRuleKey(CompanyFamily family);

private:
    struct Impl;
    std::shared_ptr<const Impl> impl;
};

// The profile to save: baseText's lines (a rules file's text, GBK; empty for a profile of its own)
// with each learned field's rule in place of the base's rule for that label and family, and
// fields not learned left as the base has them.
std::string LearnedProfileText(const std::string& baseText, const std::vector<FieldEvidence>& fields);
