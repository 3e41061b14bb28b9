#include "platform/browser_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A stand-in browser: every call leaves one file holding its argument count and its first
// argument, moved into place whole so a reader never sees half of it.
constexpr const char* kRecorderScript =
    "#!/bin/sh\n"
    "out=\"$(dirname \"$0\")/calls\"\n"
    "printf '%s\\n%s' \"$#\" \"$1\" > \"$out/.part-$$\"\n"
    "mv \"$out/.part-$$\" \"$out/call-$$\"\n";

class BrowserLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/harvio-browser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        fs::create_directory(directory / "calls");
        recorder = (directory / "record-browser").string();
        std::ofstream(recorder) << kRecorderScript;
        chmod(recorder.c_str(), 0755);
        const char* old = std::getenv("BROWSER");
        hadBrowser = old != nullptr;
        if (old) oldBrowser = old;
        setenv("BROWSER", recorder.c_str(), 1);
        oldLocale = std::setlocale(LC_CTYPE, nullptr);
    }
    void TearDown() override {
        if (hadBrowser)
            setenv("BROWSER", oldBrowser.c_str(), 1);
        else
            unsetenv("BROWSER");
        std::setlocale(LC_CTYPE, oldLocale.c_str());
        fs::remove_all(directory);
    }

    // Waits (bounded) until the recorder has been called `count` times; returns the calls.
    std::multiset<std::string> WaitForCalls(size_t count) {
        std::multiset<std::string> calls;
        for (int attempt = 0; attempt < 500; ++attempt) {
            calls.clear();
            for (const auto& entry : fs::directory_iterator(directory / "calls")) {
                if (entry.path().filename().string().rfind("call-", 0) != 0) continue;
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream text;
                text << in.rdbuf();
                calls.insert(text.str());
            }
            if (calls.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return calls;
    }

    fs::path directory;
    std::string recorder;
    bool hadBrowser = false;
    std::string oldBrowser;
    std::string oldLocale;
};

TEST_F(BrowserLaunchTest, HandsTheAddressAsOneArgumentWithoutAnyShell) {
    fs::path touched1 = directory / "touched1";
    fs::path touched2 = directory / "touched2";
    std::string hostile1 = "http://example.com/a b; touch " + touched1.string();
    std::string hostile2 =
        "http://example.com/$(touch " + touched2.string() + ")`touch " + touched2.string() + "`|&>'\"";
    ASSERT_TRUE(LaunchBrowser(hostile1));
    ASSERT_TRUE(LaunchBrowser(hostile2));
    std::multiset<std::string> calls = WaitForCalls(2);
    EXPECT_EQ(calls, (std::multiset<std::string>{"1\n" + hostile1, "1\n" + hostile2}));
    EXPECT_FALSE(fs::exists(touched1));
    EXPECT_FALSE(fs::exists(touched2));
}

TEST_F(BrowserLaunchTest, ConvertsGbkToTheLocaleEncoding) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    // "公司" in GBK, then in UTF-8.
    const std::string gbk = "http://s.example/s?wd=\xB9\xAB\xCB\xBE";
    const std::string utf8 = "http://s.example/s?wd=\xE5\x85\xAC\xE5\x8F\xB8";
    EXPECT_EQ(AddressInLocaleEncoding(gbk), utf8);
    ASSERT_TRUE(LaunchBrowser(gbk));
    EXPECT_EQ(WaitForCalls(1), (std::multiset<std::string>{"1\n" + utf8}));
}

TEST_F(BrowserLaunchTest, PassesBytesUnchangedWhenTheyCannotBeConverted) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const std::string broken = "http://x.example/\xFF\xFF";  // not GBK
    EXPECT_EQ(AddressInLocaleEncoding(broken), broken);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string chinese = "http://x.example/\xB9\xAB";  // GBK, not ASCII
    EXPECT_EQ(AddressInLocaleEncoding(chinese), chinese);
    EXPECT_EQ(AddressInLocaleEncoding("http://x.example/a"), "http://x.example/a");
}

TEST_F(BrowserLaunchTest, BrowserVariableIsOneProgramPathOrAColonList) {
    // A value with a space is one path, not a command line.
    setenv("BROWSER", (recorder + " --new-window").c_str(), 1);
    EXPECT_EQ(FindBrowserProgram(), "");
    EXPECT_FALSE(LaunchBrowser("http://x.example/"));

    setenv("BROWSER", ("/nonexistent/browser:" + recorder).c_str(), 1);
    EXPECT_EQ(FindBrowserProgram(), recorder);

    // A directory or a file without execute permission is no browser.
    std::string plain = (directory / "plain").string();
    std::ofstream(plain) << "#!/bin/sh\n";
    setenv("BROWSER", (directory.string() + ":" + plain).c_str(), 1);
    EXPECT_EQ(FindBrowserProgram(), "");
}

TEST_F(BrowserLaunchTest, NamesWithoutSlashAreLookedUpInPath) {
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", ("/nonexistent:" + directory.string()).c_str(), 1);
    setenv("BROWSER", "record-browser", 1);
    EXPECT_EQ(FindBrowserProgram(), recorder);

    // Without $BROWSER the usual openers are looked for; here PATH holds none of them.
    unsetenv("BROWSER");
    EXPECT_EQ(FindBrowserProgram(), "");
    EXPECT_FALSE(LaunchBrowser("http://x.example/"));
    fs::copy_file(recorder, directory / "xdg-open");
    chmod((directory / "xdg-open").c_str(), 0755);
    EXPECT_EQ(FindBrowserProgram(), (directory / "xdg-open").string());
    setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(BrowserLaunchTest, LeavesNoChildBehind) {
    ASSERT_TRUE(LaunchBrowser("http://x.example/1"));
    WaitForCalls(1);
    // The middle child was reaped by LaunchBrowser and the browser is not ours: no child remains.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
