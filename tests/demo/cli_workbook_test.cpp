// harvio-cli search --format xlsx against the demo directory: the workbook holds the titles and
// exactly the truth rows, numbered from 1, and an existing file is never replaced.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "demo/support/demo_directory_process.h"
#include "engine/result_row.h"
#include "tools/demo-directory/gbk_text.h"
#include "ui/support/workbook_reader.h"

namespace {

TEST(CommandLineWorkbook, SearchWritesTheTruthRowsAsAWorkbook) {
    const std::vector<std::string> directory = {"--companies", "12"};
    DemoDirectoryProcess site(directory);
    ASSERT_GT(site.port(), 0);
    std::vector<std::string> truth = DemoTruth({"--companies", "12", "--keyword", "有限公司"});
    ASSERT_FALSE(truth.empty());

    const std::string folder = MakeTemporaryDirectory();
    const std::string out = folder + "/companies.xlsx";
    const std::vector<std::string> search = {
        HARVIO_CLI,     "search",
        "--keyword",    "有限公司",
        "--rules",      std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/reg.alibaba",
        "--connect-to", site.ConnectToRule(),
        "--format",     "xlsx",
        "--out",        out};
    ASSERT_EQ(RunProgram(search), 0);
    const auto sheet = WorkbookSheetRows(ReadWholeFile(out));
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->size(), truth.size() + 1);
    std::vector<std::string> rows;
    for (std::size_t row = 0; row < sheet->size(); ++row) {
        ResultCells cells;
        for (int cell = 0; cell < kResultColumnCount; ++cell)
            cells[cell] = Utf8ToGbk((*sheet)[row][cell]).value();
        const std::string line = CsvLine(cells);
        if (row == 0) {
            EXPECT_EQ(line, CsvHeaderLine());
            continue;
        }
        EXPECT_EQ(cells[0], std::to_string(row));
        rows.push_back(line.substr(line.find("\",") + 2));
    }
    std::sort(rows.begin(), rows.end());
    std::sort(truth.begin(), truth.end());
    EXPECT_EQ(rows, truth);

    // A second run would replace the workbook: refused before it searches.
    const auto written = std::filesystem::last_write_time(out);
    EXPECT_EQ(RunProgram(search), 2);
    EXPECT_EQ(std::filesystem::last_write_time(out), written);
    std::vector<std::string> withoutOut(search.begin(), search.end() - 2);
    EXPECT_EQ(RunProgram(withoutOut), 2);
    std::filesystem::remove_all(folder);
}

}  // namespace
