// The window's rows in the lead book: every row the window adds and every check box the user
// changes reach the book, a later start offers them back after a run that did not end normally,
// Clear, Exit and 否 leave nothing to restore, an earlier version's journal is taken over once,
// rows of companies known before show so, and a book that cannot be written says so once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringEncoder>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/harvio_dlg.h"
#include "book/company_key.h"
#include "book/window_book.h"
#include "platform/program_directory.h"
#include "platform/program_paths.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/search/result_journal.h"
#include "ui/support/program_run.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gb18030(const char* utf8) {
    QStringEncoder encoder("GB18030");
    return QByteArray(encoder.encode(QString::fromUtf8(utf8))).toStdString();
}

// Cells with every byte a row must carry: separators, line ends, backslashes, four-byte
// characters.
CompanyRecord AwkwardRecord(int variant) {
    CompanyRecord record;
    record.validate = variant % 2;
    record.url = "http://company.demo-b2b.test/" + std::to_string(variant) + "/";
    record.compName = Gb18030("𠮷祥\t五金\\有限公司") + std::to_string(variant);
    record.contact = Gb18030("赵敏（采购）");
    record.compIntroduce = Gb18030("第一段。\r\n第二段\\n不是换行。");
    record.phone = "86-0571-0000";
    return record;
}

// A line of the earlier versions' journal, sealed with its checksum as their writer did.
std::string JournalLine(const std::string& body) {
    uint64_t hash = 14695981039346656037ull;
    std::size_t at = 0;
    for (; at + 8 <= body.size(); at += 8) {
        uint64_t word;
        std::memcpy(&word, body.data() + at, sizeof word);
        hash = (hash ^ word) * 1099511628211ull;
    }
    for (; at < body.size(); ++at) hash = (hash ^ static_cast<unsigned char>(body[at])) * 1099511628211ull;
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "\t%08x", static_cast<uint32_t>(hash ^ (hash >> 32)));
    return body + checksum + "\r\n";
}

std::string JournalRowLine(const std::string& name, bool checked) {
    std::string body = std::string("R\t") + (checked ? "1" : "0") + "\t1\t" + name;
    for (int cell = 2; cell < kResultColumnCount; ++cell) body += "\t";
    return JournalLine(body);
}

class WindowRowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        instanceName = "harvio-rows-test-" + std::to_string(getpid());
    }
    void TearDown() override { SetProgramDirectoryForTesting(""); }

    std::unique_ptr<WindowBook> OpenBook() {
        auto book = std::make_shared<LeadBook>();
        EXPECT_EQ(book->Open(LeadBookPath()).status, BookOpenStatus::kOpened);
        return std::make_unique<WindowBook>(book);
    }

    // A run that ends without Exit: rows added, the second one cleared by the user, then the
    // book left as a killed process leaves it.
    std::vector<JournalRow> RunWithoutExit(int rows) {
        auto book = OpenBook();
        CHarvioDlg window;
        window.AttachBook(book.get());
        for (int number = 1; number <= rows; ++number) {
            window.ResultList().SetCheck(window.AddCompanyRow(AwkwardRecord(number), number), true);
        }
        ResultListModel& model = *window.ResultList().Model();
        model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
        book->Flush();
        return ListRows(window.ResultList());
    }

    static std::vector<JournalRow> ListRows(const CMyListCtrl& list) {
        std::vector<JournalRow> rows(list.GetItemCount());
        for (int row = 0; row < list.GetItemCount(); ++row) {
            for (int cell = 0; cell < kResultColumnCount; ++cell)
                rows[row].cells[cell] = list.GetItemText(row, cell).toStdString();
            rows[row].checked = list.GetCheck(row);
        }
        return rows;
    }

    std::size_t StoredRows() { return OpenBook()->StoredRows().size(); }

    TempDir dir;
    std::string instanceName;
};

TEST_F(WindowRowsTest, TheBookLivesInTheUsersDataFolder) {
    EXPECT_EQ(LeadBookPath(), dir.File("data").string() + "/harvio/leads.sqlite");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(LeadBookPath(), home + "/.local/share/harvio/leads.sqlite");
}

TEST_F(WindowRowsTest, ARunThatDidNotEndIsRestoredRowForRowWithYes) {
    const std::vector<JournalRow> shown = RunWithoutExit(3);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_FALSE(shown[1].checked);

    const ProgramRun restart = RunProgramOnce(instanceName, MessageAnswer::Yes);
    ASSERT_TRUE(restart.windowShown);
    ASSERT_FALSE(restart.messages.empty());
    EXPECT_EQ(restart.messages.front(), RestoreQuestion(3));
    EXPECT_EQ(restart.rows, shown);
    // The confirmed Exit ended the run normally: the next start asks nothing.
    EXPECT_EQ(StoredRows(), 0u);
    EXPECT_EQ(RunProgramOnce(instanceName, MessageAnswer::Yes).messages.size(), 1u);  // the exit question
}

TEST_F(WindowRowsTest, NoClearAndExitLeaveNothingToRestore) {
    RunWithoutExit(2);
    const ProgramRun declined = RunProgramOnce(instanceName, MessageAnswer::No);
    EXPECT_EQ(declined.messages.front(), RestoreQuestion(2));
    EXPECT_TRUE(declined.rows.empty());
    EXPECT_EQ(StoredRows(), 0u);

    RunWithoutExit(2);
    auto book = OpenBook();
    CHarvioDlg window;
    window.AttachBook(book.get());
    window.AddCompanyRow(AwkwardRecord(3), 1);
    SetNextMessageAnswers({MessageAnswer::No, MessageAnswer::Yes});
    window.OnClearResults();
    book->Flush();
    EXPECT_EQ(book->StoredRows().size(), 3u) << "Clear answered 否 keeps the rows";
    window.OnClearResults();
    book->Flush();
    EXPECT_EQ(book->StoredRows().size(), 0u);
    StopScriptingMessageBoxes();
}

TEST_F(WindowRowsTest, ASecondWindowNeverSharesTheRowsEvenWithoutTheInstanceMarker) {
    RunWithoutExit(1);
    std::filesystem::create_directories(std::filesystem::path(WindowLockPath()).parent_path());
    const int held = open(WindowLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const ProgramRun second = RunProgramOnce(instanceName + "-other-marker", MessageAnswer::Yes);
    close(held);
    EXPECT_FALSE(second.windowShown);
    EXPECT_EQ(second.messages, std::vector<QString>{QString::fromUtf8(
                                   "系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！")});
    EXPECT_EQ(StoredRows(), 1u) << "the holder's rows stay";
}

// An earlier version's journal with CR LF line ends and a damaged row: the ticks after it still
// land on their rows, the rows are offered as before, and the journal is renamed, not emptied.
TEST_F(WindowRowsTest, AnEarlierJournalIsReadOnceRestoredAndRetired) {
    std::filesystem::create_directories(std::filesystem::path(ResultJournalPath()).parent_path());
    std::string damaged = JournalRowLine("lost", true);
    damaged[damaged.size() - 4] ^= 1;
    const std::string text = JournalRowLine("first", true) + damaged + JournalRowLine("third", true) +
                             JournalLine("C\t2\t0") + "R\t1\tcut sho";
    std::ofstream(ResultJournalPath(), std::ios::binary) << text;

    const ProgramRun restart = RunProgramOnce(instanceName, MessageAnswer::Yes);
    ASSERT_TRUE(restart.windowShown);
    EXPECT_EQ(restart.messages.front(), RestoreQuestion(2));
    ASSERT_EQ(restart.rows.size(), 2u);
    EXPECT_EQ(restart.rows[0].cells[1], "first");
    EXPECT_TRUE(restart.rows[0].checked);
    EXPECT_EQ(restart.rows[1].cells[1], "third");
    EXPECT_FALSE(restart.rows[1].checked) << "the tick of row 2 names the third line";
    EXPECT_FALSE(std::filesystem::exists(ResultJournalPath()));
    int retired = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("data") / "harvio")) {
        if (entry.path().filename().string().rfind("search-results.journal.retired-", 0) == 0) {
            ++retired;
            EXPECT_EQ(ReadFile(entry.path()), text);
        }
    }
    EXPECT_EQ(retired, 1);
    EXPECT_EQ(RunProgramOnce(instanceName, MessageAnswer::Yes).messages.size(), 1u) << "read once";

    // A journal with no row this version can read is kept aside and the user told.
    std::ofstream(ResultJournalPath(), std::ios::binary) << "R\t1\tanother version\r\n";
    const ProgramRun unreadable = RunProgramOnce(instanceName, MessageAnswer::Yes);
    ASSERT_GE(unreadable.messages.size(), 2u);
    EXPECT_TRUE(unreadable.messages.front().startsWith(QString::fromUtf8("上次运行的搜索结果日志无法读取")))
        << unreadable.messages.front().toStdString();
}

// A book the window cannot use is told in a box and never written: a later version's stays as it
// is (and so does an earlier journal, for a run that has a book), a file that is no book is moved
// aside whole and a new book begun.
TEST_F(WindowRowsTest, ABookOfALaterVersionOrNoBookAtAllIsToldAndKeptWhole) {
    const std::filesystem::path folder = dir.File("data") / "harvio";
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        std::string bookBytes;  // empty: made by SQLite as a later version would
        const char* boxStart;
        bool movedAside;
    } kCases[] = {
        {"a later version's book", "", "客户名录", false},
        {"no database at all", std::string(4096, 'x'), "客户名录", true},
    };
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (test.bookBytes.empty()) {
            sqlite3* raw = nullptr;
            ASSERT_EQ(sqlite3_open(LeadBookPath().c_str(), &raw), SQLITE_OK);
            sqlite3_exec(raw, "CREATE TABLE later(x); PRAGMA user_version = 99;", nullptr, nullptr, nullptr);
            sqlite3_close(raw);
        } else {
            std::ofstream(LeadBookPath(), std::ios::binary) << test.bookBytes;
        }
        const std::string before = ReadFile(LeadBookPath());
        const std::string journal = JournalRowLine("kept", true);
        std::ofstream(ResultJournalPath(), std::ios::binary) << journal;

        const ProgramRun run = RunProgramOnce(instanceName, MessageAnswer::Yes);
        ASSERT_TRUE(run.windowShown);
        ASSERT_FALSE(run.messages.empty());
        EXPECT_TRUE(run.messages.front().startsWith(QString::fromUtf8(test.boxStart)))
            << run.messages.front().toStdString();
        if (!test.movedAside) {
            EXPECT_EQ(ReadFile(LeadBookPath()), before);
            EXPECT_EQ(ReadFile(ResultJournalPath()), journal) << "left for a run that has a book";
            EXPECT_TRUE(run.rows.empty());
            continue;
        }
        int movedAside = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().rfind("leads.sqlite.unreadable-", 0) != 0) continue;
            ++movedAside;
            EXPECT_EQ(ReadFile(entry.path()), before);
        }
        EXPECT_EQ(movedAside, 1);
        ASSERT_GE(run.messages.size(), 2u);
        EXPECT_EQ(run.messages[1], RestoreQuestion(1)) << "the journal's row goes on in the new book";
    }
}

TEST_F(WindowRowsTest, KnownCompaniesShowGreyAndTheMenuTicksNewOrUnexportedCompanies) {
    auto book = OpenBook();
    FoundCompany found;
    const CompanyKeyer keyer(ExtractionRules{});
    const CompanyRef known{"demo-b2b.test", keyer.KeyOf(AwkwardRecord(1).url)};
    ASSERT_TRUE(book->Book()->KeepFound(known, AwkwardRecord(1), true, 0, 86400 * 365 * 50, found));
    CHarvioDlg window;
    window.AttachBook(book.get());
    CMyListCtrl& list = window.ResultList();
    window.AddBookRow(AwkwardRecord(1), 1, {1, known, true, 86400 * 365 * 50, 0});
    window.AddBookRow(AwkwardRecord(2), 2, {2, {"demo-b2b.test", "two"}, false, 86400 * 365 * 51, 0});
    EXPECT_NE(list.GetCellTextColor(0, 2), list.GetCellTextColor(1, 2));
    EXPECT_EQ(list.GetCellTextColor(1, 2), list.palette().color(QPalette::Text));
    EXPECT_TRUE(list.model()
                    ->index(0, 2)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(QString::fromUtf8("已收录：首次 2019-12-")));
    EXPECT_TRUE(list.model()
                    ->index(0, 2)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QString::fromUtf8("，最后导出 尚未导出")));
    EXPECT_FALSE(list.model()->index(1, 2).data(Qt::ToolTipRole).isValid());

    QStringList texts;
    const std::unique_ptr<QMenu> menu = window.ResultListMenu();
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_TRUE(texts.contains(QString::fromUtf8("只勾选新公司")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("只勾选未导出的公司")));
    window.OnTickNewCompanies();
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_TRUE(list.GetCheck(1));

    // The export of the ticked row counts as its company's export, in the book and on screen.
    SetNextMessageAnswers({MessageAnswer::Yes});
    list.SetCheck(0, true);
    list.SetCheck(1, false);
    window.OnExportAll();
    StopScriptingMessageBoxes();
    book->Flush();
    EXPECT_GT(book->Book()->Lookup(known)->lastExported, 0);
    window.OnTickUnexportedCompanies();
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_TRUE(list.GetCheck(1));
    window.OnResultDblClk(0);
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.Control(1051))->text().left(8), QString::fromUtf8("2019-12-"));
    EXPECT_NE(qobject_cast<QLineEdit*>(window.Control(1052))->text(), QString::fromUtf8("尚未导出"));
    window.OnResultDblClk(1);
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.Control(1052))->text(), QString::fromUtf8("尚未导出"));
}

TEST_F(WindowRowsTest, ABookThatCannotBeWrittenSaysSoOnceAndTheRowsStay) {
    auto book = OpenBook();
    CHarvioDlg window;
    window.AttachBook(book.get());
    SetNextMessageAnswers({});
    book->Book()->LimitPagesForTesting(1);  // as a full disk answers
    for (int number = 1; number <= 5; ++number) {
        CompanyRecord record = AwkwardRecord(number);
        record.compIntroduce.append(6000, 'i');  // more than the pages there are
        window.AddCompanyRow(record, number);
    }
    ASSERT_TRUE(WaitFor([&] { return window.ResultList().GetItemCount() == 5 && book->Failing(); }, 5000));
    const auto statusIs = [&](const char* text) {
        return qobject_cast<QLabel*>(window.Control(1037))->text() == QString::fromUtf8(text);
    };
    ASSERT_TRUE(WaitFor([&] { return statusIs("磁盘已满，搜索结果暂未保存，正在重试…"); }, 5000));
    const std::vector<QString> boxes = TakeShownMessages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.front().startsWith(QString::fromUtf8("磁盘已满"))) << boxes.front().toStdString();

    book->Book()->LimitPagesForTesting(0);
    EXPECT_TRUE(WaitFor([&] { return statusIs("搜索结果已全部保存。"); }, 20000));
    EXPECT_TRUE(TakeShownMessages().empty());
    StopScriptingMessageBoxes();
    EXPECT_EQ(book->StoredRows().size(), 5u);
}

}  // namespace
