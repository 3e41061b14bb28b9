#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QStringEncoder>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/result_row.h"
#include "export/export_file_writer.h"
#include "export/result_export.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/controls/list_marks.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/support/ui_test_support.h"

namespace fs = std::filesystem;

namespace {

const QString kQuestion3 =
    QString::fromUtf8("确定导出选中的3条数据吗？\n点击「是」继续导出，点击「否」取消导出。");
const QDateTime kFivePastNine(QDate(2010, 5, 1), QTime(9, 5, 59));

QByteArray Gbk(const char* utf8) {
    return QStringEncoder("GBK")(QString::fromUtf8(utf8));
}

// The header line the export must open with, written out by hand from the column titles.
QByteArray ExpectedHeader() {
    const char* titles[] = {"序号",     "认证",     "公司名称", "联系人", "职务",     "电话",     "手机",
                            "传真",     "地址",     "邮编",     "网址",   "公司介绍", "主营产品", "主营行业",
                            "企业类型", "经营模式", "成立时间", "负责人", "员工人数", "注册资本"};
    QByteArray header;
    for (const char* title : titles) header += "\"" + Gbk(title) + "\",";
    return header + "\r\n";
}

// The marked rows the exports are handed: the cells of each, in order.
MarkedRows RowsOf(const std::vector<ResultCells>& rows) {
    return {static_cast<int>(rows.size()),
            [&rows, next = std::size_t{0}](ResultCells& cells) mutable {
                if (next == rows.size()) return false;
                cells = rows[next++];
                return true;
            },
            nullptr};
}

// The exports take the marked rows' cells, no list: the rows here are the marked ones.
class ExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void TearDown() override { StopScriptingMessageBoxes(); }

    // Appends a marked row whose cell i holds "<tag>-<i>" unless given in `cells`.
    void AddRow(const QByteArray& tag, std::map<int, QByteArray> cells = {}) {
        ResultCells row;
        for (int subItem = 0; subItem < kResultColumnCount; ++subItem)
            row[subItem] = (cells.count(subItem) ? cells[subItem] : tag + "-" + QByteArray::number(subItem))
                               .toStdString();
        rows.push_back(row);
    }

    // The line the row added by AddRow(tag) without special cells must give.
    static QByteArray PlainRowLine(const QByteArray& tag) {
        QByteArray line;
        for (int subItem = 0; subItem < kResultColumnCount; ++subItem)
            line += "\"" + tag + "-" + QByteArray::number(subItem) + "\",";
        return line + "\r\n";
    }

    void ExportAll(MessageAnswer answer, const QDateTime& time = kFivePastNine,
                   const std::string& folder = std::string()) {
        SetNextMessageAnswers({answer});
        OnExportAll(
            RowsOf(rows), nullptr, folder.empty() ? directory.Path().string() : folder,
            [this](const QString& text) { statusLine = text; }, [time] { return time; });
    }
    void ExportColumn(void (*exportColumn)(const MarkedRows&, QWidget*, const std::string&),
                      MessageAnswer answer, const std::string& folder = std::string()) {
        SetNextMessageAnswers({answer});
        exportColumn(RowsOf(rows), nullptr, folder.empty() ? directory.Path().string() : folder);
    }

    TempDir directory;
    std::vector<ResultCells> rows;
    QString statusLine;
};

TEST_F(ExportTest, FileNameFollowsLocalTime) {
    EXPECT_EQ(ExportFileName(kFivePastNine), "2010-05-01-0905.csv");
    EXPECT_EQ(ExportFileName(QDateTime(QDate(2026, 12, 31), QTime(23, 59))), "2026-12-31-2359.csv");
}

TEST_F(ExportTest, TheMarkedRowsAreWrittenInTheirOrderAfterTheHeader) {
    AddRow("selected");
    AddRow("ticked");
    AddRow("both");

    ExportAll(MessageAnswer::Yes);
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kQuestion3});
    const fs::path file = directory.File("2010-05-01-0905.csv");
    QByteArray expected =
        ExpectedHeader() + PlainRowLine("selected") + PlainRowLine("ticked") + PlainRowLine("both");
    EXPECT_EQ(ReadFile(file), expected.toStdString());
    EXPECT_EQ(statusLine,
              QString::fromUtf8("成功导出3条件数据,导出路径:") + QString::fromStdString(file.string()));
}

TEST_F(ExportTest, AMissingExportFolderIsMadeOnlyOnceTheUserSaysYes) {
    AddRow("a", {{kFaxSubItem, "0571-1"}});
    const std::string folder = directory.File("Documents/Harvio").string();
    ExportColumn(OnExportFax, MessageAnswer::No, folder);
    EXPECT_FALSE(fs::exists(folder));
    ExportColumn(OnExportFax, MessageAnswer::Yes, folder);
    EXPECT_EQ(ReadFile(folder + "/fax.txt"), "0571-1\r\n");
    ExportAll(MessageAnswer::Yes, kFivePastNine, folder);
    EXPECT_TRUE(fs::exists(folder + "/2010-05-01-0905.csv"));
}

TEST_F(ExportTest, AnswerNoOrNoMarkedRowWritesNothing) {
    ExportAll(MessageAnswer::Yes);
    EXPECT_TRUE(TakeShownMessages().empty());  // no question without a marked row

    AddRow("b");
    AddRow("c");
    AddRow("d");
    ExportAll(MessageAnswer::No);
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kQuestion3});
    ExportColumn(OnExportFax, MessageAnswer::No);
    ExportColumn(OnExportMobile, MessageAnswer::No);
    EXPECT_EQ(TakeShownMessages().size(), 2u);
    EXPECT_TRUE(fs::is_empty(directory.Path()));
    EXPECT_TRUE(statusLine.isEmpty());
}

TEST_F(ExportTest, TwoExportsInOneMinuteAppendToTheSameFile) {
    AddRow("first");
    ExportAll(MessageAnswer::Yes, kFivePastNine);
    rows.clear();
    AddRow("second");
    ExportAll(MessageAnswer::Yes, kFivePastNine.addSecs(-59));
    QByteArray expected =
        ExpectedHeader() + PlainRowLine("first") + ExpectedHeader() + PlainRowLine("second");
    EXPECT_EQ(ReadFile(directory.File("2010-05-01-0905.csv")), expected.toStdString());
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.Path()), fs::directory_iterator()), 1);
}

TEST_F(ExportTest, CellsKeepTheirBytesWithQuotesDoubled) {
    const QByteArray hostile = QByteArray("say \"hi\", then\r\nnext\nline ") + "\xFF\xFE\x80" + Gbk("公司");
    AddRow("r", {{2, hostile}, {5, "\""}, {6, ""}, {19, ","}});
    ExportAll(MessageAnswer::Yes);
    QByteArray row;
    for (int subItem = 0; subItem < kResultColumnCount; ++subItem) {
        if (subItem == 2)
            row += QByteArray("\"say \"\"hi\"\", then\r\nnext\nline ") + "\xFF\xFE\x80" + Gbk("公司") + "\",";
        else if (subItem == 5)
            row += "\"\"\"\",";
        else if (subItem == 6)
            row += "\"\",";
        else if (subItem == 19)
            row += "\",\",";
        else
            row += "\"r-" + QByteArray::number(subItem) + "\",";
    }
    row += "\r\n";
    EXPECT_EQ(ReadFile(directory.File("2010-05-01-0905.csv")), (ExpectedHeader() + row).toStdString());
}

TEST_F(ExportTest, UnwritableFileIsReportedAsFailure) {
    AddRow("a");
    // A directory where the file should be.
    fs::create_directory(directory.File("2010-05-01-0905.csv"));
    ExportAll(MessageAnswer::Yes);
    const std::string path = directory.File("2010-05-01-0905.csv").string();
    const QString failure =
        QString::fromUtf8("导出失败：无法写入文件 %1（%2）")
            .arg(QString::fromStdString(path), QString::fromLocal8Bit(std::strerror(EISDIR)));
    EXPECT_EQ(statusLine, failure);
    std::vector<QString> shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], failure);

    // A program directory that is a regular file.
    std::ofstream(directory.File("not-a-dir")) << "x";
    const std::string fileAsDirectory = directory.File("not-a-dir").string();
    ExportAll(MessageAnswer::Yes, kFivePastNine, fileAsDirectory);
    EXPECT_FALSE(statusLine.contains(QString::fromUtf8("成功导出")));
    EXPECT_TRUE(statusLine.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))));

    ExportColumn(OnExportFax, MessageAnswer::Yes, fileAsDirectory);
    shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3], QString::fromUtf8("导出失败：无法写入文件 %1/fax.txt（%2）")
                            .arg(QString::fromStdString(fileAsDirectory),
                                 QString::fromLocal8Bit(std::strerror(ENOTDIR))));
}

TEST_F(ExportTest, FileHeldByAnotherExportIsRefusedUntouched) {
    const std::string path = directory.File("fax.txt").string();
    int holder = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    ExportWriteResult result = WriteExportFile(path, "123\r\n");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(ExportFailureText(path, result),
              QString::fromUtf8("导出失败：无法写入文件 %1（文件正被另一个导出使用）")
                  .arg(QString::fromStdString(path)));
    close(holder);
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_TRUE(WriteExportFile(path, "123\r\n").written);
    EXPECT_EQ(ReadFile(path), "123\r\n");
}

TEST_F(ExportTest, WriterTouchesNothingWithoutPathOrText) {
    const std::string path = directory.File("x.txt").string();
    EXPECT_FALSE(WriteExportFile(path, QByteArray()).written);
    EXPECT_FALSE(WriteExportFile("", "text").written);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ExportTest, FaxExportAppendsNonEmptyCellsAndCountsThem) {
    std::ofstream(directory.File("fax.txt"), std::ios::binary) << "old\r\n";
    AddRow("a", {{kFaxSubItem, "0571-1"}});
    AddRow("b", {{kFaxSubItem, ""}});
    AddRow("d", {{kFaxSubItem, " 0571-1 ; 2"}});
    AddRow("e", {{kFaxSubItem, "0571-1"}});
    ExportColumn(OnExportFax, MessageAnswer::Yes);
    std::vector<QString> shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0],
              QString::fromUtf8("确定导出选中的4条数据吗？\n点击「是」继续导出，点击「否」取消导出。"));
    EXPECT_EQ(shown[1], QString::fromUtf8("成功导出传真3条件数据"));
    EXPECT_EQ(ReadFile(directory.File("fax.txt")), "old\r\n0571-1\r\n 0571-1 ; 2\r\n0571-1\r\n");
    EXPECT_FALSE(fs::exists(directory.File("mobile.txt")));
}

TEST_F(ExportTest, MobileExportWithOnlyEmptyCellsLeavesTheDiskAlone) {
    AddRow("a", {{kMobileSubItem, ""}});
    AddRow("b", {{kMobileSubItem, ""}});
    ExportColumn(OnExportMobile, MessageAnswer::Yes);
    std::vector<QString> shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], QString::fromUtf8("成功导出手机0条件数据"));
    EXPECT_TRUE(fs::is_empty(directory.Path()));

    rows[1][kMobileSubItem] = "13800000000";
    ExportColumn(OnExportMobile, MessageAnswer::Yes);
    EXPECT_EQ(TakeShownMessages().back(), QString::fromUtf8("成功导出手机1条件数据"));
    EXPECT_EQ(ReadFile(directory.File("mobile.txt")), "13800000000\r\n");
}

// The list's side: which rows are marked, and the cells of the first of them.
class ListMarksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void SetUp() override {
        for (int subItem = 0; subItem < kResultColumnCount; ++subItem)
            list.InsertColumn(subItem, QString::number(subItem), Qt::AlignLeft, 50);
    }

    void AddRow(const QByteArray& tag, bool ticked, bool selected) {
        const int row = list.InsertItem(list.GetItemCount(), tag);
        list.SetItemText(row, kFaxSubItem, tag + "-fax");
        list.SetCheck(row, ticked);
        if (selected)
            list.selectionModel()->select(list.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Cell 0 of every row the source yields.
    static std::vector<std::string> Taken(const ResultRowSource& nextRow) {
        std::vector<std::string> tags;
        ResultCells cells;
        while (nextRow(cells)) tags.push_back(cells[0]);
        return tags;
    }

    CMyListCtrl list;
};

TEST_F(ListMarksTest, SelectedOrTickedRowsAreMarkedOnceInListOrder) {
    AddRow("none", false, false);
    AddRow("selected", false, true);
    AddRow("ticked", true, false);
    AddRow("both", true, true);
    AddRow("none2", false, false);
    EXPECT_EQ(CountMarkedRows(list), 3);
    EXPECT_EQ(Taken(MarkedRowCells(list, 3)), (std::vector<std::string>{"selected", "ticked", "both"}));
    ResultCells cells;
    ASSERT_TRUE(MarkedRowCells(list, 1)(cells));
    EXPECT_EQ(cells[kFaxSubItem], "selected-fax");
}

TEST_F(ListMarksTest, RowsAddedAfterTheCountAreNotTaken) {
    AddRow("a", true, false);
    AddRow("b", false, false);
    AddRow("c", false, true);
    const int confirmed = CountMarkedRows(list);
    ASSERT_EQ(confirmed, 2);
    // A running search adds ticked rows while the question is open.
    AddRow("late1", true, false);
    AddRow("late2", true, false);
    EXPECT_EQ(Taken(MarkedRowCells(list, confirmed)), (std::vector<std::string>{"a", "c"}));
    // When rows went away meanwhile, what is left is taken.
    EXPECT_EQ(Taken(MarkedRowCells(list, 10)), (std::vector<std::string>{"a", "c", "late1", "late2"}));
}

}  // namespace
