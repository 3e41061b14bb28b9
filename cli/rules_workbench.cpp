#include "cli/rules_workbench.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/captured_folders.h"
#include "cli/company_printout.h"
#include "cli/exit_codes.h"
#include "cli/field_evidence_table.h"
#include "cli/gbk_text.h"
#include "cli/rule_health_table.h"
#include "engine/captured_company.h"
#include "engine/company_extraction.h"
#include "engine/rule_counters.h"
#include "engine/rules_check.h"
#include "learn/captured_page_source.h"
#include "learn/profile_learner.h"

int RunRulesCheck(const std::string& rulesPath) {
    ExtractionRules rules;
    std::vector<RulesFinding> findings;
    if (!LoadCheckedRulesFile(rulesPath, rules, findings)) {
        std::fprintf(stderr, "the rules file %s could not be read\n", rulesPath.c_str());
        return kExitNotStarted;
    }
    for (const RulesFinding& finding : findings)
        std::printf("%s\n", GbkToUtf8(DescribeFinding(finding)).c_str());
    std::fprintf(stderr, "%s: %zu finding%s\n", rulesPath.c_str(), findings.size(),
                 findings.size() == 1 ? "" : "s");
    return findings.empty() ? kExitOk : kExitRulesFindings;
}

int RunRulesOnFolders(const ExtractionRules& rules, const std::vector<std::string>& parents,
                      const std::string& format) {
    std::vector<CapturedFolder> captured;
    for (const std::string& parent : parents) {
        std::optional<std::vector<CapturedFolder>> found = ReadCapturedFolders(parent);
        if (!found) return kExitUsage;
        for (CapturedFolder& company : *found) captured.push_back(std::move(company));
    }
    RuleCounters counters(rules);
    const bool jsonl = format == "jsonl";
    std::vector<EvidenceCompany> names;
    std::vector<CapturedCompany> companies;
    for (CapturedFolder& folder : captured) {
        const CapturedCompany& company = folder.company;
        const std::string name = std::filesystem::path(folder.folder).filename().string();
        if (!jsonl) std::printf("company\t%s\n", name.c_str());
        CapturedPageSource source(company);
        ExtractionReport report;
        const std::unique_ptr<CompanyRecord> record =
            ExtractCompany(rules, source, company.link, company.family, &report, &counters);
        if (record) {
            PrintCompany(*record, report, jsonl);
        } else if (!jsonl) {
            std::printf("no company\n");
        }
        names.push_back({name, ProfileLearner::LabelRuleKey(company.family)});
        companies.push_back(std::move(folder.company));
    }
    std::fflush(stdout);
    PrintRuleHealth(stderr, counters.Snapshot());
    PrintFieldEvidence(stderr, ProfileLearner(std::move(companies)).Evidence(rules), names);
    return kExitOk;
}
