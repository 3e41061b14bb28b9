#include "cli/rules_workbench.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/captured_company.h"
#include "cli/company_printout.h"
#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "cli/rule_health_table.h"
#include "engine/company_extraction.h"
#include "engine/rule_counters.h"
#include "engine/rules_check.h"
#include "engine/saved_page_source.h"

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

int RunRulesOnFolders(const ExtractionRules& rules, const std::string& parent, const std::string& format) {
    std::error_code error;
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
        if (entry.is_directory(error)) folders.push_back(entry.path());
    }
    if (error) {
        std::fprintf(stderr, "cannot read the folder %s: %s\n", parent.c_str(), error.message().c_str());
        return kExitUsage;
    }
    std::sort(folders.begin(), folders.end());
    RuleCounters counters(rules);
    const bool jsonl = format == "jsonl";
    for (const std::filesystem::path& folder : folders) {
        const std::optional<CapturedCompany> company = ReadCapturedCompany(folder.string());
        if (!company) continue;
        if (!jsonl) std::printf("company\t%s\n", folder.filename().c_str());
        SavedPageSource source(company->pages);
        ExtractionReport report;
        const std::unique_ptr<CompanyRecord> record =
            ExtractCompany(rules, source, company->link, company->family, &report, &counters);
        if (record) {
            PrintCompany(*record, report, jsonl);
        } else if (!jsonl) {
            std::printf("no company\n");
        }
    }
    std::fflush(stdout);
    PrintRuleHealth(stderr, counters.Snapshot());
    return kExitOk;
}
