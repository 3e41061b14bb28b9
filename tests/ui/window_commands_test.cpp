// The main window's buttons for the exports, the web look-ups, the small dialogs and the proxy
// box: each reaches its part with the window's rows, detail pane, program directory and status
// line, and every dialog opens modally over the window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "app/harvio_dlg.h"
#include "http/proxy_settings.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/dlg_information.h"
#include "ui/dialogs/dlg_set_http.h"
#include "ui/dialogs/sms_login.h"
#include "ui/support/installed_program.h"
#include "ui/support/ui_test_support.h"

namespace {

CompanyRecord Company(const std::string& name, const std::string& fax, const std::string& mobile) {
    CompanyRecord record;
    record.compName = name;
    record.fax = fax;
    record.mobile = mobile;
    return record;
}

class WindowCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        window = std::make_unique<CHarvioDlg>();
        list = &window->ResultList();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        window.reset();
        StopScriptingMessageBoxes();
        SetProgramDirectoryForTesting("");
        unsetenv("BROWSER");
    }

    void Click(int id) { qobject_cast<QAbstractButton*>(window->Control(id))->click(); }
    QString Status() const { return qobject_cast<QLabel*>(window->Control(1037))->text(); }

    // Clicks the button; the modal dialog it opens is handed to `inspect` and then closed.
    // Returns the dialog's class name ("" when none opened).
    QString ClickForDialog(int id, const std::function<void(QDialog&)>& inspect = {}) {
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = dialog->metaObject()->className();
            EXPECT_EQ(dialog->parentWidget(), window.get()) << seen.toStdString();
            EXPECT_TRUE(dialog->isModal()) << seen.toStdString();
            if (inspect) inspect(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        Click(id);
        return seen;
    }

    // $BROWSER as a script that appends each argument it gets as a line to a file.
    std::filesystem::path RecordBrowserArguments() {
        const std::filesystem::path log = dir.File("browser.log");
        const std::filesystem::path script = dir.File("browser.sh");
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << log.string()
                              << "'; done\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        setenv("BROWSER", script.c_str(), 1);
        return log;
    }

    TempDir dir;
    std::unique_ptr<CHarvioDlg> window;
    CMyListCtrl* list = nullptr;
};

TEST_F(WindowCommandsTest, ExportButtonsWriteTheMarkedRowsIntoTheProgramDirectory) {
    window->AddCompanyRow(Company("Acme", "0571-1111", "13900000001"), 1);
    window->AddCompanyRow(Company("Bolt", "0571-2222", "13900000002"), 2);
    window->AddCompanyRow(Company("Cork", "0571-3333", "13900000003"), 3);
    list->SetCheck(0, true);
    list->SetCheck(2, true);

    SetNextMessageAnswers({MessageAnswer::Yes, MessageAnswer::Ok});
    Click(1009);
    EXPECT_EQ(ReadFile(dir.File("fax.txt")), "0571-1111\r\n0571-3333\r\n");
    SetNextMessageAnswers({MessageAnswer::Yes, MessageAnswer::Ok});
    Click(1010);
    EXPECT_EQ(ReadFile(dir.File("mobile.txt")), "13900000001\r\n13900000003\r\n");

    SetNextMessageAnswers({MessageAnswer::Yes});
    Click(1008);
    std::vector<std::filesystem::path> csvFiles;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().extension() == ".csv") csvFiles.push_back(entry.path());
    ASSERT_EQ(csvFiles.size(), 1u);
    const std::string csv = ReadFile(csvFiles[0]);
    EXPECT_NE(csv.find("Acme"), std::string::npos);
    EXPECT_EQ(csv.find("Bolt"), std::string::npos);
    EXPECT_NE(csv.find("Cork"), std::string::npos);
    // The report goes to the window's status line and names the file.
    EXPECT_TRUE(Status().contains(QString::fromStdString(csvFiles[0].string()))) << Status().toStdString();
    EXPECT_TRUE(TakeShownMessages().size() >= 3);
}

// Installed, the same buttons write into "Harvio" in the documents folder, made when first
// needed, and the save dialog of the right-click exports starts there.
TEST_F(WindowCommandsTest, InstalledTheExportsGoIntoTheDocumentsFolder) {
    InstalledProgram installed;
    window->AddCompanyRow(Company("Acme", "0571-1111", "13900000001"), 1);
    list->SetCheck(0, true);
    SetNextMessageAnswers({MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes});
    Click(1009);
    EXPECT_EQ(ReadFile(installed.Documents() / "fax.txt"), "0571-1111\r\n");
    Click(1008);
    EXPECT_TRUE(Status().contains(QString::fromStdString(installed.Documents().string())))
        << Status().toStdString();

    QString dialogFolder;
    QTimer::singleShot(0, [&dialogFolder] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialogFolder = dialog->directory().absolutePath();
            dialog->reject();
        }
    });
    SetNextMessageAnswers({MessageAnswer::Yes});
    window->OnExportUtf8Csv();
    EXPECT_EQ(dialogFolder, QString::fromStdString(installed.Documents().string()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("fax.txt")));
}

TEST_F(WindowCommandsTest, AnExportAnsweredNoWritesNothing) {
    window->AddCompanyRow(Company("Acme", "0571-1111", "13900000001"), 1);
    list->SetCheck(0, true);
    const QString status = Status();
    SetNextMessageAnswers({MessageAnswer::No, MessageAnswer::No, MessageAnswer::No});
    Click(1008);
    Click(1009);
    Click(1010);
    EXPECT_EQ(TakeShownMessages().size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("fax.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("mobile.txt")));
    EXPECT_EQ(Status(), status);
}

TEST_F(WindowCommandsTest, WebLookUpsUseTheShownCompanyAndTheConfiguredSearchAddress) {
    std::ofstream(dir.File("config") / "harvio.ini") << "[WebSearch]\nBaseAddress=http://search.example\n";
    const std::filesystem::path log = RecordBrowserArguments();

    // Nothing shown yet: the search refuses, opening the site does nothing.
    SetNextMessageAnswers({MessageAnswer::Ok});
    Click(1131);
    EXPECT_EQ(TakeShownMessages(), (std::vector<QString>{"无公司信息！"}));
    Click(1128);

    CompanyRecord record = Company("Acme", "", "");
    record.webSite = " http://acme.example http://shop.acme.example";
    window->AddCompanyRow(record, 1);
    window->OnResultDblClk(0);
    Click(1131);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log) == "http://search.example/s?wd=Acme\n"; }, 5000))
        << ReadFile(log);
    Click(1128);
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string lines = ReadFile(log);
            return lines.find("http://acme.example\n") != std::string::npos &&
                   lines.find("http://shop.acme.example\n") != std::string::npos;
        },
        5000))
        << ReadFile(log);
}

TEST_F(WindowCommandsTest, NotesSmsAndAboutOpenModallyOverTheWindow) {
    EXPECT_EQ(ClickForDialog(1127), "DlgInformation");
    EXPECT_EQ(ClickForDialog(1), "SMSLogin");

    // Enter in the keyword box is the same default command.
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = dialog->metaObject()->className();
            dialog->reject();
        }
    });
    window->Control(1001)->setFocus();
    QTest::keyClick(window->Control(1001), Qt::Key_Return);
    EXPECT_EQ(seen, "SMSLogin");

    seen.clear();
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = dialog->metaObject()->className();
            EXPECT_EQ(dialog->parentWidget(), window.get());
            dialog->reject();
        }
    });
    window->OnAboutBox();
    EXPECT_EQ(seen, "CAboutDlg");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowCommandsTest, TickingTheProxyBoxAsksForTheProxyAndCancelUnticksIt) {
    auto* proxyBox = qobject_cast<QCheckBox*>(window->Control(1038));
    proxyAddress.Set("10.0.0.1");
    proxyPortText.Set("3128");

    EXPECT_EQ(ClickForDialog(1038), "DLG_SetHttp");  // closed with Cancel
    EXPECT_FALSE(proxyBox->isChecked());
    EXPECT_EQ(proxyAddress.Get(), "10.0.0.1");

    EXPECT_EQ(ClickForDialog(1038,
                             [](QDialog& dialog) {
                                 dialog.findChild<QLineEdit*>("address")->setText("192.168.7.9");
                                 dialog.findChild<QLineEdit*>("port")->setText("8080");
                                 dialog.findChild<QPushButton*>("ok")->click();
                             }),
              "DLG_SetHttp");
    EXPECT_TRUE(proxyBox->isChecked());
    EXPECT_EQ(proxyAddress.Get(), "192.168.7.9");
    EXPECT_EQ(proxyPortText.Get(), "8080");

    // Unticking asks nothing and keeps the stored proxy.
    EXPECT_EQ(ClickForDialog(1038), "");
    EXPECT_FALSE(proxyBox->isChecked());
    EXPECT_EQ(proxyAddress.Get(), "192.168.7.9");
    EXPECT_EQ(useProxy.load(), 0);  // only a search start sets the switch
}

}  // namespace
