#include "engine/rule_counters.h"

#include "engine/label_table.h"

namespace {

constexpr const char* kPatternNames[kPatternRuleCount] = {
    "compTotalPageReg",
    "compTotalCompanyReg",
    "validateCompReg",
    "generalCompReg",
    "CompReg",
    "validateCompContactReg",
    "validateCompIntroduceReg",
    "validateCompUserInfoReg",
    "generalCompContactReg",
    "generalCompIntroduceReg",
    "CompContactReg",
    "CompIntroduceReg",
    "nextPageReg",
    "memberIdReg",
};

// The rules file's key of each family's label rules, by CompanyFamily.
constexpr const char* kLabelKeys[3] = {"company", "general", "validate"};

// Which page each member-page rule reads, by MemberPageRule.
constexpr const char* kMemberPageNames[kMemberPageRuleCount] = {"time page", "time page", "confirmation page",
                                                                "confirmation page"};

const std::map<std::string, boost::regex>& LabelRulesOf(const ExtractionRules& rules, std::size_t family) {
    switch (static_cast<CompanyFamily>(family)) {
        case CompanyFamily::companySite:
            return rules.companyRules;
        case CompanyFamily::general:
            return rules.generalRules;
        default:
            return rules.validateRules;
    }
}

RuleFigures FiguresOf(std::string name, const RuleCount& count) {
    return {std::move(name), count.tried.load(std::memory_order_relaxed),
            count.matched.load(std::memory_order_relaxed), count.skipped.load(std::memory_order_relaxed)};
}

}  // namespace

RuleCounters::RuleCounters(const ExtractionRules& rules) {
    for (std::size_t family = 0; family < labels.size(); ++family) {
        const auto& labelRules = LabelRulesOf(rules, family);
        labels[family] = std::vector<RuleCount>(labelRules.size());
        for (const auto& entry : labelRules) labelNames[family].push_back(entry.first);
    }
}

void RuleCounters::NoteRecord(const CompanyRecord& record) {
    records.fetch_add(1, std::memory_order_relaxed);
    for (std::size_t field = 0; field < kCompanyFields.size(); ++field) {
        if (!(record.*(kCompanyFields[field].member)).empty()) {
            filledFields[field].fetch_add(1, std::memory_order_relaxed);
        }
    }
}

void RuleCounters::NoteRecordWithoutPage(CompanyPage page) {
    auto& count = page == CompanyPage::contact ? recordsWithoutContactPage : recordsWithoutIntroductionPage;
    count.fetch_add(1, std::memory_order_relaxed);
}

void RuleCounters::NoteListPage(bool gaveLinks) {
    listPages.fetch_add(1, std::memory_order_relaxed);
    if (!gaveLinks) listPagesWithoutLinks.fetch_add(1, std::memory_order_relaxed);
}

RuleHealthSnapshot RuleCounters::Snapshot() const {
    RuleHealthSnapshot snapshot;
    snapshot.companiesRead = companiesRead.load(std::memory_order_relaxed);
    snapshot.records = records.load(std::memory_order_relaxed);
    snapshot.recordsWithoutContactPage = recordsWithoutContactPage.load(std::memory_order_relaxed);
    snapshot.recordsWithoutIntroductionPage = recordsWithoutIntroductionPage.load(std::memory_order_relaxed);
    snapshot.listPages = listPages.load(std::memory_order_relaxed);
    snapshot.listPagesWithoutLinks = listPagesWithoutLinks.load(std::memory_order_relaxed);
    snapshot.statedCompanies = statedCompanies.load(std::memory_order_relaxed);
    for (std::size_t rule = 0; rule < kPatternRuleCount; ++rule) {
        snapshot.rules.push_back(FiguresOf(kPatternNames[rule], patterns[rule]));
    }
    for (std::size_t family = 0; family < labels.size(); ++family) {
        for (std::size_t position = 0; position < labels[family].size(); ++position) {
            // The member pages' labels are judged on those pages (below); the combined text
            // rarely holds them, so their figures there would only look like broken rules.
            const bool memberPageLabel = static_cast<CompanyFamily>(family) == CompanyFamily::memberSite &&
                                         IsMemberPageLabel(labelNames[family][position]);
            if (memberPageLabel) continue;
            snapshot.rules.push_back(
                FiguresOf(std::string(kLabelKeys[family]) + " " + labelNames[family][position],
                          labels[family][position]));
        }
    }
    for (std::size_t rule = 0; rule < kMemberPageRuleCount; ++rule) {
        snapshot.rules.push_back(FiguresOf(
            std::string("validate ") + kMemberPageLabels[rule] + " (" + kMemberPageNames[rule] + ")",
            memberPages[rule]));
    }
    for (std::size_t field = 0; field < filledFields.size(); ++field) {
        snapshot.filledFields[field] = filledFields[field].load(std::memory_order_relaxed);
    }
    return snapshot;
}
