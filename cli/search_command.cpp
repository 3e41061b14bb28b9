#include "cli/search_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "cli/record_output.h"
#include "cli/rule_health_table.h"
#include "cli/search_book_keeper.h"
#include "engine/result_files.h"
#include "engine/result_row.h"
#include "engine/rule_counters.h"
#include "engine/search_engine_alibaba.h"
#include "http/trace_output.h"
#include "platform/program_paths.h"
#include "platform/settings_value.h"

namespace {

void WriteText(std::FILE* out, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

}  // namespace

CLI::App* AddSearchCommand(CLI::App& app, SearchOptions& options) {
    CLI::App* command = app.add_subcommand("search", "run one directory search");
    options.common.AddTo(*command);
    command->add_option("--keyword", options.keyword, "product or industry keyword");
    command->add_option("--province", options.province, "province");
    command->add_option("--city", options.city, "city");
    command->add_option("--industry", options.industry, "industry code, as the site names it");
    command->add_option("--biztype", options.bizType, "business model code, as the site names it");
    command->add_option("--out", options.outFile, "append the companies to FILE instead of standard output");
    command
        ->add_option("--format", options.format,
                     "csv (the window's export), jsonl, or xlsx (a new Excel workbook, needs --out)")
        ->check(CLI::IsMember({"csv", "jsonl", "xlsx"}));
    command->add_flag("--no-book", options.noBook,
                      "leave the lead book alone: read every company, keep none");
    command
        ->add_option("--reuse-days", options.reuseDays,
                     "take a company read within N days from the lead book (0: read every company; "
                     "default: reuseDays of harvio.ini, else 30)")
        ->check(CLI::NonNegativeNumber);
    command->add_flag("--stats", options.stats,
                      "after the search, the rules' and fields' figures on stderr; exit 5 when the site "
                      "seems changed");
    return command;
}

int RunSearch(const SearchOptions& options) {
    if (!options.common.Apply()) return kExitUsage;
    const bool workbook = options.format == "xlsx";
    if (workbook && options.outFile.empty()) {
        std::fprintf(stderr, "--format xlsx writes a workbook file: name it with --out\n");
        return kExitUsage;
    }
    // A workbook cannot be appended to; an earlier file is never replaced, nor one that appears
    // while the search runs.
    if (workbook && std::filesystem::exists(options.outFile)) {
        std::fprintf(stderr, "%s exists; --format xlsx writes a new workbook\n", options.outFile.c_str());
        return kExitUsage;
    }
    auto* engine = static_cast<SearchEngine_Alibaba*>(GetSearchEngine(kDirectoryEngine));
    const std::string rulesPath = options.common.RulesPath();
    if (!engine->LoadRulesFrom(rulesPath)) {
        std::fprintf(stderr, "search not started: the rules file %s could not be read\n", rulesPath.c_str());
        return kExitNotStarted;
    }
    std::FILE* out = stdout;
    if (!options.outFile.empty() && !workbook) {
        // Appended, as the window's export does: an earlier file is never lost.
        out = std::fopen(options.outFile.c_str(), "ab");
        if (out == nullptr) {
            std::fprintf(stderr, "cannot open %s for writing\n", options.outFile.c_str());
            return kExitUsage;
        }
    }

    SearchCondition condition;
    condition.keyword = Utf8ToGbk(options.keyword);
    condition.province = Utf8ToGbk(options.province);
    condition.city = Utf8ToGbk(options.city);
    condition.industry = Utf8ToGbk(options.industry);
    condition.bizType = Utf8ToGbk(options.bizType);
    engine->SetCondition(condition);
    std::unique_ptr<SearchBookKeeper> keeper;
    if (!options.noBook) {
        const int reuseDays =
            options.reuseDays >= 0 ? options.reuseDays : ConfiguredReuseDays(SettingsFilePath());
        keeper = SearchBookKeeper::Open(engine->Rules(), condition, reuseDays);
    }
    engine->SetKnownCompanies(keeper ? keeper->Search() : nullptr);
    engine->StartSearch();
    if (!engine->startFailure.empty()) {
        std::fprintf(stderr, "search not started: %s\n",
                     EscapeControlBytes(GbkToUtf8(engine->startFailure)).c_str());
        if (out != stdout) std::fclose(out);
        return kExitNotStarted;
    }

    const bool csv = options.format == "csv";
    // A site paged by next-page links states no page count: the pages read are counted instead.
    const bool followsNextPages = static_cast<bool>(engine->Rules().nextPageReg);
    if (csv) WriteText(out, CsvHeaderLine());
    int companies = 0;
    std::vector<ResultCells> rows;  // a workbook is written once the search has ended
    while (std::unique_ptr<CompanyRecord> record = engine->GetNextCompany()) {
        ++companies;
        if (keeper) keeper->Keep(*record);
        if (workbook) {
            rows.push_back(BuildResultCells(*record, companies));
        } else {
            WriteText(out, csv ? CsvLine(BuildResultCells(*record, companies)) : JsonLine(*record));
        }
        if (followsNextPages) {
            std::fprintf(stderr, "companies so far %d, company count %u, pages read %u\n", companies,
                         engine->totalCompanies.load(), engine->currentPage.load());
        } else {
            std::fprintf(stderr, "companies so far %d, company count %u, page %u of %u\n", companies,
                         engine->totalCompanies.load(), engine->currentPage.load(),
                         engine->totalPages.load());
        }
    }
    if (engine->status == -1) {
        std::fprintf(stderr, "a result page could not be read: %s\n",
                     EscapeControlBytes(GbkToUtf8(engine->LastErrorText())).c_str());
    }
    std::fprintf(stderr, "search finished: %d companies\n", companies);
    if (out != stdout) std::fclose(out);
    const bool allKept = !keeper || keeper->Finish();
    if (workbook) {
        std::size_t next = 0;
        const auto nextRow = [&](ResultCells& cells) {
            if (next == rows.size()) return false;
            cells = std::move(rows[next++]);
            return true;
        };
        const WrittenFile written = WriteResultWorkbook(options.outFile, nextRow, ExistingFile::kKeep);
        if (written.keptExisting) {
            std::fprintf(stderr,
                         "%s appeared while the search ran; it is kept and no workbook was written%s\n",
                         options.outFile.c_str(), keeper ? " (the companies are in the lead book)" : "");
            return kExitUsage;
        }
        if (!written.written) {
            std::fprintf(stderr, "cannot write %s: %s\n", options.outFile.c_str(), written.failure.c_str());
            return kExitUsage;
        }
    }
    const std::shared_ptr<const RuleCounters> counters = engine->SearchCounters();
    if (options.stats && counters && PrintRuleHealth(stderr, counters->Snapshot())) return kExitSiteChanged;
    return allKept ? kExitOk : kExitBookTrouble;
}
