// Start-up of the program: the single-instance marker, the administrator check, the main
// window run until the user leaves it, and the command line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/ca_file_setting.h"
#include "app/command_line_options.h"
#include "app/harvio_app.h"
#include "app/harvio_dlg.h"
#include "app/user_agent_setting.h"
#include "http/proxy_settings.h"
#include "http/user_agent.h"
#include "platform/administrator_check.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/support/installed_program.h"
#include "ui/support/ui_test_support.h"

namespace {

const QString kAlreadyRunning =
    QString::fromUtf8("系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！");
const QString kNeedsAdministrator = QString::fromUtf8("请以管理员权限运行此程序！");
const QString kExitQuestion = QString::fromUtf8(
    "温馨提示：您是否已将搜索结果导出保存!\n点击「是」将退出该应用程序，点击「否」取消该操作");

class StartUpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        // No rules file and no region list: start-up goes on without them.
        std::filesystem::create_directories(dir.File("config"));
        SetProgramDirectoryForTesting(dir.Path().string());
        // The lead book goes to the test's folder, never to the user's data folder.
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        lockName = "harvio-startup-test-" + std::to_string(::getpid());
        SetNextMessageAnswers({});
    }

    void TearDown() override {
        StopScriptingMessageBoxes();
        SetAdministratorCheckForTesting(std::nullopt);
        SetProgramDirectoryForTesting("");
    }

    // Leaves the modal main window once it runs, answering the exit question with Yes.
    static void LeaveMainWindowWhenShown(CHarvioDlg** seen) {
        QTimer::singleShot(0, [seen] {
            auto* window = qobject_cast<CHarvioDlg*>(QApplication::activeModalWidget());
            if (window == nullptr) return;
            *seen = window;
            SetNextMessageAnswers({MessageAnswer::Yes});
            window->reject();
        });
    }

    TempDir dir;
    std::string lockName;
};

TEST_F(StartUpTest, ASecondCopyIsRefusedWithItsMessageAndTheFirstKeepsItsMarker) {
    SingleInstanceLock firstCopy;
    ASSERT_TRUE(firstCopy.Acquire(lockName));
    SetAdministratorCheckForTesting(true);
    CHarvioApp secondCopy;
    secondCopy.SetInstanceLockNameForTesting(lockName);
    EXPECT_FALSE(secondCopy.InitInstance());
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kAlreadyRunning});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(firstCopy.Held());
    SingleInstanceLock third;
    EXPECT_FALSE(third.Acquire(lockName));
}

TEST_F(StartUpTest, AUserWithoutAdministratorRightsIsRefusedWithItsMessage) {
    SetAdministratorCheckForTesting(false);
    CHarvioDlg* seen = nullptr;
    LeaveMainWindowWhenShown(&seen);
    CHarvioApp app;
    app.SetInstanceLockNameForTesting(lockName);
    EXPECT_FALSE(app.InitInstance());
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kNeedsAdministrator});
}

TEST_F(StartUpTest, RunsTheMainWindowUntilTheUserLeavesItThenHoldsTheMarkerToTheEnd) {
    SetAdministratorCheckForTesting(true);
    CHarvioDlg* seen = nullptr;
    LeaveMainWindowWhenShown(&seen);
    {
        CHarvioApp app;
        app.SetInstanceLockNameForTesting(lockName);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_NE(seen, nullptr);
        EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kExitQuestion});
        SingleInstanceLock other;
        EXPECT_FALSE(other.Acquire(lockName));  // the running copy still holds it
    }
    SingleInstanceLock afterwards;
    EXPECT_TRUE(afterwards.Acquire(lockName));
}

TEST_F(StartUpTest, AProxyFromTheCommandLineTicksTheProxyBoxAndAUserAgentServesEverySearch) {
    SetAdministratorCheckForTesting(true);
    bool ticked = false;
    QTimer::singleShot(0, [&ticked] {
        auto* window = qobject_cast<CHarvioDlg*>(QApplication::activeModalWidget());
        if (window == nullptr) return;
        ticked = qobject_cast<QCheckBox*>(window->Control(1038))->isChecked();
        SetNextMessageAnswers({MessageAnswer::Yes});
        window->reject();
    });
    CHarvioApp app(
        ParseCommandLine({"harvio", "--proxy", "127.0.0.1:3128", "--user-agent", "Agent/2 (X11)"}));
    app.SetInstanceLockNameForTesting(lockName);
    app.InitInstance();
    EXPECT_TRUE(ticked);
    EXPECT_EQ(CurrentUserAgent(), "Agent/2 (X11)");
    ResetUserAgent();
    EXPECT_EQ(proxyAddress.Get(), "127.0.0.1");
    EXPECT_EQ(proxyPortText.Get(), "3128");
    proxyAddress.Set("");
    proxyPortText.Set("");
}

// Installed, the program writes only into the user's folders: no rights are asked, and the proxy
// entry kept by an earlier run is there from the start.
TEST_F(StartUpTest, InstalledAnyUserMayStartTheWindowWithTheKeptProxy) {
    InstalledProgram installed;
    std::filesystem::create_directories(installed.UserConfig());
    std::ofstream(installed.UserConfig() / "harvio.ini") << "[Proxy]\nAddress=10.0.0.7\nPort=3128\n";
    SetAdministratorCheckForTesting(false);
    CHarvioDlg* seen = nullptr;
    LeaveMainWindowWhenShown(&seen);
    CHarvioApp app;
    app.SetInstanceLockNameForTesting(lockName);
    app.InitInstance();
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kExitQuestion});
    EXPECT_EQ(proxyAddress.Get(), "10.0.0.7");
    EXPECT_EQ(proxyPortText.Get(), "3128");
    EXPECT_TRUE(std::filesystem::exists(installed.Home() / ".local/share/harvio/leads.sqlite"));
    proxyAddress.Set("");
    proxyPortText.Set("");
}

TEST(CommandLineTest, CollectsConnectToRulesAndTheProxy) {
    const CommandLineOptions options = ParseCommandLine(
        {"harvio", "--connect-to", "a.example:80:127.0.0.1:8080", "--connect-to=b.example:80::9090",
         "--proxy=h:81", "--user-agent", "A/1 (X; Y, Z)", "--site", "示范名录（现代）"});
    EXPECT_EQ(options.error, "");
    EXPECT_EQ(options.connectTo,
              (std::vector<std::string>{"a.example:80:127.0.0.1:8080", "b.example:80::9090"}));
    ASSERT_TRUE(options.proxyHost);
    EXPECT_EQ(*options.proxyHost, "h");
    EXPECT_EQ(options.proxyPort, "81");
    EXPECT_EQ(options.userAgent, "A/1 (X; Y, Z)");
    EXPECT_EQ(options.site, "示范名录（现代）");
}

TEST(CommandLineTest, LeavesOtherArgumentsAndNeedsNothing) {
    const CommandLineOptions options = ParseCommandLine({"harvio", "-style", "fusion"});
    EXPECT_EQ(options.error, "");
    EXPECT_TRUE(options.connectTo.empty());
    EXPECT_FALSE(options.proxyHost);
    EXPECT_FALSE(options.versionAsked);
    EXPECT_TRUE(ParseCommandLine({"harvio", "-style", "fusion", "--version"}).versionAsked);
}

TEST(CommandLineTest, RefusesAMissingValueOrAProxyWithoutPort) {
    EXPECT_NE(ParseCommandLine({"harvio", "--connect-to"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--proxy"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--proxy", "127.0.0.1"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--proxy", ":3128"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--proxy", "127.0.0.1:"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--proxy", "127.0.0.1:80x"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--user-agent"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--site"}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--user-agent="}).error, "");
    EXPECT_NE(ParseCommandLine({"harvio", "--user-agent", "A\r\nX-Injected: 1"}).error, "");
}

TEST(CaFileSettingTest, TakesTheKeyBeforeAnySectionWithRelativePathsFromTheIniFolder) {
    TempDir dir;
    const auto iniWith = [&dir](const std::string& text) {
        std::ofstream(dir.File("harvio.ini")) << text;
        return QString::fromStdString(dir.File("harvio.ini").string());
    };
    EXPECT_EQ(ConfiguredCaFile(QString::fromStdString(dir.File("none.ini").string())), "");
    EXPECT_EQ(ConfiguredCaFile(iniWith("caFile=\n[WebSearch]\nBaseAddress=http://a.test\n")), "");
    EXPECT_EQ(ConfiguredCaFile(iniWith("[WebSearch]\ncaFile=/etc/ca.pem\n")), "");
    EXPECT_EQ(ConfiguredCaFile(iniWith("caFile=/etc/company/ca.pem\n")), "/etc/company/ca.pem");
    EXPECT_EQ(ConfiguredCaFile(iniWith("; proxy CA\ncaFile = certs/proxy.pem\n[WebSearch]\n")),
              (dir.Path() / "certs/proxy.pem").string());
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(ConfiguredCaFile(QString::fromUtf8(source) + "/config/harvio.ini"), "");
}

TEST(UserAgentSettingTest, TakesTheWholeLineOfTheKeyBeforeAnySection) {
    TempDir dir;
    const std::string chrome =
        "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0";
    const struct {
        std::string ini;
        std::string userAgent;
    } cases[] = {
        {"userAgent=\n[WebSearch]\n", ""},
        {"[WebSearch]\nuserAgent=Other/1\n", ""},
        {"; the agent\ncaFile=\nuserAgent=" + chrome + "\n[WebSearch]\n", chrome},
        {"userAgent = \"" + chrome + "\"\r\n", chrome},
        {"userAgent=\xE6\xB5\x8B\xE8\xAF\x95/1", "\xE6\xB5\x8B\xE8\xAF\x95/1"},
    };
    for (const auto& setting : cases) {
        std::ofstream(dir.File("harvio.ini")) << setting.ini;
        EXPECT_EQ(ConfiguredUserAgent(QString::fromStdString(dir.File("harvio.ini").string())),
                  setting.userAgent)
            << setting.ini;
    }
    EXPECT_EQ(ConfiguredUserAgent(QString::fromStdString(dir.File("none.ini").string())), "");
    EXPECT_EQ(ConfiguredUserAgent(QString::fromUtf8(std::getenv("HARVIO_SOURCE_DIR")) + "/config/harvio.ini"),
              "");
}

}  // namespace
