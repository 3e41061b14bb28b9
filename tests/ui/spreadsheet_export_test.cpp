// The right-click exports: the marked rows as an Excel workbook, read back from its sheet's XML,
// and as a UTF-8 CSV file with a byte-order mark, read back as RFC 4180. Cells keep every
// character (four-byte ones included) and telephone numbers stay text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QStringDecoder>
#include <QStringEncoder>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "app/harvio_dlg.h"
#include "engine/result_row.h"
#include "export/spreadsheet_exports.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/controls/list_marks.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/search/result_rows.h"
#include "ui/support/ui_test_support.h"
#include "ui/support/workbook_reader.h"

namespace {

const QDateTime kFivePastNine(QDate(2010, 5, 1), QTime(9, 5, 59));

using Table = std::vector<std::vector<std::string>>;  // UTF-8 rows of cells

std::string Gb18030(const std::string& utf8) {
    return QByteArray(QStringEncoder("GB18030")(QString::fromStdString(utf8))).toStdString();
}

// Rows in UTF-8 as the list must show them; their cells go into the list as GB18030.
const Table kRows = {
    {"1",
     "★",
     "𠮷祥五金有限公司",
     "赵敏",
     "采购",
     "0571-00001234",
     "+8613800001111",
     "0086-571-1",
     "地址, \"引号\" & <尖括号>",
     "012345",
     "",
     "第一段\n第二段",
     "",
     "",
     "",
     "",
     "",
     "",
     "",
     ""},
    {"2", "☆", "未标记的公司"},
    {"100000", "☆", "王女士经理有限公司", "王女士", "经理", "007"},
};

std::vector<std::string> Padded(std::vector<std::string> cells) {
    cells.resize(kResultColumnCount);
    return cells;
}

std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    QStringDecoder decoder("GB18030");
    for (std::string_view title : kResultColumnTitles)
        titles.push_back(QString(decoder.decode(QByteArrayView(title.data(), title.size()))).toStdString());
    return titles;
}

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
Table CsvRecords(const std::string& text) {
    Table records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (quoted) {
            if (c == '"' && at + 1 < text.size() && text[at + 1] == '"')
                field += text[++at];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
            records.back().push_back(std::move(field));
            field.clear();
            records.emplace_back();
            ++at;
        } else {
            field += c;
        }
    }
    records.pop_back();  // after the last record's CR LF
    return records;
}

class SpreadsheetExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void SetUp() override {
        UseAsProgramDirectory(directory);
        InsertResultColumns(list);
        for (std::size_t row = 0; row < kRows.size(); ++row) {
            ResultCells cells;
            const std::vector<std::string> utf8 = Padded(kRows[row]);
            for (int cell = 0; cell < kResultColumnCount; ++cell) cells[cell] = Gb18030(utf8[cell]);
            list.SetCheck(AddResultRow(list, cells), row != 1);
        }
    }
    void TearDown() override {
        StopScriptingMessageBoxes();
        SetProgramDirectoryForTesting("");
    }

    // Runs an export, answering 是 and choosing `chosen` in the save dialog.
    void Export(void (*exportRows)(const SpreadsheetExportContext&), const std::string& chosen) {
        SetNextMessageAnswers({MessageAnswer::Yes});
        const int marked = CountMarkedRows(list);
        ResultRowSource cellsOf = MarkedRowCells(list, marked);
        const MarkedRows rows{marked,
                              [this, cellsOf](ResultCells& cells) {
                                  if (duringExport) std::exchange(duringExport, nullptr)();
                                  return cellsOf(cells);
                              },
                              nullptr};
        SpreadsheetExportContext context{rows, nullptr, directory.Path().string(),
                                         [this](const QString& text) { statusLine = text; }};
        context.now = [] { return kFivePastNine; };
        context.chooseFile = [this, chosen](QWidget*, const QString&, const QString& suggested,
                                            const QString&) {
            suggestedPath = suggested;
            return QString::fromStdString(chosen);
        };
        exportRows(context);
    }

    Table Expected() const {
        Table rows = {Titles()};
        for (std::size_t row = 0; row < kRows.size(); ++row)
            if (row != 1) rows.push_back(Padded(kRows[row]));
        return rows;
    }

    TempDir directory;
    CMyListCtrl list;
    std::function<void()> duringExport;  // runs once, while the rows are taken
    QString statusLine;
    QString suggestedPath;
};

TEST_F(SpreadsheetExportTest, TheWorkbookHoldsTheMarkedRowsAsTextUnderAFrozenTitleRow) {
    const std::string path = directory.File("rows.xlsx").string();
    Export(OnExportWorkbook, path);
    EXPECT_EQ(suggestedPath, QString::fromStdString(directory.File("2010-05-01-0905.xlsx").string()));
    EXPECT_EQ(statusLine, QString::fromUtf8("成功导出2条件数据,导出路径:") + QString::fromStdString(path));
    const std::string workbook = ReadFile(path);
    EXPECT_EQ(WorkbookSheetRows(workbook), Expected());
    const std::optional<std::string> sheet = ReadZipEntry(workbook, "xl/worksheets/sheet1.xml");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->find("<v>"), std::string::npos) << "no cell is a number";
    EXPECT_NE(sheet->find("state=\"frozen\""), std::string::npos);
    EXPECT_NE(sheet->find("<col "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(SpreadsheetExportTest, TheCsvFileIsUtf8WithAByteOrderMarkAndReadsBackAsRfc4180) {
    const std::string path = directory.File("rows.csv").string();
    Export(OnExportUtf8Csv, path);
    EXPECT_EQ(suggestedPath, QString::fromStdString(directory.File("2010-05-01-0905.csv").string()));
    const std::string text = ReadFile(path);
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(CsvRecords(text.substr(3)), Expected());
    EXPECT_EQ(statusLine, QString::fromUtf8("成功导出2条件数据,导出路径:") + QString::fromStdString(path));
}

TEST_F(SpreadsheetExportTest, ACancelledDialogWritesNothingAndAFailureKeepsTheEarlierFile) {
    Export(OnExportUtf8Csv, "");
    EXPECT_FALSE(std::filesystem::exists(directory.File("2010-05-01-0905.csv")));
    EXPECT_EQ(statusLine, "");

    const std::string missingFolder = directory.File("gone").string() + "/rows.xlsx";
    Export(OnExportWorkbook, missingFolder);
    const std::vector<QString> shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 3u);  // two questions and the failure
    EXPECT_TRUE(shown[2].startsWith(QString::fromUtf8("导出失败：无法写入文件"))) << shown[2].toStdString();
    EXPECT_EQ(statusLine, shown[2]);

    const std::string earlier = directory.File("earlier.csv").string();
    std::ofstream(earlier) << "earlier";
    std::filesystem::create_directory(earlier + ".part");  // the new file cannot be written
    Export(OnExportUtf8Csv, earlier);
    EXPECT_EQ(ReadFile(earlier), "earlier");
}

// Excel holds 32,767 characters in a cell, counting one beyond the Basic Multilingual Plane
// twice: a longer text is cut there, never inside a character, and a shorter one is kept whole
// however many bytes it takes.
TEST_F(SpreadsheetExportTest, LongCellsAreCutAtWholeCharactersAsExcelCountsThem) {
    const auto repeated = [](const std::string& utf8, int times) {
        std::string text;
        for (int time = 0; time < times; ++time) text += utf8;
        return text;
    };
    const struct {
        const char* name;
        std::string cell;
        std::string kept;
    } kCases[] = {
        {"20,000 Chinese characters", repeated("阀", 20000), repeated("阀", 20000)},
        {"40,000 letters", std::string(40000, 'a'), std::string(32767, 'a')},
        {"exactly the limit", std::string(32767, 'a'), std::string(32767, 'a')},
        {"a pair that would cross the limit", std::string(32766, 'a') + "𠮷", std::string(32766, 'a')},
        {"a pair that ends at the limit", std::string(32765, 'a') + "𠮷b", std::string(32765, 'a') + "𠮷"},
    };
    const std::string path = directory.File("long.xlsx").string();
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.name);
        ResultCells cells;
        cells[11] = Gb18030(test.cell);
        bool given = false;
        const WrittenFile written = WriteResultWorkbook(
            path, [&](ResultCells& next) { return !std::exchange(given, true) && (next = cells, true); },
            ExistingFile::kReplace);
        ASSERT_TRUE(written.written) << written.failure;
        const auto rows = WorkbookSheetRows(ReadFile(path));
        ASSERT_TRUE(rows && rows->size() == 2u);
        EXPECT_EQ((*rows)[1][11].size(), test.kept.size());
        EXPECT_TRUE((*rows)[1][11] == test.kept);
    }
}

// The save dialog asks before a file that is there is replaced; a file another program makes
// while the rows are written is kept, and the export says so.
TEST_F(SpreadsheetExportTest, AFileThatAppearsDuringAnExportIsKept) {
    using Writer = WrittenFile (*)(const std::string&, const ResultRowSource&, ExistingFile);
    const struct {
        const char* name;
        Writer write;
    } kWriters[] = {
        {"workbook", WriteResultWorkbook}, {"UTF-8 CSV", WriteUtf8Csv}, {"GBK CSV", WriteResultCsv}};
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string path = directory.File(std::string(writer.name) + ".out").string();
        bool first = true;
        const WrittenFile written = writer.write(
            path,
            [&](ResultCells&) {
                if (std::exchange(first, false)) std::ofstream(path) << "stranger";
                return false;
            },
            ExistingFile::kKeep);
        EXPECT_FALSE(written.written);
        EXPECT_TRUE(written.keptExisting);
        EXPECT_EQ(ReadFile(path), "stranger");
        EXPECT_FALSE(std::filesystem::exists(path + ".part"));
        EXPECT_TRUE(writer
                        .write(
                            path, [](ResultCells&) { return false; }, ExistingFile::kReplace)
                        .written)
            << "a file the user chose to replace is replaced";
        EXPECT_NE(ReadFile(path), "stranger");
    }

    for (const auto exportRows : {OnExportWorkbook, OnExportUtf8Csv}) {
        const std::string path = directory.File("appeared").string();
        std::filesystem::remove(path);
        duringExport = [path] { std::ofstream(path) << "stranger"; };
        TakeShownMessages();
        Export(exportRows, path);
        EXPECT_EQ(ReadFile(path), "stranger");
        EXPECT_EQ(statusLine,
                  QString::fromUtf8("导出未完成：文件 %1 在导出时由另一个程序建立，已保留该文件。")
                      .arg(QString::fromStdString(path)));
        const std::vector<QString> shown = TakeShownMessages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), statusLine);
    }
}

TEST_F(SpreadsheetExportTest, TheListShowsFourByteCharactersWhole) {
    EXPECT_EQ(list.model()->index(0, 2).data().toString(), QString::fromUtf8("𠮷祥五金有限公司"));
}

TEST_F(SpreadsheetExportTest, TheResultListMenuOffersBothExportsAndTheTwoTickChoices) {
    CHarvioDlg window;
    QStringList texts;
    const std::unique_ptr<QMenu> menu = window.ResultListMenu();
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(
        texts,
        (QStringList{QString::fromUtf8("导出为 Excel 文件 (.xlsx)…"), QString::fromUtf8("导出为 UTF-8 CSV…"),
                     QString(), QString::fromUtf8("只勾选新公司"), QString::fromUtf8("只勾选未导出的公司")}));
}

}  // namespace
