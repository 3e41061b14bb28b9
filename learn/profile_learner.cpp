#include "learn/profile_learner.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "engine/company_parser.h"
#include "engine/label_table.h"
#include "learn/captured_page_source.h"
#include "learn/label_rule_trial.h"
#include "learn/label_transfer.h"
#include "learn/page_link_learner.h"
#include "learn/rule_context.h"
#include "learn/value_finder.h"

namespace {

// Pieces of context tried to the left of a value: a label cell and its row's tags at the most.
constexpr std::size_t kMaxContextPieces = 6;
// Places of one value on a company's pages worth building rules from (the title, a heading, the
// table, the same on every page of the company...).
constexpr std::size_t kMaxOccurrences = 16;
// A plausible value on another company is of similar length to the examples' values: between a
// quarter and four times theirs, with room for short values that vary (a name, a number).
constexpr std::size_t kLengthFactor = 4;
constexpr std::size_t kLengthSlack = 16;
// Longer than any fact a directory shows (an introduction runs to a few thousand bytes): text
// pasted by mistake, not looked for.
constexpr std::size_t kLongestValue = 16384;
// The pages a label rule reads, in the order the company reading joins them.
constexpr CompanyPage kRulePages[] = {CompanyPage::home, CompanyPage::contact, CompanyPage::introduction};

const std::string kNoPage;

struct Example {
    std::size_t company;
    std::string key;  // the value as a person reads it (ValueKey)
};

// How much a rule's context says about the value, the most telling first.
struct ContextStrength {
    bool namesField = false;  // its label text holds the field's own name ("公司名称：")
    bool wholeText = false;   // the value fills the text between two tags
    bool labelled = false;    // its context holds label text, not only tags

    auto Rank() const { return std::make_tuple(namesField, wholeText, labelled); }
};

struct Candidate {
    std::string pattern;
    std::size_t contextSize;
    ContextStrength strength;
};

struct Trial {
    Candidate candidate;
    std::size_t matched = 0;  // companies with a plausible value
    std::size_t found = 0;    // companies where it finds its place: a plausible value, or an empty one
    std::vector<std::optional<std::string>> values;
};

// Better first: holds on half the companies, a more telling context, more plausible values, in
// its place on more companies, shorter context, shorter rule.
bool Better(const Trial& first, const Trial& second, std::size_t needed) {
    const auto rank = [needed](const Trial& trial) {
        return std::make_tuple(trial.found >= needed, trial.candidate.strength.Rank(), trial.matched,
                               trial.found, kMaxContextPieces - trial.candidate.contextSize,
                               std::size_t(0) - trial.candidate.pattern.size());
    };
    return rank(first) > rank(second);
}

ContextStrength StrengthOf(const std::string& label, const std::vector<ContextPiece>& pieces,
                           std::size_t size, const ContextPiece& right) {
    ContextStrength strength;
    for (std::size_t index = 0; index < size; ++index) {
        if (pieces[index].kind != ContextPiece::Kind::text) continue;
        strength.labelled = true;
        strength.namesField = strength.namesField || pieces[index].pattern.find(label) != std::string::npos;
    }
    strength.wholeText =
        pieces.front().kind == ContextPiece::Kind::tag && right.kind == ContextPiece::Kind::tag;
    return strength;
}

// A context that ends on label text takes the tag before the label too, so that "电话：" does not
// also read as the end of "移动电话：".
bool EndsInsideLabel(const std::vector<ContextPiece>& pieces, std::size_t size) {
    return pieces[size - 1].kind == ContextPiece::Kind::text && size < pieces.size() &&
           pieces[size].kind == ContextPiece::Kind::tag;
}

void AddCandidates(const std::string& label, const std::vector<ContextPiece>& left, const ContextPiece& right,
                   bool spansTag, std::vector<Candidate>& candidates) {
    std::vector<ContextPiece> optionalLeft = left;
    ContextPiece optionalRight = right;
    const bool innerTag = MakeInnerTagOptional(optionalLeft, optionalRight);
    for (std::size_t size = 1; size <= left.size(); ++size) {
        if (EndsInsideLabel(left, size)) continue;
        const ContextStrength strength = StrengthOf(label, left, size, right);
        candidates.push_back({LabelRulePattern(left, size, spansTag, right), size, strength});
        if (innerTag && size > 1)
            candidates.push_back(
                {LabelRulePattern(optionalLeft, size, spansTag, optionalRight), size, strength});
    }
}

std::size_t HalfRoundedUp(std::size_t count) {
    return (count + 1) / 2;
}

// One field to learn for one family, and what a plausible value of it looks like.
struct FieldTask {
    std::string label;
    CompanyFamily family = CompanyFamily::general;
    std::vector<Example> examples;
    std::size_t lengthLow = 0, lengthHigh = 0;  // of a plausible value's key
    bool tagsAllowed = false;                   // the examples' values stand across tags
    std::set<CompanyFamily> taughtFamilies;
};

}  // namespace

struct ProfileLearner::Impl {
    std::vector<CapturedCompany> companies;
    // Per company: each page cleaned on its own, and the pages joined and cleaned as the label
    // rules see them.
    std::vector<std::array<std::string, kCompanyPageCount>> cleanedPages;
    std::vector<std::vector<std::string>> cleanedLinkedPages;
    std::vector<std::string> ruleText;

    std::size_t FamilyCount(CompanyFamily family) const {
        return static_cast<std::size_t>(
            std::count_if(companies.begin(), companies.end(),
                          [family](const CapturedCompany& company) { return company.family == family; }));
    }

    // taughtFamilies: the families whose own examples teach them the label.
    FieldEvidence LearnGiven(const std::string& label,
                             const std::vector<std::pair<std::size_t, std::string>>& examples,
                             const std::set<CompanyFamily>& taughtFamilies) const;
    // What learning the label from these examples takes; none, with the reason in evidence, when
    // no example's value is on its pages.
    std::optional<FieldTask> TaskFor(const std::string& label,
                                     const std::vector<std::pair<std::size_t, std::string>>& examples,
                                     const std::set<CompanyFamily>& taughtFamilies,
                                     FieldEvidence& evidence) const;
    FieldEvidence Learn(const FieldTask& task) const;
    // Every label the examples name, for the family of each example.
    std::vector<FieldEvidence> LearnLabels(const std::vector<CompanyExample>& examples) const;
    // Writes the rule for the other families too where it holds on their companies as well.
    void AddOtherFamilies(const FieldTask& task, FieldEvidence& evidence) const;
    // A rule for a family without examples of its own that no learned rule holds on, read after
    // the field's label as that family writes it; learned only where it gives plausible values on
    // half its companies.
    FieldEvidence Transfer(const FieldTask& task, const std::vector<std::string>& labelKeys,
                           CompanyFamily family) const;
    // The rule on the companies of a family; on the task's examples first, when it is their family.
    void Try(const FieldTask& task, CompanyFamily family, const Candidate& candidate, Trial& trial) const;
};

ProfileLearner::ProfileLearner(std::vector<CapturedCompany> companies) {
    auto impl = std::make_shared<Impl>();
    impl->companies = std::move(companies);
    for (const CapturedCompany& company : impl->companies) {
        std::array<std::string, kCompanyPageCount> cleaned;
        std::string joined;
        for (const CompanyPage page : kRulePages) {
            const std::string& body = company.pages[static_cast<std::size_t>(page)];
            if (body.empty()) continue;
            cleaned[static_cast<std::size_t>(page)] = CleanedCompanyText(company.family, body);
            AppendCompanyPage(joined, body);
        }
        impl->cleanedPages.push_back(std::move(cleaned));
        std::vector<std::string>& linked = impl->cleanedLinkedPages.emplace_back();
        for (const CapturedCompany::LinkedPage& page : company.linkedPages)
            linked.push_back(CleanedCompanyText(company.family, page.body));
        impl->ruleText.push_back(CleanedCompanyText(company.family, joined));
    }
    this->impl = std::move(impl);
}

std::size_t ProfileLearner::CompanyCount() const {
    return impl->companies.size();
}

const CapturedCompany& ProfileLearner::Company(std::size_t company) const {
    return impl->companies.at(company);
}

const std::string& ProfileLearner::CleanedPage(std::size_t company, CompanyPage page) const {
    if (company >= impl->cleanedPages.size()) return kNoPage;
    return impl->cleanedPages[company][static_cast<std::size_t>(page)];
}

const std::string& ProfileLearner::CleanedLinkedPage(std::size_t company, std::size_t linked) const {
    if (company >= impl->cleanedLinkedPages.size() || linked >= impl->cleanedLinkedPages[company].size())
        return kNoPage;
    return impl->cleanedLinkedPages[company][linked];
}

std::string ProfileLearner::LabelRuleKey(CompanyFamily family) {
    // The rules file names the member sites' label rules after the members' validation.
    return family == CompanyFamily::memberSite ? "validate" : FamilyName(family);
}

void ProfileLearner::Impl::Try(const FieldTask& task, CompanyFamily family, const Candidate& candidate,
                               Trial& trial) const {
    trial = Trial{candidate, 0, 0, {}};
    const std::optional<LabelRuleTrial> rule =
        LabelRuleTrial::Compile(LabelRuleKey(family), task.label, candidate.pattern);
    if (!rule) return;
    // Every example must read as the person read it.
    for (const Example& example : family == task.family ? task.examples : std::vector<Example>()) {
        const std::optional<std::string> value = rule->ValueOn(family, ruleText[example.company]);
        if (!value || ValueKey(*value) != example.key) return;
    }
    trial.values.resize(companies.size());
    for (std::size_t company = 0; company < companies.size(); ++company) {
        if (companies[company].family != family) continue;
        std::optional<std::string> value = rule->ValueOn(family, ruleText[company]);
        if (!value) continue;
        const std::size_t length = ValueKey(*value).size();
        const bool plausible = length > 0 && length >= task.lengthLow && length <= task.lengthHigh &&
                               (task.tagsAllowed || !rule->LastCaptureHeldTag());
        if (plausible) ++trial.matched;
        // A label whose value cell is empty is the rule in its place on a company without the value.
        if (plausible || length == 0) ++trial.found;
        trial.values[company] = std::move(value);
    }
}

FieldEvidence ProfileLearner::Impl::Learn(const FieldTask& task) const {
    const std::string& label = task.label;
    const CompanyFamily family = task.family;
    FieldEvidence evidence;
    evidence.label = label;
    evidence.ruleKey = LabelRuleKey(family);
    evidence.values.resize(companies.size());
    evidence.tried = FamilyCount(family);

    // Rules from the context of every place an example's value stands, and from the contexts of
    // two examples made one where they differ.
    std::vector<Candidate> candidates;
    std::vector<std::vector<std::pair<std::vector<ContextPiece>, ContextPiece>>> contexts;
    bool pageNoted = false;
    for (const Example& example : task.examples) {
        const std::string& text = ruleText[example.company];
        std::vector<ValueOccurrence> found = FindValue(text, example.key);
        if (found.size() > kMaxOccurrences) found.resize(kMaxOccurrences);
        auto& exampleContexts = contexts.emplace_back();
        for (const ValueOccurrence& occurrence : found) {
            std::vector<ContextPiece> left = LeftContext(text, occurrence, kMaxContextPieces);
            ContextPiece right = RightContext(text, occurrence);
            if (right.pattern.empty() || left.empty()) continue;
            AddCandidates(label, left, right, occurrence.spansTag, candidates);
            exampleContexts.emplace_back(std::move(left), std::move(right));
        }
        for (const CompanyPage page : kRulePages) {
            if (pageNoted ||
                FindValue(cleanedPages[example.company][static_cast<std::size_t>(page)], example.key).empty())
                continue;
            evidence.page = page;
            pageNoted = true;
        }
    }
    for (std::size_t first = 0; first + 1 < contexts.size(); ++first) {
        for (const auto& [left, right] : contexts[first]) {
            for (const auto& [otherLeft, otherRight] : contexts[first + 1]) {
                for (std::size_t size = 1; size <= std::min(left.size(), otherLeft.size()); ++size) {
                    std::vector<ContextPiece> merged;
                    if (!MergeContexts(left, otherLeft, size, merged) || EndsInsideLabel(merged, size))
                        continue;
                    const ContextPiece& mergedRight = right.pattern == otherRight.pattern
                                                          ? right
                                                          : ContextPiece{ContextPiece::Kind::tag, "<", false};
                    candidates.push_back({LabelRulePattern(merged, size, task.tagsAllowed, mergedRight), size,
                                          StrengthOf(label, merged, size, mergedRight)});
                }
            }
        }
    }
    if (candidates.empty()) {
        evidence.notLearnedReason = "示例公司的页面上找不到这个值";
        return evidence;
    }
    std::set<std::string> seen;
    const std::size_t needed = HalfRoundedUp(evidence.tried);
    std::optional<Trial> best;
    for (const Candidate& candidate : candidates) {
        if (!seen.insert(candidate.pattern).second) continue;
        Trial trial;
        Try(task, family, candidate, trial);
        if (trial.values.empty()) continue;
        if (!best || Better(trial, *best, needed)) best = std::move(trial);
    }
    if (!best) {
        evidence.notLearnedReason = "没有一条规则在每家示例公司都读出所给的值";
        return evidence;
    }
    evidence.matched = best->matched;
    if (best->found < needed) {
        evidence.notLearnedReason = "最好的规则只在本类 " + std::to_string(evidence.tried) + " 家公司中的 " +
                                    std::to_string(best->found) + " 家读出值：" + best->candidate.pattern;
        return evidence;
    }
    evidence.pattern = best->candidate.pattern;
    evidence.values = std::move(best->values);
    evidence.learned = true;
    AddOtherFamilies(task, evidence);
    return evidence;
}

void ProfileLearner::Impl::AddOtherFamilies(const FieldTask& task, FieldEvidence& evidence) const {
    for (const CompanyFamily other :
         {CompanyFamily::memberSite, CompanyFamily::general, CompanyFamily::companySite}) {
        const std::size_t count = FamilyCount(other);
        if (other == task.family || count == 0 || task.taughtFamilies.count(other) > 0) continue;
        const Candidate candidate{evidence.pattern, 0, {}};
        Trial trial;
        Try(task, other, candidate, trial);
        if (trial.found < HalfRoundedUp(count)) continue;
        evidence.alsoRuleKeys.push_back(LabelRuleKey(other));
        evidence.matched += trial.matched;
        evidence.tried += count;
        for (std::size_t company = 0; company < companies.size(); ++company) {
            if (companies[company].family == other)
                evidence.values[company] = std::move(trial.values[company]);
        }
    }
}

FieldEvidence ProfileLearner::LearnField(
    const std::string& label, const std::vector<std::pair<std::size_t, std::string>>& examples) const {
    return impl->LearnGiven(label, examples, {});
}

FieldEvidence ProfileLearner::Impl::LearnGiven(
    const std::string& label, const std::vector<std::pair<std::size_t, std::string>>& examples,
    const std::set<CompanyFamily>& taughtFamilies) const {
    FieldEvidence evidence;
    const std::optional<FieldTask> task = TaskFor(label, examples, taughtFamilies, evidence);
    return task ? Learn(*task) : evidence;
}

std::optional<FieldTask> ProfileLearner::Impl::TaskFor(
    const std::string& label, const std::vector<std::pair<std::size_t, std::string>>& examples,
    const std::set<CompanyFamily>& taughtFamilies, FieldEvidence& evidence) const {
    evidence.label = label;
    evidence.values.resize(companies.size());
    std::vector<Example> usable;
    std::size_t shortest = std::string::npos, longest = 0;
    bool tagsAllowed = false;
    std::optional<CompanyFamily> family;
    for (const auto& [company, value] : examples) {
        if (company >= companies.size()) continue;
        const CompanyFamily exampleFamily = companies[company].family;
        if (family && *family != exampleFamily) continue;
        std::string key = ValueKey(CleanedLabelValue(exampleFamily, value));
        // A value not on the example's pages teaches nothing; the other examples may still.
        if (key.size() > kLongestValue) continue;
        std::vector<ValueOccurrence> found = FindValue(ruleText[company], key);
        if (found.empty()) continue;
        family = exampleFamily;
        shortest = std::min(shortest, key.size());
        longest = std::max(longest, key.size());
        tagsAllowed = tagsAllowed || std::any_of(found.begin(), found.end(),
                                                 [](const ValueOccurrence& at) { return at.spansTag; });
        usable.push_back({company, std::move(key)});
    }
    if (!family) {
        if (!examples.empty() && examples.front().first < companies.size())
            evidence.ruleKey = LabelRuleKey(companies[examples.front().first].family);
        evidence.notLearnedReason = "示例公司的页面上找不到这个值";
        return std::nullopt;
    }
    return FieldTask{label,
                     *family,
                     std::move(usable),
                     shortest / kLengthFactor,
                     longest * kLengthFactor + kLengthSlack,
                     tagsAllowed,
                     taughtFamilies};
}

std::vector<FieldEvidence> ProfileLearner::LearnFields(const std::vector<CompanyExample>& examples) const {
    // Companies captured with the pages their home page links to first learn which of them are
    // the contact and introduction pages; the label rules then read those.
    PageLinkLearning links = LearnPageLinks(impl->companies, examples);
    if (links.rules.empty()) return impl->LearnLabels(examples);
    const ProfileLearner withPages(std::move(links.companies));
    std::vector<FieldEvidence> fields = withPages.impl->LearnLabels(examples);
    fields.insert(fields.begin(), links.rules.begin(), links.rules.end());
    return fields;
}

std::vector<FieldEvidence> ProfileLearner::Impl::LearnLabels(
    const std::vector<CompanyExample>& examples) const {
    // Per label and family: the examples that give it.
    std::map<std::pair<std::size_t, std::string>,
             std::map<CompanyFamily, std::vector<std::pair<std::size_t, std::string>>>>
        byLabel;
    for (const CompanyExample& example : examples) {
        if (example.company >= companies.size()) continue;
        const CompanyFamily family = companies[example.company].family;
        for (const auto& [label, value] : example.values)
            byLabel[{LabelOrder(label), label}][family].emplace_back(example.company, value);
    }
    std::vector<FieldEvidence> fields;
    for (const auto& [label, families] : byLabel) {
        std::set<CompanyFamily> taught;
        for (const auto& entry : families) taught.insert(entry.first);
        // The families the learned rules hold on, and what the rules and examples tell of the
        // label and its values, for the families they do not hold on.
        std::set<std::string> readKeys;
        std::optional<FieldTask> learnedTask;
        std::vector<std::string> labelKeys{ValueKey(label.second)};
        for (const auto& [family, given] : families) {
            FieldEvidence& evidence = fields.emplace_back();
            const std::optional<FieldTask> task = TaskFor(label.second, given, taught, evidence);
            if (task) evidence = Learn(*task);
            if (!evidence.learned) continue;
            readKeys.insert(evidence.ruleKey);
            readKeys.insert(evidence.alsoRuleKeys.begin(), evidence.alsoRuleKeys.end());
            for (std::string& key : RuleLabelKeys(evidence.pattern)) {
                if (std::find(labelKeys.begin(), labelKeys.end(), key) == labelKeys.end())
                    labelKeys.push_back(std::move(key));
            }
            if (!learnedTask) {
                learnedTask = task;
                continue;
            }
            learnedTask->lengthLow = std::min(learnedTask->lengthLow, task->lengthLow);
            learnedTask->lengthHigh = std::max(learnedTask->lengthHigh, task->lengthHigh);
            learnedTask->tagsAllowed = learnedTask->tagsAllowed || task->tagsAllowed;
        }
        for (const CompanyFamily family :
             {CompanyFamily::memberSite, CompanyFamily::general, CompanyFamily::companySite}) {
            if (learnedTask && FamilyCount(family) > 0 && taught.count(family) == 0 &&
                readKeys.count(LabelRuleKey(family)) == 0)
                fields.push_back(Transfer(*learnedTask, labelKeys, family));
        }
    }
    return fields;
}

FieldEvidence ProfileLearner::Impl::Transfer(const FieldTask& task, const std::vector<std::string>& labelKeys,
                                             CompanyFamily family) const {
    FieldEvidence evidence;
    evidence.label = task.label;
    evidence.ruleKey = LabelRuleKey(family);
    evidence.values.resize(companies.size());
    evidence.tried = FamilyCount(family);
    std::set<std::string> seen;
    std::optional<Trial> best;
    for (std::size_t company = 0; company < companies.size(); ++company) {
        if (companies[company].family != family) continue;
        for (const std::string& pattern : RulesAfterLabel(ruleText[company], labelKeys, task.tagsAllowed)) {
            if (!seen.insert(pattern).second) continue;
            Trial trial;
            Try(task, family, {pattern, 0, {}}, trial);
            if (!trial.values.empty() && (!best || trial.matched > best->matched)) best = std::move(trial);
        }
    }
    if (!best) {
        evidence.notLearnedReason = "本类公司的页面上找不到这个字段的标签，其他类的规则也读不出值";
        return evidence;
    }
    evidence.matched = best->matched;
    if (best->matched < HalfRoundedUp(evidence.tried)) {
        evidence.notLearnedReason = "按标签找到的规则只在本类 " + std::to_string(evidence.tried) +
                                    " 家公司中的 " + std::to_string(best->matched) + " 家读出合理的值：" +
                                    best->candidate.pattern;
        return evidence;
    }
    evidence.pattern = best->candidate.pattern;
    evidence.values = std::move(best->values);
    evidence.learned = true;
    return evidence;
}

std::vector<FieldEvidence> ProfileLearner::Evidence(const ExtractionRules& rules) const {
    using Parse = bool (*)(const ExtractionRules&, PageSource&, const std::string&, CompanyRecord&, LabelMap&,
                           ExtractionReport*, RuleCounters*);
    struct FamilyReading {
        CompanyFamily family;
        const std::map<std::string, boost::regex>* labelRules;
        Parse parse;
    };
    const FamilyReading readings[] = {{CompanyFamily::memberSite, &rules.validateRules, ParseValidateSite},
                                      {CompanyFamily::general, &rules.generalRules, ParseGeneralSite},
                                      {CompanyFamily::companySite, &rules.companyRules, ParseCompanySite}};
    // Each company read once, as a search reads it: its pages by the profile's links.
    std::vector<LabelMap> found(impl->companies.size());
    for (std::size_t company = 0; company < impl->companies.size(); ++company) {
        const CapturedCompany& captured = impl->companies[company];
        for (const FamilyReading& reading : readings) {
            if (reading.family != captured.family) continue;
            CapturedPageSource source(captured);
            CompanyRecord record;
            reading.parse(rules, source, captured.link, record, found[company], nullptr, nullptr);
        }
    }
    std::vector<FieldEvidence> fields;
    for (const FamilyReading& reading : readings) {
        const std::size_t tried = impl->FamilyCount(reading.family);
        if (tried == 0) continue;
        for (const auto& [label, pattern] : *reading.labelRules) {
            // The member's own pages are read apart from the company's pages, into other fields.
            if (reading.family == CompanyFamily::memberSite && IsMemberPageLabel(label)) continue;
            FieldEvidence evidence;
            evidence.label = label;
            evidence.ruleKey = LabelRuleKey(reading.family);
            evidence.pattern = pattern.str();
            evidence.tried = tried;
            evidence.values.resize(impl->companies.size());
            for (std::size_t company = 0; company < impl->companies.size(); ++company) {
                const auto value = found[company].find(label);
                if (impl->companies[company].family != reading.family || value == found[company].end())
                    continue;
                if (!ValueKey(value->second).empty()) ++evidence.matched;
                evidence.values[company] = value->second;
            }
            evidence.learned = evidence.matched > 0;
            fields.push_back(std::move(evidence));
        }
    }
    return fields;
}
