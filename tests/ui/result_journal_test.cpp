// The result journal: every row the window adds and every check box the user changes reach the
// disk, a later start offers them back after a run that did not end normally, a cut last line
// is skipped, and Clear, Exit and 否 leave nothing to restore.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QStringEncoder>
#include <cstdlib>
#include <fstream>

#include "app/harvio_dlg.h"
#include "platform/program_directory.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/support/program_run.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gb18030(const char* utf8) {
    QStringEncoder encoder("GB18030");
    return QByteArray(encoder.encode(QString::fromUtf8(utf8))).toStdString();
}

// Cells with every byte the file format must carry: separators, line ends, backslashes,
// four-byte characters.
CompanyRecord AwkwardRecord(int variant) {
    CompanyRecord record;
    record.validate = variant % 2;
    record.compName = Gb18030("𠮷祥\t五金\\有限公司") + std::to_string(variant);
    record.contact = Gb18030("赵敏（采购）");
    record.compIntroduce = Gb18030("第一段。\r\n第二段\\n不是换行。");
    record.phone = "86-0571-0000";
    return record;
}

class ResultJournalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        instanceName = "harvio-journal-test-" + std::to_string(getpid());
    }
    void TearDown() override { SetProgramDirectoryForTesting(""); }

    // A run that ends without Exit: rows added, the second one cleared by the user, then the
    // journal left as a killed process leaves it.
    std::vector<JournalRow> RunWithoutExit(int rows) {
        ResultJournal journal;
        EXPECT_EQ(journal.Open(ResultJournalPath()), ResultJournal::OpenStatus::kOpened);
        CHarvioDlg window;
        window.AttachJournal(&journal);
        for (int number = 1; number <= rows; ++number) {
            window.ResultList().SetCheck(window.AddCompanyRow(AwkwardRecord(number), number), true);
        }
        ResultListModel& model = *window.ResultList().Model();
        model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
        journal.Flush();
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

    std::string JournalText() const { return ReadFile(ResultJournalPath()); }

    TempDir dir;
    std::string instanceName;
};

TEST_F(ResultJournalTest, TheJournalLivesInTheUsersDataFolder) {
    EXPECT_EQ(ResultJournalPath(), dir.File("data").string() + "/harvio/search-results.journal");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(ResultJournalPath(), home + "/.local/share/harvio/search-results.journal");
}

TEST_F(ResultJournalTest, ARunThatDidNotEndIsRestoredRowForRowWithYes) {
    const std::vector<JournalRow> shown = RunWithoutExit(3);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_FALSE(shown[1].checked);
    // The journal holds exactly what the list showed.
    EXPECT_EQ(ResultJournal::ParseRows(JournalText()), shown);

    const ProgramRun restart = RunProgramOnce(instanceName, MessageAnswer::Yes);
    ASSERT_TRUE(restart.windowShown);
    ASSERT_FALSE(restart.messages.empty());
    EXPECT_EQ(restart.messages.front(), RestoreQuestion(3));
    EXPECT_EQ(restart.rows, shown);
    // The confirmed Exit ended the run normally: the next start asks nothing.
    EXPECT_EQ(JournalText(), "");
    EXPECT_EQ(RunProgramOnce(instanceName, MessageAnswer::Yes).messages.size(), 1u);  // the exit question
}

TEST_F(ResultJournalTest, ACutLastLineIsSkippedAndCutOffSoTheJournalGoesOnCleanly) {
    const std::vector<JournalRow> shown = RunWithoutExit(2);
    const std::string whole = JournalText();
    std::ofstream(ResultJournalPath(), std::ios::app | std::ios::binary)
        << whole.substr(0, whole.find('\t', 3));

    ResultJournal journal;
    ASSERT_EQ(journal.Open(ResultJournalPath()), ResultJournal::OpenStatus::kOpened);
    EXPECT_EQ(journal.ReadRows(), shown);
    EXPECT_EQ(JournalText(), whole);
    JournalRow next{{"3"}, true};
    journal.AppendRow(next.cells, true);
    journal.Flush();
    std::vector<JournalRow> expected = shown;
    expected.push_back(next);
    EXPECT_EQ(ResultJournal::ParseRows(JournalText()), expected);
}

TEST_F(ResultJournalTest, NoClearAndExitEmptyTheJournal) {
    RunWithoutExit(2);
    const ProgramRun declined = RunProgramOnce(instanceName, MessageAnswer::No);
    EXPECT_EQ(declined.messages.front(), RestoreQuestion(2));
    EXPECT_TRUE(declined.rows.empty());
    EXPECT_EQ(JournalText(), "");

    RunWithoutExit(2);
    ResultJournal journal;
    ASSERT_EQ(journal.Open(ResultJournalPath()), ResultJournal::OpenStatus::kOpened);
    CHarvioDlg window;
    window.AttachJournal(&journal);
    SetNextMessageAnswers({MessageAnswer::No, MessageAnswer::Yes});
    window.OnClearResults();
    journal.Flush();
    EXPECT_NE(JournalText(), "") << "Clear answered 否 keeps the rows";
    window.OnClearResults();
    EXPECT_EQ(JournalText(), "");
    StopScriptingMessageBoxes();
}

TEST_F(ResultJournalTest, ASecondWindowNeverSharesTheJournalEvenWithoutTheInstanceMarker) {
    RunWithoutExit(1);
    const int held = open(ResultJournalPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const ProgramRun second = RunProgramOnce(instanceName + "-other-marker", MessageAnswer::Yes);
    close(held);
    EXPECT_FALSE(second.windowShown);
    EXPECT_EQ(second.messages, std::vector<QString>{QString::fromUtf8(
                                   "系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！")});
    EXPECT_EQ(ResultJournal::ParseRows(JournalText()).size(), 1u) << "the holder's rows stay";
}

}  // namespace
