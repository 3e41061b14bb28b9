#include "cli/rules_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <list>
#include <map>
#include <optional>

#include "cli/company_printout.h"
#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "cli/record_output.h"
#include "cli/rules_workbench.h"
#include "engine/captured_company.h"
#include "engine/company_extraction.h"
#include "engine/list_page.h"
#include "learn/captured_page_source.h"

namespace {

// The page's links are read against the address `capture` noted for it, else against --link.
int PrintListPage(const ExtractionRules& rules, const std::string& body, const std::string& pageAddress) {
    const ListPageTotals totals = ReadListPageTotals(rules, body);
    std::map<std::string, bool> seenUrls;
    std::list<std::string> urlQueue;
    QueueCompanyLinks(rules, body, pageAddress, seenUrls, urlQueue);
    // A site paged by next-page links may state no totals at all.
    if (rules.compTotalPageReg || !rules.nextPageReg) std::printf("totalPages\t%u\n", totals.totalPages);
    if (rules.compTotalCompanyReg || !rules.nextPageReg)
        std::printf("totalCompanies\t%u\n", totals.totalCompanies);
    for (const std::string& link : urlQueue) std::printf("link\t%s\n", PrintableValue(link).c_str());
    if (const std::optional<std::string> next = NextResultPage(rules, body, pageAddress))
        std::printf("nextPage\t%s\n", PrintableValue(*next).c_str());
    return kExitOk;
}

int PrintCompany(const ExtractionRules& rules, const RulesOptions& options, const CapturedCompany& company) {
    CapturedPageSource source(company);
    ExtractionReport report;
    const std::unique_ptr<CompanyRecord> record =
        ExtractCompany(rules, source, company.link, company.family, &report);
    if (!record) {
        std::fprintf(stderr, "no company: the home page, or a page it links to by the rules, is empty\n");
        return kExitNoRecord;
    }
    PrintCompany(*record, report, options.format == "jsonl");
    return kExitOk;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

CLI::App* AddRulesCommand(CLI::App& app, RulesOptions& options) {
    CLI::App* command = app.add_subcommand("rules", "apply the rules to saved pages");
    options.common.AddTo(*command);
    CLI::Option* family =
        command->add_option("--family", options.family, "page family of the saved company pages")
            ->check(CLI::IsMember({"member", "general", "company"}));
    CLI::Option* listPage = command->add_option("--list-page", options.listPage, "a saved result page");
    family->excludes(listPage);
    command->add_option("--link", options.link,
                        "the company link the pages were read from (gives the member id)");
    command->add_option("PAGES", options.pages,
                        "HOME [CONTACT [INTRO [TIME CONFIRM]]] (an empty file for a page the site has "
                        "not), or a captured folder");
    command->add_option("--dir", options.parentFolders,
                        "apply the rules to every captured company folder in these folders, then print "
                        "the rules' figures and each label rule's hits on stderr");
    command->add_flag("--check", options.check,
                      "check the rules file: skipped lines, unknown keys, missing keys; exit 0 only "
                      "when clean");
    command->add_option("--format", options.format, "fields (default) or jsonl")
        ->check(CLI::IsMember({"fields", "jsonl"}));
    return command;
}

int RunRules(const RulesOptions& options) {
    if (!options.common.Apply()) return kExitUsage;
    if (options.check) return RunRulesCheck(options.common.RulesPath());
    const bool capturedFolder = options.pages.size() == 1 && IsFolder(options.pages.front());
    const bool savedCompanies = !options.parentFolders.empty() || capturedFolder;
    const bool listPage = !options.listPage.empty();
    if (!savedCompanies && (listPage ? !options.pages.empty() || !options.family.empty()
                                     : options.family.empty() || options.pages.empty() ||
                                           options.pages.size() > kCompanyPageCount)) {
        std::fprintf(stderr,
                     "use: rules --family member|general|company HOME [CONTACT [INTRO [TIME CONFIRM]]]\n"
                     "  or: rules --list-page FILE\n"
                     "  or: rules CAPTURED-FOLDER | --dir PARENT | --check\n");
        return kExitUsage;
    }
    ExtractionRules rules;
    if (!options.common.LoadRules(rules)) return kExitNotStarted;
    if (!options.parentFolders.empty())
        return RunRulesOnFolders(rules, options.parentFolders, options.format);
    if (capturedFolder) {
        const std::optional<CapturedCompany> company = ReadCapturedCompany(options.pages.front());
        if (!company) {
            std::fprintf(stderr, "%s holds no captured company\n", options.pages.front().c_str());
            return kExitUsage;
        }
        return PrintCompany(rules, options, *company);
    }
    std::vector<std::string> bodies;
    for (const std::string& path : listPage ? std::vector<std::string>{options.listPage} : options.pages) {
        std::optional<std::string> body = ReadWholeFile(path);
        if (!body) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return kExitUsage;
        }
        bodies.push_back(std::move(*body));
    }
    if (listPage) {
        const std::string noted = CapturedResultPageAddress(options.listPage);
        return PrintListPage(rules, bodies.front(), noted.empty() ? Utf8ToGbk(options.link) : noted);
    }
    // The pages in the order of their roles: home, contact, introduction, time, confirmation.
    CapturedCompany company{Utf8ToGbk(options.link), FamilyNamed(options.family), {}, {}};
    std::move(bodies.begin(), bodies.end(), company.pages.begin());
    return PrintCompany(rules, options, company);
}
