#include "cli/rules_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "cli/record_output.h"
#include "engine/company_extraction.h"
#include "engine/list_page.h"
#include "engine/rules_file.h"
#include "engine/saved_page_source.h"

namespace {

constexpr std::size_t kCompanyPageCount = 3;  // home, contact, introduction
constexpr std::size_t kAllPageCount = 5;      // and the member time and confirmation pages

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return content;
}

CompanyFamily FamilyNamed(const std::string& name) {
    if (name == "company") return CompanyFamily::companySite;
    if (name == "general") return CompanyFamily::general;
    return CompanyFamily::memberSite;
}

int PrintListPage(const ExtractionRules& rules, const std::string& body) {
    const ListPageTotals totals = ReadListPageTotals(rules, body);
    std::map<std::string, bool> seenUrls;
    std::list<std::string> urlQueue;
    QueueCompanyLinks(rules, body, seenUrls, urlQueue);
    std::printf("totalPages\t%u\ntotalCompanies\t%u\n", totals.totalPages, totals.totalCompanies);
    for (const std::string& link : urlQueue) std::printf("link\t%s\n", PrintableValue(link).c_str());
    return kExitOk;
}

int PrintCompany(const ExtractionRules& rules, const RulesOptions& options, std::vector<std::string> bodies) {
    SavedPageSource source(std::move(bodies));
    ExtractionReport report;
    const std::unique_ptr<CompanyRecord> record =
        ExtractCompany(rules, source, Utf8ToGbk(options.link), FamilyNamed(options.family), &report);
    if (!record) {
        std::fprintf(stderr,
                     "no company: a page is empty, or the home page gives no contact or introduction "
                     "address by the rules\n");
        return kExitNoRecord;
    }
    std::printf("validate\t%d\n", record->validate);
    for (const CompanyField& field : kCompanyFields) {
        const std::string& value = (*record).*(field.member);
        if (!value.empty()) std::printf("%s\t%s\n", field.name, PrintableValue(value).c_str());
    }
    for (const std::string& label : report.unmatchedLabels) {
        std::printf("unmatched\t%s\n", PrintableValue(label).c_str());
    }
    for (const std::string& label : report.unknownLabels) {
        std::printf("unknown\t%s\n", PrintableValue(label).c_str());
    }
    return kExitOk;
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
    command->add_option("PAGES", options.pages, "HOME CONTACT INTRO [TIME CONFIRM]");
    return command;
}

int RunRules(const RulesOptions& options) {
    if (!options.common.Apply()) return kExitUsage;
    const bool listPage = !options.listPage.empty();
    if (listPage ? !options.pages.empty() || !options.family.empty()
                 : options.family.empty() || options.pages.size() < kCompanyPageCount ||
                       options.pages.size() > kAllPageCount) {
        std::fprintf(stderr,
                     "use: rules --family member|general|company HOME CONTACT INTRO [TIME CONFIRM]\n"
                     "  or: rules --list-page FILE\n");
        return kExitUsage;
    }
    ExtractionRules rules;
    const std::string rulesPath = options.common.RulesPath();
    if (!LoadRulesFile(rulesPath, rules)) {
        std::fprintf(stderr, "the rules file %s could not be read\n", rulesPath.c_str());
        return kExitNotStarted;
    }
    std::vector<std::string> bodies;
    for (const std::string& path : listPage ? std::vector<std::string>{options.listPage} : options.pages) {
        std::optional<std::string> body = ReadFile(path);
        if (!body) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return kExitUsage;
        }
        bodies.push_back(std::move(*body));
    }
    return listPage ? PrintListPage(rules, bodies.front()) : PrintCompany(rules, options, std::move(bodies));
}
