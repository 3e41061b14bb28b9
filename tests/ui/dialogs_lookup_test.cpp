#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>
#include <chrono>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/project_version.h"
#include "support/temp_dir.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/dlg_information.h"
#include "ui/dialogs/sms_login.h"
#include "ui/dialogs/web_lookups.h"
#include "ui/support/ui_test_support.h"

namespace fs = std::filesystem;

namespace {

QByteArray Gbk(const char* utf8) {
    return QStringEncoder("GBK")(QString::fromUtf8(utf8));
}

class LookupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void SetUp() override { SetNextMessageAnswers({}); }
    void TearDown() override { StopScriptingMessageBoxes(); }

    BrowserOpener Recorder() {
        return [this](const QByteArray& address) { opened.append(address); };
    }

    QList<QByteArray> opened;
};

TEST_F(LookupTest, WebSearchPutsTheNameUnchangedAfterWd) {
    WebLookupSettings settings;
    settings.webSearchBase = "http://search.example";
    const QByteArray name = Gbk("杭州 某某 \"五金\" 有限公司&x=1");
    OnWebSearch(nullptr, name, settings, Recorder());
    EXPECT_EQ(opened, QList<QByteArray>{"http://search.example/s?wd=" + name});
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(LookupTest, WebSearchWithoutANameOnlySaysSo) {
    OnWebSearch(nullptr, QByteArray(), WebLookupSettings(), Recorder());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{QString::fromUtf8("无公司信息！")});
}

TEST_F(LookupTest, WebSiteTextLosesItsFirstByteAndSplitsAtEverySpace) {
    OnOpenWebSite(" http://a.example http://b.example", Recorder());
    EXPECT_EQ(opened, (QList<QByteArray>{"http://a.example", "http://b.example"}));
    opened.clear();
    OnOpenWebSite("http://a.example", Recorder());
    EXPECT_EQ(opened, QList<QByteArray>{"ttp://a.example"});
    opened.clear();
    // Two spaces give an empty part; parts of 3 bytes are the shortest opened.
    OnOpenWebSite("  abc  de f www.c.cn ", Recorder());
    EXPECT_EQ(opened, (QList<QByteArray>{"abc", "www.c.cn"}));
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(LookupTest, WebSiteTextWithOnlyShortPartsOpensNothing) {
    for (const char* text : {"", " ", "x", " ab cd", "      ", "\xB9\xAB"}) OnOpenWebSite(text, Recorder());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(LookupTest, SettingsFallBackToDefaultsAndTakeTheFileValues) {
    TempDir directory;
    const WebLookupSettings defaults;
    WebLookupSettings missing =
        LoadWebLookupSettings(QString::fromStdString(directory.File("none.ini").string()));
    EXPECT_EQ(missing.webSearchBase, defaults.webSearchBase);
    EXPECT_EQ(missing.smsPlatformBase, defaults.smsPlatformBase);
    EXPECT_EQ(missing.serviceTelephone, defaults.serviceTelephone);
    EXPECT_EQ(missing.serviceQq, defaults.serviceQq);

    fs::create_directory(directory.File("config"));
    std::ofstream(directory.File("config") / "harvio.ini")
        << "; comment\n[WebSearch]\nBaseAddress=http://web.example//\n"
           "[SmsPlatform]\nBaseAddress=\nServiceTelephone=0571-1, 0571-2\nServiceQQ=12345\n";
    SetProgramDirectoryForTesting(directory.Path().string());
    WebLookupSettings read = LoadWebLookupSettings();
    SetProgramDirectoryForTesting("");
    EXPECT_EQ(read.webSearchBase, "http://web.example");
    EXPECT_EQ(read.smsPlatformBase, defaults.smsPlatformBase);  // empty value
    EXPECT_EQ(read.serviceTelephone, "0571-1, 0571-2");
    EXPECT_EQ(read.serviceQq, "12345");
}

TEST_F(LookupTest, ShippedSettingsFileHoldsTheDefaults) {
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    WebLookupSettings shipped = LoadWebLookupSettings(QString::fromUtf8(source) + "/config/harvio.ini");
    const WebLookupSettings defaults;
    EXPECT_EQ(shipped.webSearchBase, defaults.webSearchBase);
    EXPECT_EQ(shipped.smsPlatformBase, defaults.smsPlatformBase);
    EXPECT_EQ(shipped.serviceTelephone, defaults.serviceTelephone);
    EXPECT_EQ(shipped.serviceQq, defaults.serviceQq);
}

class SmsLoginTest : public LookupTest {
protected:
    void SetUp() override {
        LookupTest::SetUp();
        settings.smsPlatformBase = "http://sms.test";
        settings.serviceTelephone = "0571-88888888";
        settings.serviceQq = "123456";
        dialog = std::make_unique<SMSLogin>(settings, Recorder());
        dialog->show();
        account = dialog->findChild<QLineEdit*>("account");
        password = dialog->findChild<QLineEdit*>("password");
        ASSERT_TRUE(account && password);
    }

    WebLookupSettings settings;
    std::unique_ptr<SMSLogin> dialog;
    QLineEdit* account = nullptr;
    QLineEdit* password = nullptr;
};

TEST_F(SmsLoginTest, EnterWithBothBoxesFilledOpensTheLogInPageAndCloses) {
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Quorvan-短信登录"));
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    account->setText(QString::fromUtf8("张三"));
    password->setText("p w/d");
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(opened, QList<QByteArray>{"http://sms.test/login/index/types/0/acc/" + Gbk("张三") +
                                        "/unitid/3055/password/p w/d/ran/plokij"});
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(SmsLoginTest, AnEmptyBoxMakesLogInDoNothing) {
    auto* login = dialog->findChild<QPushButton*>("login");
    ASSERT_NE(login, nullptr);
    account->setText("user");
    QTest::keyClick(account, Qt::Key_Return);
    account->clear();
    password->setText("secret");
    login->click();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(SmsLoginTest, NewAccountNamesTheServiceAndStaysOpen) {
    auto* newAccount = dialog->findChild<QPushButton*>("newAccount");
    ASSERT_NE(newAccount, nullptr);
    newAccount->click();
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{QString::fromUtf8(
                                       "新用户开户请联系『Quorvan』短信开户客服。\n客服电话：0571-88888888\n"
                                       "客服  QQ：123456")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(SmsLoginTest, CancelOpensNothing) {
    account->setText("user");
    password->setText("secret");
    dialog->findChild<QPushButton*>("cancel")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(opened.isEmpty());
}

std::set<QString> LabelTexts(const QWidget& widget) {
    std::set<QString> texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts.insert(label->text());
    return texts;
}

TEST_F(LookupTest, NotesShowExactlyTheTwoNumberedNotes) {
    DlgInformation notes;
    EXPECT_EQ(notes.windowTitle(), QString::fromUtf8("软件说明"));
    EXPECT_EQ(
        LabelTexts(notes),
        (std::set<QString>{
            QString::fromUtf8("软件说明"), QString::fromUtf8("软件说明："),
            QString::fromUtf8(
                "1、本软件支持关键字、地区、行业，经营模式四个可选条件，关键字只支持产品和行业关键字。"),
            QString::fromUtf8("2、请勿使用笼统、模糊关键字，如“公司”、“产品”、“汽配”、“医疗器械”此类。")}));
    auto buttons = notes.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QString::fromUtf8("确定"));
    notes.show();
    buttons[0]->click();
    EXPECT_FALSE(notes.isVisible());
    // The template is wider than tall (285 x 174 units).
    EXPECT_GT(notes.width(), notes.height());
}

TEST_F(LookupTest, AboutBoxShowsIconVersionAndOk) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("关于「Quorvan」"));
    EXPECT_TRUE(LabelTexts(about).count("Quorvan V2.4 "));
    // The build's version under it, as the project names it.
    ASSERT_FALSE(ProjectVersion().empty());
    EXPECT_TRUE(
        LabelTexts(about).count(QString::fromUtf8("版本 ") + QString::fromStdString(ProjectVersion())));
    bool hasIcon = false;
    for (const QLabel* label : about.findChildren<QLabel*>()) hasIcon |= !label->pixmap().isNull();
    EXPECT_TRUE(hasIcon);
    auto buttons = about.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QString::fromUtf8("确定"));
    about.show();
    buttons[0]->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

// The look-ups through the real browser start, with $BROWSER a script that records each call.
class BrowserLookupTest : public LookupTest {
protected:
    void SetUp() override {
        LookupTest::SetUp();
        fs::create_directory(directory.File("calls"));
        const std::string recorder = directory.File("record-browser").string();
        std::ofstream(recorder) << "#!/bin/sh\n"
                                   "out=\"$(dirname \"$0\")/calls\"\n"
                                   "printf '%s\\n%s' \"$#\" \"$1\" > \"$out/.part-$$\"\n"
                                   "mv \"$out/.part-$$\" \"$out/call-$$\"\n";
        chmod(recorder.c_str(), 0755);
        const char* old = std::getenv("BROWSER");
        if (old) oldBrowser = old;
        hadBrowser = old != nullptr;
        setenv("BROWSER", recorder.c_str(), 1);
        oldLocale = std::setlocale(LC_CTYPE, nullptr);
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    void TearDown() override {
        if (hadBrowser)
            setenv("BROWSER", oldBrowser.c_str(), 1);
        else
            unsetenv("BROWSER");
        std::setlocale(LC_CTYPE, oldLocale.c_str());
        LookupTest::TearDown();
    }

    // The recorded calls ("<argument count>\n<first argument>"), once `count` have arrived.
    std::multiset<std::string> WaitForCalls(size_t count) {
        std::multiset<std::string> calls;
        for (int attempt = 0; attempt < 500 && calls.size() < count; ++attempt) {
            calls.clear();
            for (const auto& entry : fs::directory_iterator(directory.File("calls"))) {
                if (entry.path().filename().string().rfind("call-", 0) != 0) continue;
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream text;
                text << in.rdbuf();
                calls.insert(text.str());
            }
            if (calls.size() < count) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return calls;
    }

    TempDir directory;
    bool hadBrowser = false;
    std::string oldBrowser;
    std::string oldLocale;
};

TEST_F(BrowserLookupTest, CompanyNameCanNeverRunACommand) {
    const std::string touched = directory.File("touched").string();
    const QByteArray name = Gbk("公司") + "; touch " + QByteArray::fromStdString(touched) + " $(touch " +
                            QByteArray::fromStdString(touched) + ")";
    WebLookupSettings settings;
    settings.webSearchBase = "http://search.example";
    OnWebSearch(nullptr, name, settings);
    EXPECT_EQ(WaitForCalls(1), std::multiset<std::string>{"1\nhttp://search.example/s?wd=公司; touch " +
                                                          touched + " $(touch " + touched + ")"});
    EXPECT_FALSE(fs::exists(touched));
}

TEST_F(BrowserLookupTest, EveryWebAddressGetsItsOwnBrowserCall) {
    OnOpenWebSite(" http://a.example/`id` http://b.example/|x");
    EXPECT_EQ(WaitForCalls(2),
              (std::multiset<std::string>{"1\nhttp://a.example/`id`", "1\nhttp://b.example/|x"}));
}

}  // namespace
