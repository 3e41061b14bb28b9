// The program installed where Linux keeps a desktop program's files, into a read-only prefix, and
// tried by an ordinary user with an empty home: the command-line tool finds the shipped rules and
// searches, the window starts and searches, keeps the proxy entry in the user's settings and
// exports into the documents folder; a user's own rules file wins; nothing is written into the
// prefix.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/harvio_dlg.h"
#include "book/lead_book.h"
#include "demo/support/demo_directory_process.h"
#include "engine/result_row.h"
#include "install/support/installed_tree.h"
#include "install/support/ordinary_user.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/child_process.h"
#include "support/project_version.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/dialogs/dlg_set_http.h"

namespace fs = std::filesystem;

namespace {

constexpr int kProgramLimitSeconds = 90;
constexpr int kWindowRowLimitSeconds = 60;
const std::vector<std::string> kDemoDirectory = {"--companies", "8"};
constexpr char kKeyword[] = "有限公司";
constexpr char kUnknownKeyLine[] = "CompRge,,,(x)\n";

fs::path SourceFile(const std::string& relative) {
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    return fs::path(source ? source : ".") / relative;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Width and height from a PNG file's IHDR chunk (big-endian, after the 16 bytes before it).
std::pair<int, int> PngSize(const fs::path& file) {
    const std::string bytes = ReadWholeFile(file.string());
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    const auto number = [&bytes](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[i]);
        return value;
    };
    return {number(16), number(20)};
}

bool ProgramInPath(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

class InstalledProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree = new InstalledTree;
        afterInstall = tree->PrefixSnapshot();
        demo = new DemoDirectoryProcess(kDemoDirectory);
    }
    static void TearDownTestSuite() {
        delete demo;
        delete tree;
    }
    void SetUp() override {
        ASSERT_TRUE(tree->Installed()) << tree->InstallOutput();
        ASSERT_GT(demo->port(), 0);
    }
    // Whatever the user did, the installed files stayed as they were installed.
    void TearDown() override { EXPECT_EQ(tree->PrefixSnapshot(), afterInstall); }

    static ProgramOutput Run(const char* program, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {tree->Program(program).string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunAsOrdinaryUser(command, tree->Environment(), tree->Home(), kProgramLimitSeconds);
    }

    static InstalledTree* tree;
    static std::string afterInstall;
    static DemoDirectoryProcess* demo;
};

InstalledTree* InstalledProgramTest::tree = nullptr;
std::string InstalledProgramTest::afterInstall;
DemoDirectoryProcess* InstalledProgramTest::demo = nullptr;

TEST_F(InstalledProgramTest, TheFilesLieWhereLinuxKeepsThem) {
    for (const char* program : {"harvio", "harvio-cli", "harvio-demo-directory"}) {
        const fs::path path = tree->Program(program);
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::others_exec, fs::perms::none) << path;
    }
    // The shipped files as the source holds them.
    for (const char* shipped :
         {"config/reg.alibaba", "config/Province.txt", "config/harvio.ini", "platform/qt/QQ2009.she"}) {
        const fs::path installed = tree->Shipped() / fs::path(shipped).filename();
        EXPECT_EQ(ReadWholeFile(installed.string()), ReadWholeFile(SourceFile(shipped).string()))
            << installed;
        EXPECT_FALSE(ReadWholeFile(installed.string()).empty()) << installed;
    }
    const fs::path share = tree->Prefix() / "share";
    const struct {
        const char* icon;
        int side;
    } icons[] = {{"48x48/apps/harvio.png", 48}, {"256x256/apps/harvio.png", 256}};
    for (const auto& icon : icons)
        EXPECT_EQ(PngSize(share / "icons/hicolor" / icon.icon), std::make_pair(icon.side, icon.side))
            << icon.icon;
    EXPECT_TRUE(Contains(ReadWholeFile((share / "icons/hicolor/scalable/apps/harvio.svg").string()), "<svg"));
    for (const char* page : {"harvio.1.gz", "harvio-cli.1.gz", "harvio-demo-directory.1.gz"})
        EXPECT_EQ(ReadWholeFile((share / "man/man1" / page).string()).substr(0, 2), "\x1f\x8b") << page;

    EXPECT_TRUE(Contains(ReadWholeFile((share / "applications/org.harvio.Harvio.desktop").string()),
                         "Exec=harvio\n"));
    const std::string version = ProjectVersion();
    ASSERT_FALSE(version.empty());
    const fs::path metainfo = share / "metainfo/org.harvio.Harvio.metainfo.xml";
    EXPECT_TRUE(Contains(ReadWholeFile(metainfo.string()), "<release version=\"" + version + "\""));

    // The validators the desktop and the software centres use.
    if (ProgramInPath("desktop-file-validate")) {
        const std::string validate =
            "desktop-file-validate '" + (share / "applications/org.harvio.Harvio.desktop").string() + "'";
        EXPECT_EQ(std::system(validate.c_str()), 0);
    }
    if (ProgramInPath("appstreamcli")) {
        const std::string validate = "appstreamcli validate --no-net '" + metainfo.string() + "' >/dev/null";
        EXPECT_EQ(std::system(validate.c_str()), 0);
    }

    // The version the project names, without a display.
    for (const char* program : {"harvio", "harvio-cli"}) {
        const ProgramOutput shown = Run(program, {"--version"});
        EXPECT_EQ(shown.status, 0) << program;
        EXPECT_EQ(shown.output, std::string(program) + " " + version + "\n");
    }
}

TEST_F(InstalledProgramTest, TheRulesCheckFindsTheShippedRulesUnlessTheUserHasOwnOnes) {
    const std::string shippedRules = (tree->Shipped() / "reg.alibaba").string();
    const std::string usersRules = (tree->UserConfig() / "reg.alibaba").string();
    // A rules folder in the working folder is no business of the installed program.
    fs::create_directories(tree->Home() / "config");
    std::ofstream(tree->Home() / "config" / "reg.alibaba") << kUnknownKeyLine;
    const struct {
        bool usersOwn;
        int status;
        std::string named;
    } cases[] = {{false, 0, shippedRules + ": 0 findings"}, {true, 6, usersRules + ": 1 finding"}};
    for (const auto& c : cases) {
        fs::remove_all(tree->UserConfig());
        if (c.usersOwn) {
            // An edited copy of the shipped rules, as a user makes it.
            fs::create_directories(tree->UserConfig());
            std::ofstream(usersRules) << ReadWholeFile(shippedRules) << kUnknownKeyLine;
            GiveToOrdinaryUser(tree->Home());
        }
        const ProgramOutput check = Run("harvio-cli", {"rules", "--check"});
        EXPECT_EQ(check.status, c.status) << check.output;
        EXPECT_TRUE(Contains(check.output, c.named)) << check.output;
    }
    fs::remove_all(tree->UserConfig());
    fs::remove_all(tree->Home() / "config");
}

TEST_F(InstalledProgramTest, TheCommandLineSearchOfTheDemoWritesItsFile) {
    std::vector<std::string> query = kDemoDirectory;
    query.insert(query.end(), {"--keyword", kKeyword});
    std::vector<std::string> truth = DemoTruth(query);
    ASSERT_FALSE(truth.empty());

    const ProgramOutput search = Run("harvio-cli", {"search", "--keyword", kKeyword, "--connect-to",
                                                    demo->ConnectToRule(), "--out", "found.csv"});
    ASSERT_EQ(search.status, 0) << search.output;
    const std::string text = ReadWholeFile((tree->Home() / "found.csv").string());
    ASSERT_EQ(text.rfind(CsvHeaderLine(), 0), 0u) << text;
    std::vector<std::string> rows;
    for (std::size_t start = CsvHeaderLine().size(); start < text.size();) {
        const std::size_t end = text.find("\r\n", start) + 2;
        const std::string line = text.substr(start, end - start);
        rows.push_back(line.substr(line.find("\",") + 2));  // without the row number
        start = end;
    }
    std::sort(rows.begin(), rows.end());
    std::sort(truth.begin(), truth.end());
    EXPECT_EQ(rows, truth);
}

TEST_F(InstalledProgramTest, TheWindowStartsForAnOrdinaryUserAndSearches) {
    const fs::path bookPath = tree->DataFolder() / "leads.sqlite";
    const auto storedRows = [&] {
        if (!fs::exists(bookPath)) return std::size_t{0};
        LeadBook book;
        if (book.Open(bookPath.string()).status != BookOpenStatus::kOpened) return std::size_t{0};
        return book.WindowRows().value_or(std::vector<WindowRow>{}).size();
    };
    const fs::path log = tree->Home() / "window.log";
    const pid_t window = StartAsOrdinaryUser(
        {tree->Program("harvio").string(), "--search", kKeyword, "--connect-to", demo->ConnectToRule()},
        tree->Environment({"HARVIO_INSTANCE_NAME=harvio-install-test-" + std::to_string(getpid())}),
        tree->Home(), log);
    ASSERT_GT(window, 0);
    // The rows it finds reach the user's data folder as they come.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWindowRowLimitSeconds);
    bool running = true;
    while (storedRows() == 0 && running && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        running = waitpid(window, nullptr, WNOHANG) == 0;
    }
    EXPECT_TRUE(running) << "the window ended by itself: " << ReadWholeFile(log.string());
    EXPECT_GT(storedRows(), 0u) << ReadWholeFile(log.string());
    if (running) {
        kill(window, SIGTERM);
        WaitForChild(window, std::chrono::seconds(kProgramLimitSeconds));
    }
}

// The window's own code in a child that has become the user, with the installed program's place
// as its program directory: the proxy dialog's OK, then the fax and comma-separated exports of one
// ticked row. The files it leaves are checked by the test.
int UseTheWindowAsInstalled(const fs::path& bin) {
    SetProgramDirectoryForTesting(bin.string());
    int argc = 1;
    char name[] = "harvio";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    SetNextMessageAnswers({MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes});
    DLG_SetHttp proxy([] {});
    proxy.findChild<QLineEdit*>("address")->setText(QStringLiteral("10.20.30.40"));
    proxy.findChild<QLineEdit*>("port")->setText(QStringLiteral("3128"));
    proxy.accept();
    CHarvioDlg window;
    CompanyRecord company;
    company.compName = "Acme";
    company.fax = "0571-1111";
    window.ResultList().SetCheck(window.AddCompanyRow(company, 1), true);
    window.OnExportFax();
    window.OnExportAll();
    for (const QString& message : TakeShownMessages())
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return proxy.result() == QDialog::Accepted ? 0 : 1;
}

TEST_F(InstalledProgramTest, TheWindowKeepsTheProxyAndExportsInTheUsersFolders) {
    const fs::path bin = tree->Program("harvio").parent_path();
    ASSERT_EQ(RunInChildAsOrdinaryUser([&bin] { return UseTheWindowAsInstalled(bin); }, tree->Environment(),
                                       tree->Home(), kProgramLimitSeconds),
              0);
    const std::string settings = ReadWholeFile((tree->UserConfig() / "harvio.ini").string());
    EXPECT_TRUE(Contains(settings, "Address=10.20.30.40")) << settings;
    EXPECT_TRUE(Contains(settings, "Port=3128")) << settings;
    // xdg-user-dir names no documents folder in an empty home: ~/Documents stands in.
    const fs::path exports = tree->Home() / "Documents" / "Harvio";
    EXPECT_EQ(ReadWholeFile((exports / "fax.txt").string()), "0571-1111\r\n");
    int csvFiles = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(exports, error))
        if (entry.path().extension() == ".csv" && Contains(ReadWholeFile(entry.path().string()), "\"Acme\""))
            ++csvFiles;
    EXPECT_EQ(csvFiles, 1);
}

}  // namespace
