// The window program killed in the middle of a search loses no row: it is started on the
// offscreen platform against the demo directory, killed with SIGKILL once rows have come in,
// and started again, which offers and restores exactly the rows the lead book kept, every row it
// had shown (a row reaches the book before it shows). The book in turn must hold exactly rows of
// the search: numbered from 1, ticked, each the demo's row for its company, every cell readable
// GB18030.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "book/lead_book.h"
#include "demo/support/demo_directory_process.h"
#include "engine/result_row.h"
#include "platform/program_paths.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"
#include "ui/support/program_run.h"
#include "ui/support/ui_test_support.h"

extern char** environ;

namespace {

constexpr int kCompanies = 60;
constexpr char kKeyword[] = "有限公司";
constexpr std::size_t kRowsBeforeTheKill = 4;
constexpr auto kRowsLimit = std::chrono::seconds(90);

// The window program with the test's data folder and a marker name of its own.
pid_t StartWindow(const std::string& dataHome, const std::string& instanceName,
                  const std::string& connectTo) {
    std::vector<std::string> environment = {
        "XDG_DATA_HOME=" + dataHome, "HARVIO_INSTANCE_NAME=" + instanceName, "QT_QPA_PLATFORM=offscreen"};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "XDG_DATA_HOME" && name != "HARVIO_INSTANCE_NAME" && name != "QT_QPA_PLATFORM")
            environment.push_back(entry);
    }
    std::vector<std::string> command = {HARVIO_WINDOW, "--connect-to", connectTo, "--search", kKeyword};
    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (std::string& text : texts) list.push_back(text.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(command);
    std::vector<char*> envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The window's rows the lead book holds, as the window shows them.
std::vector<JournalRow> StoredRows() {
    LeadBook book;
    std::vector<JournalRow> rows;
    if (book.Open(LeadBookPath()).status != BookOpenStatus::kOpened) return rows;
    for (const WindowRow& row : book.WindowRows().value_or(std::vector<WindowRow>{}))
        rows.push_back({row.cells, row.checked});
    return rows;
}

// The export's line of a row without its number: the demo's truth form.
std::string TruthLineOf(const ResultCells& cells) {
    const std::string line = CsvLine(cells);
    return line.substr(line.find("\",") + 2);
}

TEST(WindowCrash, AKilledSearchIsRestoredWithExactlyTheRowsItHadShown) {
    EnsureTestApplication();
    TempDir dir;
    UseAsProgramDirectory(dir);
    const std::string dataHome = dir.File("data").string();
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    const std::string instanceName = "harvio-crash-test-" + std::to_string(getpid());

    DemoDirectoryProcess site({"--companies", std::to_string(kCompanies)});
    ASSERT_GT(site.port(), 0);
    const std::vector<std::string> truthLines =
        DemoTruth({"--companies", std::to_string(kCompanies), "--keyword", kKeyword});
    const std::set<std::string> truth(truthLines.begin(), truthLines.end());
    ASSERT_GT(truth.size(), kRowsBeforeTheKill + 2);

    const pid_t window = StartWindow(dataHome, instanceName, site.ConnectToRule());
    ASSERT_GT(window, 0);
    const auto deadline = std::chrono::steady_clock::now() + kRowsLimit;
    while (StoredRows().size() < kRowsBeforeTheKill && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(window, SIGKILL);
    int status = 0;
    waitpid(window, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the window ended before the kill";

    const std::vector<JournalRow> journal = StoredRows();
    ASSERT_GE(journal.size(), kRowsBeforeTheKill);
    ASSERT_LT(journal.size(), truth.size()) << "killed half way";
    std::set<std::string> seen;
    for (std::size_t row = 0; row < journal.size(); ++row) {
        EXPECT_EQ(journal[row].cells[0], std::to_string(row + 1));
        EXPECT_TRUE(journal[row].checked);
        const std::string line = TruthLineOf(journal[row].cells);
        EXPECT_EQ(truth.count(line), 1u) << ConvertTextReplacing(line, "GB18030", "UTF-8", "?");
        EXPECT_TRUE(seen.insert(line).second) << "a company shown twice";
        for (const std::string& cell : journal[row].cells)
            EXPECT_TRUE(ConvertText(cell, "GB18030", "UTF-8")) << "row " << row + 1;
        EXPECT_TRUE(ConvertText(CsvLine(journal[row].cells), "GB18030", "UTF-8"))
            << "export line " << row + 1;
    }

    const ProgramRun restart = RunProgramOnce(instanceName, MessageAnswer::Yes);
    ASSERT_TRUE(restart.windowShown);
    EXPECT_EQ(restart.messages.front(), RestoreQuestion(static_cast<int>(journal.size())));
    EXPECT_EQ(restart.rows, journal);
}

}  // namespace
