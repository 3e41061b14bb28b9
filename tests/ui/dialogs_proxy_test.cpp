#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>

#include "http/proxy_settings.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/dlg_set_http.h"
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
