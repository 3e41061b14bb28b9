// Searches from the main window against the demo directory on loopback: rows, counters and
// status texts from Start to the end, Stop, a new Start while the stopped search still ends,
// Clear during a search, closing the window during a search, and a search through a real proxy.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "app/harvio_dlg.h"
#include "engine/search_engine_alibaba.h"
#include "http/connect_to_map.h"
#include "http/name_lookup.h"
#include "http/proxy_settings.h"
#include "http/trace_output.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/dns_stub.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"
#include "support/tiny_proxy.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/support/ui_test_support.h"

extern char** environ;

using namespace std::chrono_literals;

namespace {

constexpr int kDemoCompanies = 60;
const QString kKeyword = QStringLiteral("有限公司");  // about two thirds of the demo's companies
constexpr int kSearchLimitMs = 60000;
constexpr int kChildLimitMs = 30000;

QString DemoDirectoryProgram() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           "/../tools/demo-directory/harvio-demo-directory");
}

// The demo directory's program with its standard output in a pipe. Started with posix_spawn:
// QProcess's way of starting a child leaves ThreadSanitizer blind to this process's locks.
class DemoDirectory {
public:
    explicit DemoDirectory(const std::vector<std::string>& arguments) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
        std::vector<std::string> command = {DemoDirectoryProgram().toStdString()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : command) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        output = pipeEnds[0];
    }
    ~DemoDirectory() {
        if (child > 0) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
        }
        if (output >= 0) close(output);
    }

    // Serving on a free port: the first line names it, "listening on 127.0.0.1:PORT".
    static std::unique_ptr<DemoDirectory> Serve(int companies, const std::vector<std::string>& more = {}) {
        std::vector<std::string> arguments = {"--port", "0", "--companies", std::to_string(companies)};
        arguments.insert(arguments.end(), more.begin(), more.end());
        auto demo = std::make_unique<DemoDirectory>(arguments);
        std::string line;
        pollfd readable{demo->output, POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&readable, 1, kChildLimitMs) == 1) {
            char buffer[256];
            const ssize_t count = read(demo->output, buffer, sizeof buffer);
            if (count <= 0) break;
            line.append(buffer, count);
        }
        const std::string prefix = "listening on 127.0.0.1:";
        if (line.rfind(prefix, 0) == 0) demo->port = std::atoi(line.c_str() + prefix.size());
        return demo;
    }

    // The rows the demo says the query must give (GBK, sorted, each with its CR LF); none when it
    // can't tell.
    static std::optional<std::vector<std::string>> TruthRows(int companies, const QString& keyword) {
        TempDir dir;
        const std::string file = dir.File("truth.csv").string();
        {
            DemoDirectory truth({"--truth", file, "--companies", std::to_string(companies), "--keyword",
                                 keyword.toStdString()});
            if (!truth.WaitForExit()) return std::nullopt;
        }
        std::ifstream lines(file, std::ios::binary);
        std::vector<std::string> rows;
        for (std::string line; std::getline(lines, line);) rows.push_back(line + "\n");
        return rows;
    }
    static int TruthRowCount(int companies, const QString& keyword) {
        const std::optional<std::vector<std::string>> rows = TruthRows(companies, keyword);
        return rows ? static_cast<int>(rows->size()) : -1;
    }

    int port = 0;

private:
    bool WaitForExit() {
        int status = 0;
        for (int waited = 0; waited < kChildLimitMs; waited += 10) {
            if (child > 0 && waitpid(child, &status, WNOHANG) == child) {
                child = -1;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    pid_t child = -1;
    int output = -1;
};

EnginePacing QuickPacing() {
    EnginePacing pacing;
    pacing.requestDelay = 1ms;
    pacing.workerStartWait = 5ms;
    pacing.drainPoll = 20ms;
    pacing.pauseLength = 20ms;
    pacing.resultPoll = 20ms;
    return pacing;
}

// Slow enough that a search is still running when the test presses a button; the result poll
// keeps the program's own half second.
EnginePacing SlowPacing() {
    EnginePacing pacing = QuickPacing();
    pacing.requestDelay = 60ms;
    pacing.resultPoll = 500ms;
    return pacing;
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureTestApplication();
        quiet = std::fopen("/dev/null", "w");
        SetTraceStream(quiet);
    }
    static void TearDownTestSuite() {
        SetTraceStream(nullptr);
        std::fclose(quiet);
    }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        window = std::make_unique<CHarvioDlg>();
        list = &window->ResultList();
        useProxy = 0;
    }

    void TearDown() override {
        window.reset();
        engine.reset();
        StopScriptingMessageBoxes();
        ClearConnectTo();
        SetProgramDirectoryForTesting("");
    }

    // Gives the window an engine with the pacing that reads the demo directory's rules.
    void UseDemoEngine(const EnginePacing& pacing) {
        UseEngine(pacing, (SourceDir() / "config" / "reg.alibaba").string());
    }

    void UseEngine(const EnginePacing& pacing, const std::string& rulesPath) {
        engine = std::make_unique<SearchEngine_Alibaba>(pacing);
        ASSERT_TRUE(engine->LoadRulesFrom(rulesPath));
        window->UseSearchEngine(engine.get());
    }

    static int ExpectedRows() {
        static const int count = DemoDirectory::TruthRowCount(kDemoCompanies, kKeyword);
        return count;
    }

    void Click(int id) { qobject_cast<QAbstractButton*>(window->Control(id))->click(); }
    QString Text(int id) const { return qobject_cast<QLabel*>(window->Control(id))->text(); }
    QString Status() const { return Text(1037); }
    bool StartEnabled() const { return window->Control(1006)->isEnabled(); }
    bool Finished() const { return Status().startsWith(QStringLiteral("搜索完成")); }
    int Rows() const { return list->GetItemCount(); }
    int RowNumber(int row) const { return list->GetItemText(row, 0).toInt(); }

    void TypeKeyword(const QString& keyword) {
        qobject_cast<QLineEdit*>(window->Control(1001))->setText(keyword);
    }

    static QString CompletionText(int rows) {
        return rows == 0 ? QStringLiteral("搜索完成!")
                         : QStringLiteral("搜索完成,去除重复共检查到%1条。").arg(rows);
    }

    // Rows from `first` on carry the numbers 1, 2, ... in order.
    void ExpectNumberedFrom(int first, int count) const {
        ASSERT_LE(first + count, Rows());
        for (int row = 0; row < count; ++row)
            EXPECT_EQ(RowNumber(first + row), row + 1) << "row " << first + row;
    }

    static inline std::FILE* quiet = nullptr;
    TempDir dir;
    std::unique_ptr<SearchEngine_Alibaba> engine;  // outlives the window that uses it
    std::unique_ptr<CHarvioDlg> window;
    CMyListCtrl* list = nullptr;
};

// Searches of the demo directory, started on a free port for every test; skipped when its
// program was not built.
class WindowSearchTest : public WindowTest {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(DemoDirectoryProgram()))
            GTEST_SKIP() << "the demo directory's program is not built: "
                         << DemoDirectoryProgram().toStdString();
        WindowTest::SetUp();
        demo = DemoDirectory::Serve(kDemoCompanies);
        ASSERT_GT(demo->port, 0);
        ASSERT_TRUE(AddConnectTo("::127.0.0.1:" + std::to_string(demo->port)));
    }

    std::unique_ptr<DemoDirectory> demo;
};

using WindowProxySearchTest = WindowTest;
using WindowLookupStopTest = WindowTest;

TEST_F(WindowSearchTest, AChangedSiteIsReportedOnceInABoxThatLetsTheSearchGoOnAndTheUnchangedSiteIsNot) {
    UseDemoEngine(QuickPacing());
    SetNextMessageAnswers({});
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Rows(), ExpectedRows());
    EXPECT_TRUE(TakeShownMessages().empty());

    // The renamed label loses every contact; the moved link loses the contact pages, and with
    // them every telephone too. The rows still come.
    const struct {
        const char* layout;
        QString emptyField;
        int rows;
    } changes[] = {{"renamed-label", QStringLiteral("联系人"), ExpectedRows()},
                   {"moved-contact-link", QStringLiteral("联系人、电话和手机"), ExpectedRows()}};
    for (const auto& change : changes) {
        SCOPED_TRACE(change.layout);
        const auto changed = DemoDirectory::Serve(kDemoCompanies, {"--layout", change.layout});
        ASSERT_GT(changed->port, 0);
        ClearConnectTo();
        ASSERT_TRUE(AddConnectTo("::127.0.0.1:" + std::to_string(changed->port)));
        list->DeleteAllItems();
        Click(1006);
        ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
        EXPECT_EQ(Rows(), change.rows);
        EXPECT_EQ(Status(), CompletionText(change.rows));
        const std::vector<QString> shown = TakeShownMessages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown.front().contains(change.emptyField)) << shown.front().toStdString();
        EXPECT_TRUE(shown.front().contains(QStringLiteral("config/reg.alibaba")))
            << shown.front().toStdString();
    }
}

TEST_F(WindowSearchTest, ASearchShowsEveryCompanyAsATickedNumberedRowAndCountsThemAtTheEnd) {
    UseDemoEngine(QuickPacing());
    const int expected = ExpectedRows();
    ASSERT_GT(expected, 25);  // more than one result page
    TypeKeyword(kKeyword);

    Click(1006);
    EXPECT_FALSE(StartEnabled());
    EXPECT_EQ(Status(), "正在搜索中···");
    // Every row is ticked right after it is added (before the next one), and the counters
    // follow the rows.
    bool everyRowTicked = true;
    QString firstCounters;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (int row = 0; row + 1 < Rows(); ++row) everyRowTicked = everyRowTicked && list->GetCheck(row);
            if (firstCounters.isEmpty() && Text(1035) != "0/0") firstCounters = Text(1035);
            return Finished();
        },
        kSearchLimitMs))
        << Status().toStdString();

    EXPECT_TRUE(everyRowTicked);
    ASSERT_EQ(Rows(), expected);
    for (int row = 0; row < Rows(); ++row) EXPECT_TRUE(list->GetCheck(row)) << row;
    ExpectNumberedFrom(0, expected);
    EXPECT_EQ(Status(), CompletionText(expected));
    EXPECT_TRUE(StartEnabled());
    // The directory's company count over its total pages, and "1/" with the page walked.
    const QString counts =
        QStringLiteral("%1/%2").arg(engine->totalCompanies.load()).arg(engine->totalPages.load());
    EXPECT_GT(engine->totalCompanies.load(), 0u);
    EXPECT_GT(engine->totalPages.load(), 1u);
    EXPECT_EQ(firstCounters, counts);
    EXPECT_EQ(Text(1035), counts);
    EXPECT_EQ(Text(1036), QStringLiteral("1/%1").arg(engine->currentPage.load()));
    EXPECT_GT(engine->currentPage.load(), 1u);
}

TEST_F(WindowSearchTest, ALaterSearchNumbersItsRowsFromOneAfterTheEarlierRowsAndCountsThemAll) {
    UseDemoEngine(QuickPacing());
    const int expected = ExpectedRows();
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    ASSERT_EQ(Rows(), expected);
    Click(1006);
    EXPECT_EQ(Status(), "正在搜索中···");
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    ASSERT_EQ(Rows(), 2 * expected);
    ExpectNumberedFrom(expected, expected);
    EXPECT_EQ(Status(), CompletionText(2 * expected));
}

TEST_F(WindowSearchTest, ASearchWithoutCompaniesEndsPlainlyAndLeavesTheCounters) {
    UseDemoEngine(QuickPacing());
    TypeKeyword(QStringLiteral("无此产品zzz"));
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Status(), "搜索完成!");
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(Text(1035), "0/0");
    EXPECT_EQ(Text(1036), "0/0");
}

TEST_F(WindowSearchTest, AnEmptyKeywordIsRefusedWhileBlanksStartASearch) {
    UseDemoEngine(QuickPacing());
    SetNextMessageAnswers({MessageAnswer::Ok});
    const QString greeting = Status();
    Click(1006);
    EXPECT_EQ(TakeShownMessages(), (std::vector<QString>{"请设置需要检索关键字！"}));
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(Status(), greeting);
    QTest::qWait(100);
    EXPECT_EQ(Status(), greeting);  // no worker reports progress
    EXPECT_TRUE(engine->searchUrl.empty());

    TypeKeyword("  ");
    Click(1006);
    EXPECT_TRUE(TakeShownMessages().empty());
    EXPECT_EQ(Status(), "正在搜索中···");
    EXPECT_FALSE(StartEnabled());
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_NE(engine->searchUrl.find("k-"), std::string::npos) << engine->searchUrl;
}

TEST_F(WindowSearchTest, StopEnablesStartAtOnceAndTheSearchEndsWithinHalfASecond) {
    UseDemoEngine(SlowPacing());
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 2; }, kSearchLimitMs));
    Click(1007);
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(Status(), "停止搜索!");
    EXPECT_FALSE(engine->running.load());

    // The engine's result poll is half a second; the worker ends within it.
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 1000));
    const int rows = Rows();
    EXPECT_LT(rows, ExpectedRows());
    EXPECT_EQ(Status(), CompletionText(rows));
    QTest::qWait(300);
    EXPECT_EQ(Rows(), rows);  // nothing arrives after the end
}

TEST_F(WindowSearchTest, AStopNeverEndsTheNextSearch) {
    UseDemoEngine(QuickPacing());
    const int expected = ExpectedRows();
    TypeKeyword(kKeyword);

    // Stopped before its first row: the worker ends through the engine having nothing more.
    Click(1006);
    Click(1007);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Status(), "搜索完成!");
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Rows(), expected);

    // Stopped in Finished: the request concerns no search.
    Click(1007);
    EXPECT_EQ(Status(), "停止搜索!");
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Rows(), 2 * expected);
}

TEST_F(WindowSearchTest, AStopAfterRowsNeverEndsTheNextSearch) {
    UseDemoEngine(SlowPacing());
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 1; }, kSearchLimitMs));
    Click(1007);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 2000));
    const int stoppedRows = Rows();
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    EXPECT_EQ(Rows(), stoppedRows + ExpectedRows());
    ExpectNumberedFrom(stoppedRows, ExpectedRows());
}

TEST_F(WindowSearchTest, StartWhileTheStoppedWorkerStillEndsWaitsForItWithoutTheOldEndShowing) {
    UseDemoEngine(SlowPacing());
    const int expected = ExpectedRows();
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 1; }, kSearchLimitMs));

    Click(1007);
    Click(1006);  // the stopped worker has had no chance to end yet
    EXPECT_EQ(Status(), "正在搜索中···");
    EXPECT_FALSE(StartEnabled());

    // The stopped search's end must not enable Start or show its count while the new one runs.
    bool startStayedDisabled = true;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (Finished()) return true;
            startStayedDisabled = startStayedDisabled && !StartEnabled();
            return false;
        },
        kSearchLimitMs));
    EXPECT_TRUE(startStayedDisabled);
    const int total = Rows();
    ASSERT_GE(total, expected + 1);
    ExpectNumberedFrom(0, total - expected);
    ExpectNumberedFrom(total - expected, expected);
    EXPECT_EQ(Status(), CompletionText(total));
}

TEST_F(WindowSearchTest, ClearDuringASearchKeepsTheRunningNumbersAndTheEndCountsTheListLeft) {
    UseDemoEngine(SlowPacing());
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 2; }, kSearchLimitMs));
    SetNextMessageAnswers({MessageAnswer::Yes});
    Click(1011);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 2; }, kSearchLimitMs));
    const int firstNumber = RowNumber(0);
    EXPECT_GT(firstNumber, 2);
    EXPECT_EQ(RowNumber(1), firstNumber + 1);
    Click(1007);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 2000));
    EXPECT_EQ(Status(), CompletionText(Rows()));
}

TEST_F(WindowSearchTest, ClosingTheWindowDuringASearchStopsTheEngineAndEndsTheWorker) {
    UseDemoEngine(SlowPacing());
    TypeKeyword(kKeyword);
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Rows() >= 1; }, kSearchLimitMs));
    window->show();
    SetNextMessageAnswers({MessageAnswer::Yes});
    Click(2);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(engine->running.load());
    const int rows = Rows();
    QTest::qWait(300);
    EXPECT_EQ(Rows(), rows);
    EXPECT_NE(Status(), CompletionText(rows));  // the ended search wrote nothing more
}

TEST_F(WindowSearchTest, DestroyingTheWindowAtAnyMomentOfASearchEndsItCleanly) {
    UseDemoEngine(SlowPacing());
    // Right after Start (the worker starting the engine), and while rows arrive.
    for (int rowsBeforeClose : {0, 1}) {
        TypeKeyword(kKeyword);
        Click(1006);
        ASSERT_TRUE(WaitFor([&] { return Rows() >= rowsBeforeClose; }, kSearchLimitMs));
        window.reset();
        EXPECT_FALSE(engine->running.load()) << rowsBeforeClose;
        QTest::qWait(50);  // any late call would reach a destroyed window here
        window = std::make_unique<CHarvioDlg>();
        list = &window->ResultList();
        window->UseSearchEngine(engine.get());
    }
}

// The site chooser: the demo's modern layout chosen beside the search conditions, searched,
// exported, and chosen again in the next run; a profile that cannot be read is not taken.
TEST_F(WindowTest, TheChosenSiteIsSearchedExportedAndKeptForTheNextRun) {
    if (!QFileInfo::exists(DemoDirectoryProgram()))
        GTEST_SKIP() << "the demo directory's program is not built";
    std::filesystem::create_directories(dir.File("config/sites"));
    std::filesystem::copy_file(SourceDir() / "config" / "reg.alibaba", dir.File("config/reg.alibaba"));
    const std::filesystem::path profile = dir.File("config/sites/demo-modern.rules");
    std::filesystem::copy_file(SourceDir() / "config" / "sites" / "demo-modern.rules", profile);
    window = std::make_unique<CHarvioDlg>();
    list = &window->ResultList();
    UseDemoEngine(QuickPacing());
    auto* sites = qobject_cast<QComboBox*>(window->Control(1039));
    ASSERT_NE(sites, nullptr);
    ASSERT_EQ(sites->count(), 2);
    EXPECT_EQ(sites->itemText(0), "示范名录（经典）");
    EXPECT_EQ(sites->itemText(1), "示范名录（现代）");
    EXPECT_EQ(sites->currentIndex(), 0);

    const std::optional<std::vector<std::string>> truth = DemoDirectory::TruthRows(kDemoCompanies, kKeyword);
    ASSERT_TRUE(truth);
    TypeKeyword(kKeyword);
    // Each layout, chosen, searched and exported, gives exactly the demo's truth.
    const struct {
        int index;
        const char* name;
        std::vector<std::string> layout;
    } layouts[] = {{0, "示范名录（经典）", {}}, {1, "示范名录（现代）", {"--site", "modern"}}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const bool chosenNow = sites->currentIndex() != layout.index;
        sites->setCurrentIndex(layout.index);
        EXPECT_EQ(sites->currentText(), QString::fromUtf8(layout.name));
        if (chosenNow) {
            EXPECT_EQ(Status(), QStringLiteral("已选择站点：") + QString::fromUtf8(layout.name));
        }
        const auto demo = DemoDirectory::Serve(kDemoCompanies, layout.layout);
        ASSERT_GT(demo->port, 0);
        ClearConnectTo();
        ASSERT_TRUE(AddConnectTo("::127.0.0.1:" + std::to_string(demo->port)));
        list->DeleteAllItems();
        Click(1006);
        EXPECT_FALSE(sites->isEnabled()) << "a site changes only between searches";
        ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
        EXPECT_TRUE(sites->isEnabled());
        EXPECT_EQ(Rows(), static_cast<int>(truth->size()));
        // Without totals the progress counts the pages read.
        if (layout.index == 1) {
            EXPECT_EQ(Text(1036), QStringLiteral("1/%1").arg(engine->totalPages.load()));
        }

        SetNextMessageAnswers({MessageAnswer::Yes});
        Click(1008);
        const QString exported = Status().mid(Status().indexOf(':') + 1);
        std::vector<std::string> rows;
        std::istringstream lines(ReadFile(exported.toStdString()));
        // Exports of one minute go to one file: the next layout's rows start a new one.
        std::filesystem::remove(exported.toStdString());
        std::string line;
        std::getline(lines, line);  // the header
        while (std::getline(lines, line)) rows.push_back(line.substr(line.find("\",") + 2) + "\n");
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, *truth);
    }

    // The next run starts with the site chosen and reads its rules.
    window = std::make_unique<CHarvioDlg>();
    UseDemoEngine(QuickPacing());
    sites = qobject_cast<QComboBox*>(window->Control(1039));
    EXPECT_EQ(sites->currentText(), "示范名录（现代）");
    EXPECT_TRUE(engine->Rules().nextPageReg);

    // A site named on the command line serves this run only.
    EXPECT_TRUE(window->ChooseSiteForThisRun(QStringLiteral("reg.alibaba")));
    EXPECT_EQ(sites->currentIndex(), 0);
    EXPECT_FALSE(engine->Rules().nextPageReg);
    EXPECT_FALSE(window->ChooseSiteForThisRun(QStringLiteral("no-such-site")));
    EXPECT_TRUE(window->ChooseSiteForThisRun(QStringLiteral("demo-modern")));
    EXPECT_NE(ReadFile(dir.File("config/chosen-site.ini")).find("Name="), std::string::npos);
    window = std::make_unique<CHarvioDlg>();
    sites = qobject_cast<QComboBox*>(window->Control(1039));
    EXPECT_EQ(sites->currentIndex(), 1) << "the kept choice is still the modern site";
    UseDemoEngine(QuickPacing());

    std::filesystem::remove(profile);
    sites->setCurrentIndex(0);
    sites->setCurrentIndex(1);
    EXPECT_EQ(sites->currentIndex(), 0);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("无法读取站点的规则文件"))) << Status().toStdString();
    EXPECT_FALSE(engine->Rules().nextPageReg);
}

// Stop and Exit never wait for a name lookup: pressed while result page 1 waits for a name server
// that never answers, each gives the window back at once.
TEST_F(WindowLookupStopTest, StopAndExitGiveTheWindowBackWhileALookupHangs) {
    constexpr qint64 kGiveBackMs = 250;
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    std::ofstream(dir.File("rules").string(), std::ios::binary)
        << "searchBaseUrl,,,http://hang.test/company/\ncompTotalPageReg,,,pages=(\\d+)\n"
        << "CompReg,,,href=\"(http://hang\\.test/c/\\d+/)\"\n";
    UseEngine(QuickPacing(), dir.File("rules").string());
    TypeKeyword(QStringLiteral("valve"));

    for (const bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "Exit" : "Stop");
        const int asked = dns.Questions();
        Click(1006);
        ASSERT_TRUE(WaitFor([&] { return dns.Questions() > asked; }, kSearchLimitMs));
        QElapsedTimer pressed;
        if (exit) {
            window->show();
            SetNextMessageAnswers({MessageAnswer::Yes});
            pressed.start();
            Click(2);
            EXPECT_LT(pressed.elapsed(), kGiveBackMs);
            EXPECT_FALSE(window->isVisible());
        } else {
            pressed.start();
            Click(1007);
            EXPECT_LT(pressed.elapsed(), kGiveBackMs);
            EXPECT_TRUE(StartEnabled());
            EXPECT_TRUE(WaitFor([&] { return Finished(); }, 1000));
        }
        EXPECT_FALSE(engine->running.load());
    }
    SetNameServersForTesting("");
}

TEST_F(WindowProxySearchTest, TheTickedProxyBoxSendsTheSearchThroughTheProxy) {
    TinyProxy proxy;
    if (!proxy.Running()) GTEST_SKIP() << "no proxy: " << proxy.Problem();

    // A one-company site on 127.0.0.1, which the proxy can reach by address.
    std::atomic<int> port{0};
    auto page = [](const std::string& body) {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    };
    ScriptedServer site([&](ScriptedConnection& connection, int) {
        const std::string request = connection.ReadRequest();
        const std::string base = "http://127.0.0.1:" + std::to_string(port.load());
        if (request.find(" /company/") != std::string::npos) {
            connection.Send(page("<p>pages=1</p><p>count=1</p><a href=\"" + base + "/c/7/\">x</a>"));
        } else if (request.find(" /c/7/ ") != std::string::npos) {
            connection.Send(page("<a href=\"" + base + "/c/7/contact.html\">c</a><a href=\"" + base +
                                 "/c/7/intro.html\">i</a>"));
        } else {
            connection.Send(page("<p>NAME=Proxy Valve Works;</p>"));
        }
    });
    port = site.Port();
    QStringEncoder gbk("GBK");
    const std::string site_base = "http://127.0.0.1:" + std::to_string(site.Port());
    const QByteArray rules = gbk.encode(QString::fromStdString(
        "searchBaseUrl,,," + site_base + "/company/\n" + "companySitePrefix,,,http://127.0.0.1\n" +
        "compTotalPageReg,,,pages=(\\d+)\n" + "compTotalCompanyReg,,,count=(\\d+)\n" +
        "CompReg,,,href=\"(http://127\\.0\\.0\\.1:\\d+/c/\\d+/)\"\n" +
        "CompContactReg,,,href=\"(http://[^\"]+/contact\\.html)\"\n" +
        "CompIntroduceReg,,,href=\"(http://[^\"]+/intro\\.html)\"\n" +
        "company,,,公司名称,,,NAME=([^;<]+);\n"));
    std::ofstream(dir.File("rules").string(), std::ios::binary).write(rules.constData(), rules.size());
    UseEngine(QuickPacing(), dir.File("rules").string());
    TypeKeyword(QStringLiteral("valve"));

    // Ticking the box asks for the proxy: filled in and accepted.
    window->show();
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("address")->setText("127.0.0.1");
        dialog->findChild<QLineEdit*>("port")->setText(QString::fromStdString(proxy.PortText()));
        dialog->findChild<QPushButton*>("ok")->click();
    });
    auto* proxyBox = qobject_cast<QCheckBox*>(window->Control(1038));
    proxyBox->click();
    ASSERT_TRUE(proxyBox->isChecked());

    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, kSearchLimitMs));
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(list->GetItemText(0, 2), "Proxy Valve Works");
    const std::vector<std::string> viaProxy = site.Requests();
    ASSERT_EQ(viaProxy.size(), 4u);
    for (const std::string& request : viaProxy)
        EXPECT_NE(request.find("Via: "), std::string::npos) << request;

    // Unticked, the next search goes straight to the site.
    proxyBox->click();
    ASSERT_FALSE(proxyBox->isChecked());
    Click(1006);
    ASSERT_TRUE(WaitFor([&] { return Finished() && Rows() == 2; }, kSearchLimitMs));
    const std::vector<std::string> all = site.Requests();
    ASSERT_EQ(all.size(), 8u);
    for (std::size_t i = 4; i < all.size(); ++i) EXPECT_EQ(all[i].find("Via: "), std::string::npos) << all[i];
}

}  // namespace
