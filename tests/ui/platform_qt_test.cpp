#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/qt/message_box.h"
#include "platform/qt/skin.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/support/ui_test_support.h"

namespace {

class PlatformQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
    void TearDown() override {
        StopScriptingMessageBoxes();
        qApp->setStyleSheet(QString());
    }

    // Runs handle on the message box once it is up, from inside its own event loop.
    static void WhenBoxShows(std::function<void(QMessageBox*)> handle) {
        auto attempt = std::make_shared<std::function<void(int)>>();
        *attempt = [handle, attempt](int triesLeft) {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                handle(box);
            } else if (triesLeft > 0) {
                QTimer::singleShot(10, [attempt, triesLeft] { (*attempt)(triesLeft - 1); });
            }
        };
        QTimer::singleShot(0, [attempt] { (*attempt)(500); });
    }
};

const QString kAlreadyRunning =
    QString::fromUtf8("系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！");

TEST_F(PlatformQtTest, ScriptedAnswersAreGivenInOrderAndTextsRecordedExactly) {
    SetNextMessageAnswers({MessageAnswer::Yes, MessageAnswer::No});
    EXPECT_EQ(ShowMessageBox(nullptr, QString::fromUtf8("确定清除吗？"), MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(ShowMessageBox(nullptr, kAlreadyRunning, MessageButtons::YesNo), MessageAnswer::No);
    // With the script used up an OK box answers OK and a question is declined.
    EXPECT_EQ(ShowMessageBox(nullptr, "third", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(ShowMessageBox(nullptr, "fourth", MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "no box may be shown while scripted";

    std::vector<QString> shown = TakeShownMessages();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], QString::fromUtf8("确定清除吗？"));
    EXPECT_EQ(shown[1], kAlreadyRunning);
    EXPECT_EQ(shown[3], "fourth");
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(PlatformQtTest, ARealQuestionBoxCarriesTheCaptionAndPassesTheAnswerOn) {
    QString caption;
    QString text;
    int buttons = 0;
    WhenBoxShows([&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        buttons = box->buttons().size();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(ShowMessageBox(nullptr, kAlreadyRunning, MessageButtons::YesNo), MessageAnswer::Yes);
    EXPECT_EQ(caption, "Quorvan");
    EXPECT_EQ(buttons, 2);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("系统检测到您已经运行了该个程序。")));
    EXPECT_FALSE(text.contains(u'\r'));

    WhenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessageBox(nullptr, "close me", MessageButtons::YesNo), MessageAnswer::No);
}

TEST_F(PlatformQtTest, ARealReportBoxHasOnlyAnOkButton) {
    QList<QAbstractButton*> buttons;
    QString caption;
    WhenBoxShows([&](QMessageBox* box) {
        buttons = box->buttons();
        caption = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ShowMessageBox(nullptr, QString::fromUtf8("请以管理员权限运行此程序！"), MessageButtons::Ok),
              MessageAnswer::Ok);
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_EQ(caption, "Quorvan");
}

TEST_F(PlatformQtTest, ANonModalBoxReturnsAtOnceStaysBesideItsWindowAndGoesWhenClosed) {
    QWidget window;
    ShowNonModalMessageBox(&window, QStringLiteral("规则文件可能需要修改。"));
    QPointer<QMessageBox> box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->windowTitle(), "Quorvan");
    EXPECT_EQ(box->text(), QStringLiteral("规则文件可能需要修改。"));
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(WaitFor([&] { return box.isNull(); }, 5000));

    SetNextMessageAnswers({});
    ShowNonModalMessageBox(&window, "scripted");
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr);
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{"scripted"});
}

TEST_F(PlatformQtTest, ASkinFileRestylesTheWholeApplication) {
    TempDir directory;
    QString path = QString::fromStdString(directory.File("皮肤 QQ2009.she").string());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QPushButton { color: #123456; }");
    file.close();

    QPushButton button("x");
    button.ensurePolished();
    QColor before = button.palette().color(QPalette::ButtonText);
    ASSERT_NE(before, QColor(0x12, 0x34, 0x56));
    EXPECT_TRUE(SkinH_AttachEx(path.toLocal8Bit().constData(), ""));
    button.ensurePolished();
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), QColor(0x12, 0x34, 0x56));
}

TEST_F(PlatformQtTest, WithoutTheSkinFileTheWindowsKeepTheirLook) {
    qApp->setStyleSheet(QString());
    EXPECT_FALSE(SkinH_AttachEx("/nonexistent/place/QQ2009.she", ""));
    EXPECT_FALSE(SkinH_AttachEx("\\QQ2009.she", ""));
    EXPECT_FALSE(SkinH_AttachEx(nullptr, ""));
    TempDir directory;
    EXPECT_FALSE(SkinH_AttachEx(directory.Path().c_str(), ""));  // a directory is no skin
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(PlatformQtTest, TheShippedSkinIsAValidStyleSheet) {
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    if (source == nullptr) GTEST_SKIP() << "HARVIO_SOURCE_DIR not set (run through ctest)";
    static QStringList warnings;
    warnings.clear();
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type != QtDebugMsg) warnings.push_back(message);
        });
    QString skin = QString::fromLocal8Bit(source) + "/platform/qt/QQ2009.she";
    bool applied = SkinH_AttachEx(skin.toLocal8Bit().constData(), "");

    QGroupBox group(QString::fromUtf8("搜索条件"));
    QLineEdit edit(&group);
    QComboBox combo(&group);
    QPushButton button(QString::fromUtf8("开始搜索"), &group);
    CMyListCtrl list;
    for (QWidget* widget : std::initializer_list<QWidget*>{&group, &edit, &combo, &button, &list}) {
        widget->ensurePolished();
    }
    qInstallMessageHandler(previous);

    EXPECT_TRUE(applied);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    for (const QString& warning : warnings) ADD_FAILURE() << warning.toStdString();
    EXPECT_NE(button.palette().color(QPalette::ButtonText), QColor(Qt::black)) << "the skin styles buttons";
}

}  // namespace
