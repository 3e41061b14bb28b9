// Message boxes and standard dialogs speak Chinese: with Qt's own translation loaded, and with
// the button texts set by the program where the translation file is missing. The fallback runs
// first, while no translation is installed in this test program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/chinese_translation.h"
#include "platform/qt/message_box.h"
#include "ui/support/ui_test_support.h"

namespace {

struct ShownBox {
    QStringList buttons;
    QString defaultButton;
};

// Shows a real box and reads its buttons once it is up, then presses the default button.
ShownBox ShowAndRead(MessageButtons buttons, MessageAnswer* answer) {
    ShownBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
        seen.buttons.sort();
        if (QPushButton* chosen = box->defaultButton()) {
            seen.defaultButton = chosen->text();
            chosen->click();
        } else {
            box->buttons().front()->click();
        }
    });
    *answer = ShowMessageBox(nullptr, QStringLiteral("点击「是」继续"), buttons);
    return seen;
}

// "是(&Y)" and "是" both name the button 是.
QStringList Plain(QStringList texts) {
    for (QString& text : texts) text = text.left(text.indexOf(u'('));
    return texts;
}

class ChineseButtonsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
};

TEST_F(ChineseButtonsTest, WithoutTheTranslationTheBoxesNameTheirButtonsThemselves) {
    ASSERT_FALSE(ChineseTranslationInstalled());
    MessageAnswer answer;
    ShownBox question = ShowAndRead(MessageButtons::YesNo, &answer);
    EXPECT_EQ(question.buttons, (QStringList{QString::fromUtf8("否"), QString::fromUtf8("是")}));
    EXPECT_EQ(question.defaultButton, QString::fromUtf8("是"));
    EXPECT_EQ(answer, MessageAnswer::Yes);
    EXPECT_EQ(ShowAndRead(MessageButtons::Ok, &answer).buttons, QStringList{QString::fromUtf8("确定")});
}

TEST_F(ChineseButtonsTest, QtsOwnTranslationNamesTheButtonsAndTheStandardTexts) {
    ASSERT_TRUE(InstallChineseTranslation(*QApplication::instance()))
        << "qt6-translations-l10n provides qtbase_zh_CN.qm";
    MessageAnswer answer;
    ShownBox question = ShowAndRead(MessageButtons::YesNo, &answer);
    EXPECT_EQ(Plain(question.buttons), (QStringList{QString::fromUtf8("否"), QString::fromUtf8("是")}));
    EXPECT_EQ(answer, MessageAnswer::Yes);
    EXPECT_EQ(Plain(ShowAndRead(MessageButtons::Ok, &answer).buttons),
              QStringList{QString::fromUtf8("确定")});
    // Every standard dialog and menu takes its texts from the same catalogue.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "&Save"), QStringLiteral("&Save"));
}

}  // namespace
