#include "cli/book_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

#include "book/book_search.h"
#include "book/lead_book.h"
#include "cli/exit_codes.h"
#include "engine/result_files.h"
#include "platform/program_paths.h"

namespace {

std::optional<int64_t> LocalMidnight(const std::string& date) {
    std::tm local{};
    const char* end = strptime(date.c_str(), "%Y-%m-%d", &local);
    if (end == nullptr || *end != '\0') return std::nullopt;
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

int PrintStats(LeadBook& book) {
    const std::optional<BookStats> stats = book.Stats();
    if (!stats) {
        std::fprintf(stderr, "the lead book cannot be read: %s\n", book.LastError().c_str());
        return kExitBookTrouble;
    }
    std::printf("companies: %lld\n", static_cast<long long>(stats->companies));
    for (const auto& [site, count] : stats->perSite)
        std::printf("site %s: %lld\n", site.c_str(), static_cast<long long>(count));
    for (const auto& [monday, count] : stats->newPerWeek)
        std::printf("new in the week of %s: %lld\n", monday.c_str(), static_cast<long long>(count));
    return kExitOk;
}

// The companies as the window exports its rows, numbered from 1, oldest first found first; then
// they count as exported.
int ExportCompanies(LeadBook& book, const BookOptions& options) {
    BookExportFilter filter;
    filter.notExported = options.notExported;
    if (!options.newSince.empty()) {
        const std::optional<int64_t> since = LocalMidnight(options.newSince);
        if (!since) {
            std::fprintf(stderr, "--new-since takes a date as YYYY-MM-DD\n");
            return kExitUsage;
        }
        filter.newSince = *since;
    }
    if (std::filesystem::exists(options.outFile)) {
        std::fprintf(stderr, "%s exists; book export writes a new file\n", options.outFile.c_str());
        return kExitUsage;
    }
    std::vector<ResultCells> rows;
    std::vector<CompanyRef> companies;
    if (!book.ForEachEntry(filter, [&](const CompanyRef& company, const BookEntry& entry) {
            rows.push_back(BuildResultCells(entry.record, static_cast<int>(rows.size()) + 1));
            companies.push_back(company);
        })) {
        std::fprintf(stderr, "the lead book cannot be read: %s\n", book.LastError().c_str());
        return kExitBookTrouble;
    }
    std::size_t next = 0;
    const ResultRowSource nextRow = [&](ResultCells& cells) {
        if (next == rows.size()) return false;
        cells = std::move(rows[next++]);
        return true;
    };
    const WrittenFile written = options.format == "xlsx"
                                    ? WriteResultWorkbook(options.outFile, nextRow, ExistingFile::kKeep)
                                    : WriteResultCsv(options.outFile, nextRow, ExistingFile::kKeep);
    if (written.keptExisting) {
        std::fprintf(stderr, "%s appeared while the export ran; it is kept and nothing was written\n",
                     options.outFile.c_str());
        return kExitUsage;
    }
    if (!written.written) {
        std::fprintf(stderr, "cannot write %s: %s\n", options.outFile.c_str(), written.failure.c_str());
        return kExitUsage;
    }
    std::fprintf(stderr, "exported %zu companies to %s\n", companies.size(), options.outFile.c_str());
    if (!book.MarkExported(companies, SystemClockSeconds())) {
        std::fprintf(stderr, "the companies could not be marked as exported: %s\n", book.LastError().c_str());
        return kExitBookTrouble;
    }
    return kExitOk;
}

}  // namespace

BookCommands AddBookCommand(CLI::App& app, BookOptions& options) {
    BookCommands commands;
    commands.book = app.add_subcommand("book", "the lead book: every company found, kept once");
    commands.book->require_subcommand(1);
    commands.stats = commands.book->add_subcommand("stats", "companies in all, per site and new per week");
    commands.exportRows =
        commands.book->add_subcommand("export", "write companies as the window exports rows");
    commands.exportRows
        ->add_option("--new-since", options.newSince, "only companies first found on or after DATE")
        ->type_name("YYYY-MM-DD");
    commands.exportRows->add_flag("--not-exported", options.notExported, "only companies never exported");
    commands.exportRows->add_option("--format", options.format, "csv (as 导出全部) or xlsx")
        ->check(CLI::IsMember({"csv", "xlsx"}));
    commands.exportRows->add_option("--out", options.outFile, "the new file")->required();
    commands.forget = commands.book->add_subcommand("forget", "forget companies not found for a while");
    commands.forget->add_option("--older-than", options.olderThanDays, "last found more than DAYS days ago")
        ->required()
        ->check(CLI::NonNegativeNumber);
    return commands;
}

int RunBook(const BookCommands& commands, const BookOptions& options) {
    LeadBook book;
    const std::string path = LeadBookPath();
    const BookOpenResult opened = book.Open(path);
    if (opened.status == BookOpenStatus::kMovedAside) {
        std::fprintf(stderr, "the lead book %s could not be read: it was moved to %s and a new one begun\n",
                     path.c_str(), opened.movedTo.c_str());
    } else if (opened.status == BookOpenStatus::kNewer) {
        std::fprintf(stderr, "the lead book %s is of a later version of Harvio\n", path.c_str());
        return kExitBookTrouble;
    } else if (opened.status == BookOpenStatus::kFailed) {
        std::fprintf(stderr, "the lead book %s cannot be opened: %s\n", path.c_str(), opened.reason.c_str());
        return kExitBookTrouble;
    }
    if (*commands.stats) return PrintStats(book);
    if (*commands.exportRows) return ExportCompanies(book, options);
    const int64_t forgotten =
        book.Forget(SystemClockSeconds() - int64_t{options.olderThanDays} * BookSearch::kSecondsPerDay);
    if (forgotten < 0) {
        std::fprintf(stderr, "the lead book cannot be written: %s\n", book.LastError().c_str());
        return kExitBookTrouble;
    }
    std::printf("forgot %lld companies\n", static_cast<long long>(forgotten));
    return kExitOk;
}
