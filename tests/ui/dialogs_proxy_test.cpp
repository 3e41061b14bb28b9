#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "http/proxy_settings.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/dlg_set_http.h"
#include "ui/dialogs/saved_proxy.h"
#include "ui/dialogs/web_lookup_settings.h"
#include "ui/support/installed_program.h"
#include "ui/support/ui_test_support.h"

namespace {

class ProxyDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void SetUp() override {
        proxyAddress.Set("");
        proxyPortText.Set("");
        SetNextMessageAnswers({});
        dialog = std::make_unique<DLG_SetHttp>([this] { ++untickCount; });
        dialog->show();
        address = dialog->findChild<QLineEdit*>("address");
        port = dialog->findChild<QLineEdit*>("port");
        ok = dialog->findChild<QPushButton*>("ok");
        cancel = dialog->findChild<QPushButton*>("cancel");
        ASSERT_TRUE(address && port && ok && cancel);
    }
    void TearDown() override { StopScriptingMessageBoxes(); }

    // Types the entry, presses OK; the messages shown.
    std::vector<QString> Enter(const QString& addressText, const QString& portText) {
        address->setText(addressText);
        port->setText(portText);
        ok->click();
        return TakeShownMessages();
    }

    void ExpectRefused(const QString& addressText, const QString& portText, const char* message,
                       QLineEdit* box) {
        SCOPED_TRACE((addressText + " / " + portText).toStdString());
        EXPECT_EQ(Enter(addressText, portText), std::vector<QString>{QString::fromUtf8(message)});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), box);
        // The entry was stored, as GBK, before it was checked.
        EXPECT_EQ(proxyAddress.Get(), QByteArray(QStringEncoder("GBK")(addressText)).toStdString());
        EXPECT_EQ(proxyPortText.Get(), QByteArray(QStringEncoder("GBK")(portText)).toStdString());
    }

    std::unique_ptr<DLG_SetHttp> dialog;
    QLineEdit* address = nullptr;
    QLineEdit* port = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    int untickCount = 0;
};

TEST_F(ProxyDialogTest, ShowsTheProxyTypeAndEmptyBoxes) {
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("设置代理"));
    auto* type = dialog->findChild<QComboBox*>("proxyType");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->count(), 1);
    EXPECT_EQ(type->currentText(), QString::fromUtf8("HTTP代理"));
    EXPECT_TRUE(address->text().isEmpty());
    EXPECT_TRUE(port->text().isEmpty());
}

TEST_F(ProxyDialogTest, DottedAddressAndDigitPortAreStoredAndClose) {
    EXPECT_TRUE(Enter("1.2.3.4", "8080").empty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(proxyAddress.Get(), "1.2.3.4");
    EXPECT_EQ(proxyPortText.Get(), "8080");
    EXPECT_EQ(untickCount, 0);
}

TEST_F(ProxyDialogTest, GroupSizeIsNotLimited) {
    EXPECT_TRUE(Enter("999.0.0.1", "99999999").empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(ProxyDialogTest, EnterInABoxPressesOk) {
    address->setText("10.0.0.1");
    port->setText("3128");
    QTest::keyClick(port, Qt::Key_Return);
    EXPECT_TRUE(TakeShownMessages().empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(proxyPortText.Get(), "3128");
}

TEST_F(ProxyDialogTest, AddressWithoutEnoughDotsIsRefused) {
    ExpectRefused("1.2.3", "8080", "请正确输入地址！", address);
    ExpectRefused("localhost", "8080", "请正确输入地址！", address);
}

TEST_F(ProxyDialogTest, AddressGroupsMustBeDigits) {
    for (const char* text : {"1.2.3.4.5", "1..2.3", "a.b.c.d", " 1.2.3.4", "1.2.3.4 ", "1.2.3.", ".1.2.3",
                             "1.2.3.-4", "１.2.3.4"})
        ExpectRefused(QString::fromUtf8(text), "8080", "请输入以数字组成的地址！", address);
}

TEST_F(ProxyDialogTest, EmptyAddressIsRefusedWhateverThePort) {
    ExpectRefused("", "8080", "请输入地址！", address);
    ExpectRefused("", "", "请输入地址！", address);
}

TEST_F(ProxyDialogTest, PortMustBeDigits) {
    ExpectRefused("1.2.3.4", "", "请输入端口号！", port);
    ExpectRefused("1.2.3.4", "80a", "请输入以数字组成的端口号！", port);
    ExpectRefused("1.2.3.4", " 80", "请输入以数字组成的端口号！", port);
    ExpectRefused("1.2.3.4", "-80", "请输入以数字组成的端口号！", port);
}

TEST_F(ProxyDialogTest, CancelAfterARefusalKeepsTheTextsAndUnticks) {
    ExpectRefused("1.2.3", "80a", "请正确输入地址！", address);
    cancel->click();
    EXPECT_EQ(untickCount, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(proxyAddress.Get(), "1.2.3");
    EXPECT_EQ(proxyPortText.Get(), "80a");
}

TEST_F(ProxyDialogTest, EscapeAndTheCloseBoxUntickToo) {
    QTest::keyClick(address, Qt::Key_Escape);
    EXPECT_EQ(untickCount, 1);
    EXPECT_FALSE(dialog->isVisible());
    dialog->show();
    dialog->close();
    EXPECT_EQ(untickCount, 2);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// Run from the build folder nothing of the entry is kept anywhere: it lasts for the process.
TEST_F(ProxyDialogTest, TheBuildFolderKeepsNoEntryForTheNextStart) {
    ASSERT_FALSE(ProxyValuesAreSaved());
    EXPECT_TRUE(Enter("1.2.3.4", "8080").empty());
    EXPECT_EQ(LoadSavedProxy(), std::nullopt);
    EXPECT_FALSE(SaveProxy({"1.2.3.4", "8080"}));
}

// Installed, an accepted entry goes into the user's own settings file for the next start.
class SavedProxyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void SetUp() override {
        proxyAddress.Set("");
        proxyPortText.Set("");
    }
    void TearDown() override {
        StopScriptingMessageBoxes();
        proxyAddress.Set("");
        proxyPortText.Set("");
    }

    // A new dialog with the entry typed and OK pressed; the messages shown. The dialog's boxes as
    // they started go to `shownFirst`.
    std::vector<QString> Enter(const char* addressText, const char* portText,
                               QStringList* shownFirst = nullptr) {
        SetNextMessageAnswers({});
        DLG_SetHttp dialog([] {});
        auto* address = dialog.findChild<QLineEdit*>("address");
        auto* port = dialog.findChild<QLineEdit*>("port");
        if (shownFirst) *shownFirst = {address->text(), port->text()};
        address->setText(QString::fromUtf8(addressText));
        port->setText(QString::fromUtf8(portText));
        dialog.findChild<QPushButton*>("ok")->click();
        return TakeShownMessages();
    }

    std::string UserSettings() const { return ReadFile(installed.UserConfig() / "harvio.ini"); }

    InstalledProgram installed;
};

TEST_F(SavedProxyTest, AnAcceptedEntryIsKeptBesideTheShippedSettingsAndShownNextTime) {
    const std::string shipped = ReadFile(installed.Shipped() / "harvio.ini");
    QStringList shownFirst;
    EXPECT_TRUE(Enter("10.1.2.3", "3128", &shownFirst).empty());
    EXPECT_EQ(shownFirst, (QStringList{"", ""}));
    EXPECT_EQ(ReadFile(installed.Shipped() / "harvio.ini"), shipped);
    const std::string user = UserSettings();
    EXPECT_NE(user.find("[Proxy]"), std::string::npos) << user;
    // The shipped settings came along into the user's file, which now stands for both.
    EXPECT_EQ(LoadWebLookupSettings().smsPlatformBase, "http://sms.example.com");
    EXPECT_NE(user.find("BaseAddress=http://www.baidu.com"), std::string::npos) << user;
    EXPECT_EQ(std::filesystem::status(installed.UserConfig() / "harvio.ini").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::optional<SavedProxy> saved = LoadSavedProxy();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->address, "10.1.2.3");
    EXPECT_EQ(saved->portText, "3128");

    // The next dialog shows the stored values; a refused entry is not kept.
    EXPECT_EQ(Enter("10.1.2", "3128", &shownFirst).size(), 1u);
    EXPECT_EQ(shownFirst, (QStringList{"10.1.2.3", "3128"}));
    EXPECT_EQ(LoadSavedProxy()->address, "10.1.2.3");
    EXPECT_TRUE(Enter("10.9.9.9", "8080").empty());
    EXPECT_EQ(LoadSavedProxy()->portText, "8080");
}

TEST_F(SavedProxyTest, AnEntryThatCannotBeKeptStillServesThisRunAndSaysSo) {
    std::filesystem::create_directories(installed.UserConfig().parent_path());
    std::ofstream(installed.UserConfig()) << "a file where the folder should be";
    const std::vector<QString> shown = Enter("10.1.2.3", "3128");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith(QString::fromUtf8("代理设置只在本次运行有效：无法保存到 ")))
        << shown[0].toStdString();
    EXPECT_EQ(proxyAddress.Get(), "10.1.2.3");
    EXPECT_EQ(LoadSavedProxy(), std::nullopt);
}

TEST(IsAllDigitsTest, OnlyNonEmptyAsciiDigits) {
    EXPECT_TRUE(IsAllDigits("0"));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("12 "));
    EXPECT_FALSE(IsAllDigits("/"));  // the byte before '0'
    EXPECT_FALSE(IsAllDigits(":"));  // the byte after '9'
    EXPECT_FALSE(
        IsAllDigits(std::string("1\0"
                                "2",
                                3)));
    EXPECT_FALSE(IsAllDigits("\xA3\xB1"));  // a full-width digit in GBK
}

}  // namespace
