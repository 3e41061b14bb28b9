// harvio-cli search with the lead book against the demo directory: a search repeated sends only
// its result-page requests and gives exactly the rows of the first, while another program writes
// the same book; book export hands every company over once.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "book/lead_book.h"
#include "demo/support/demo_directory_process.h"
#include "engine/result_row.h"
#include "tools/demo-directory/gbk_text.h"
#include "ui/support/workbook_reader.h"

namespace {

constexpr char kCompanies[] = "12";
constexpr char kResultPageHost[] = "s.demo-b2b.test ";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// The rows of a CSV export without their numbers, sorted: the demo's truth form (CR LF kept).
std::vector<std::string> RowsOf(const std::string& csv) {
    std::vector<std::string> rows;
    for (const std::string& line : Lines(csv.substr(CsvHeaderLine().size())))
        rows.push_back(line.substr(line.find("\",") + 2) + "\n");
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST(LeadBookSearch, ARepeatedSearchReadsOnlyResultPagesAndGivesTheSameRows) {
    const std::string work = MakeTemporaryDirectory();
    const std::string log = work + "/requests.log";
    DemoDirectoryProcess site({"--companies", kCompanies}, log);
    ASSERT_GT(site.port(), 0);
    std::vector<std::string> truth = DemoTruth({"--companies", kCompanies, "--keyword", "有限公司"});
    std::sort(truth.begin(), truth.end());
    const std::string dataHome = work + "/data";
    const auto search = [&](const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> command = {
            HARVIO_CLI,     "search",
            "--keyword",    "有限公司",
            "--rules",      std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/reg.alibaba",
            "--connect-to", site.ConnectToRule(),
            "--out",        out};
        command.insert(command.end(), extra.begin(), extra.end());
        std::ofstream(log, std::ios::trunc).close();
        return RunProgram(command, "", dataHome);
    };

    // Another program writes the book all through the first search.
    std::filesystem::create_directories(dataHome + "/harvio");
    std::thread otherWriter([&] {
        LeadBook book;
        ASSERT_EQ(book.Open(dataHome + "/harvio/leads.sqlite").status, BookOpenStatus::kOpened);
        FoundCompany found;
        for (int number = 0; number < 200; ++number) {
            CompanyRecord record;
            record.compName = "other" + std::to_string(number);
            EXPECT_TRUE(book.KeepFound({"other.test", record.compName}, record, true, 0, 1, found));
        }
    });
    ASSERT_EQ(search(work + "/first.csv"), 0);
    otherWriter.join();
    const std::vector<std::string> firstRequests = Lines(ReadWholeFile(log));
    EXPECT_EQ(RowsOf(ReadWholeFile(work + "/first.csv")), truth);

    // The rule counters count pages read: companies taken from the book are no sign of a changed site.
    ASSERT_EQ(search(work + "/second.csv", {"--stats"}), 0);
    const std::vector<std::string> secondRequests = Lines(ReadWholeFile(log));
    ASSERT_FALSE(secondRequests.empty());
    for (const std::string& request : secondRequests)
        EXPECT_EQ(request.rfind(kResultPageHost, 0), 0u) << request;
    EXPECT_LT(secondRequests.size() * 4, firstRequests.size());
    EXPECT_EQ(RowsOf(ReadWholeFile(work + "/second.csv")), truth);

    for (const std::vector<std::string>& readingAll :
         {std::vector<std::string>{"--no-book"}, std::vector<std::string>{"--reuse-days", "0"}}) {
        ASSERT_EQ(search(work + "/again.csv", readingAll), 0);
        EXPECT_EQ(Lines(ReadWholeFile(log)).size(), firstRequests.size())
            << readingAll[0] << " reads every company";
        EXPECT_EQ(RowsOf(ReadWholeFile(work + "/again.csv")), truth);
        std::filesystem::remove(work + "/again.csv");
    }

    // Every company once, as a workbook; then nothing is left unexported.
    ASSERT_EQ(RunProgram({HARVIO_CLI, "book", "export", "--not-exported", "--format", "xlsx", "--out",
                          work + "/book.xlsx"},
                         "", dataHome),
              0);
    const auto sheet = WorkbookSheetRows(ReadWholeFile(work + "/book.xlsx"));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->size(), truth.size() + 200 + 1);
    ASSERT_EQ(RunProgram({HARVIO_CLI, "book", "export", "--not-exported", "--out", work + "/none.csv"}, "",
                         dataHome),
              0);
    EXPECT_EQ(ReadWholeFile(work + "/none.csv"), CsvHeaderLine());
    EXPECT_EQ(RunProgram({HARVIO_CLI, "book", "export", "--out", work + "/none.csv"}, "", dataHome), 2)
        << "an existing file is never replaced";
    ASSERT_EQ(RunProgram({HARVIO_CLI, "book", "stats"}, work + "/stats.txt", dataHome), 0);
    EXPECT_NE(ReadWholeFile(work + "/stats.txt").find("site demo-b2b.test: " + std::to_string(truth.size())),
              std::string::npos)
        << ReadWholeFile(work + "/stats.txt");
    std::filesystem::remove_all(work);
}

}  // namespace
