// The main window as it opens: its controls and texts, the result columns, the keys that
// issue its commands, where the keyboard focus goes, and a picture of it for reviewers.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/harvio_dlg.h"
#include "app/search_progress_event.h"
#include "platform/program_directory.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "platform/qt/skin.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
    return bytes.toStdString();
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        window = std::make_unique<CHarvioDlg>();
        list = &window->ResultList();
        // Commands open their modal dialogs and message boxes; the tests here look only at
        // which command ran, so every box is answered and every dialog closed at once.
        SetNextMessageAnswers({});
        QObject::connect(&modalCloser, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
        });
        modalCloser.start(10);
    }

    void TearDown() override {
        StopScriptingMessageBoxes();
        window.reset();
        SetProgramDirectoryForTesting("");
    }

    void ShowWindow() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QString TextOf(int id) const {
        QWidget* control = window->Control(id);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        return QStringLiteral("<none>");
    }

    // The static texts of the window, in creation order.
    QStringList LabelTexts() const {
        QStringList texts;
        for (QLabel* label : window->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (label->objectName().isEmpty()) texts << label->text();
        }
        return texts;
    }

    TempDir dir;
    QTimer modalCloser;
    std::unique_ptr<CHarvioDlg> window;
    CMyListCtrl* list = nullptr;
};

TEST_F(MainWindowTest, CarriesItsCaptionFramesLabelsAndFirstTexts) {
    EXPECT_EQ(window->windowTitle(), "Quorvan—企业名录搜索");
    QStringList frames;
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) frames << frame->title();
    EXPECT_EQ(frames, (QStringList{"搜索条件", "搜索结果/状态", "详细信息"}));
    const QStringList labels = LabelTexts();
    for (const char* label :
         {"关 键 字",          "站    点",      "省    份", "城    市", "行    业", "经营模式",
          "公司数量/总页数约", "起始页/当前页", "公司名称", "公司地址", "公司简介", "主营产品",
          "联 系 人",          "邮    编",      "联系电话", "手机号码", "传    真", "网    址",
          "企业类型",          "成立时间",      "法人代表", "员工人数", "注册资本", "执行状态:"}) {
        EXPECT_TRUE(labels.contains(QString::fromUtf8(label))) << label;
    }
    EXPECT_EQ(labels.count("经营模式"), 2);  // a condition and a detail
    EXPECT_EQ(TextOf(1037), "欢迎使用『Quorvan』!");
    EXPECT_EQ(TextOf(1035), "0/0");
    EXPECT_EQ(TextOf(1036), "0/0");
    EXPECT_EQ(TextOf(1048), "");
}

TEST_F(MainWindowTest, HasEveryButtonWithItsIdAndText) {
    const std::pair<int, const char*> buttons[] = {
        {1006, "开始搜索"}, {1007, "停止搜索"}, {1008, "导出全部"}, {1009, "导出传真"},
        {1010, "导出手机"}, {1011, "清除结果"}, {1131, "百度"},     {1128, "打开"},
        {1, "短信"},        {1127, "软件说明"}, {2, "退出"},        {1040, "规则向导"}};
    for (const auto& [id, text] : buttons) {
        EXPECT_TRUE(qobject_cast<QPushButton*>(window->Control(id))) << id;
        EXPECT_EQ(TextOf(id), QString::fromUtf8(text)) << id;
    }
    EXPECT_TRUE(window->Control(1006)->isEnabled());
    // The window has no default push button: Enter belongs to the default command.
    for (QPushButton* button : window->findChildren<QPushButton*>()) EXPECT_FALSE(button->isDefault());
}

TEST_F(MainWindowTest, DetailBoxesAreReadOnlyAndTheProxyBoxIsHidden) {
    for (int id :
         {1013, 1014, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1029, 1030, 1031, 1032, 1033, 1034}) {
        auto* box = qobject_cast<QLineEdit*>(window->Control(id));
        ASSERT_TRUE(box) << id;
        EXPECT_TRUE(box->isReadOnly()) << id;
    }
    auto* introduction = qobject_cast<QPlainTextEdit*>(window->Control(1023));
    ASSERT_TRUE(introduction);
    EXPECT_TRUE(introduction->isReadOnly());
    EXPECT_EQ(introduction->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    ShowWindow();
    auto* proxy = qobject_cast<QCheckBox*>(window->Control(1038));
    ASSERT_TRUE(proxy);
    EXPECT_EQ(proxy->text(), "代理上网");
    EXPECT_FALSE(proxy->isVisible());
    EXPECT_FALSE(proxy->isChecked());
}

// The row number of the 100,000th row shows in full beside the check box, at the window's font.
TEST_F(MainWindowTest, TheNumberColumnShowsSixDigitsBesideTheCheckBox) {
    list->InsertItem(0, "100000");
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.font = list->font();
    option.fontMetrics = list->fontMetrics();
    option.rect = list->visualRect(list->model()->index(0, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("100000");
    const QRect text = list->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, list);
    EXPECT_EQ(option.fontMetrics.elidedText(option.text, Qt::ElideRight, text.width()), option.text)
        << "text room " << text.width();
}

TEST_F(MainWindowTest, ListsTheTwentyResultColumnsWithTitlesAlignmentsAndWidths) {
    ASSERT_EQ(list->model()->columnCount(), 20);
    const char* titles[] = {"序号",     "认证",     "公司名称", "联系人", "职务",     "电话",     "手机",
                            "传真",     "地址",     "邮编",     "网址",   "公司介绍", "主营产品", "主营行业",
                            "企业类型", "经营模式", "成立时间", "负责人", "员工人数", "注册资本"};
    for (int column = 0; column < 20; ++column) {
        EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[column]));
        // The number column is widened for six digits where the font needs it (see below).
        const int width = column == 0 ? 35 : column == 1 ? 45 : column == 2 ? 185 : 100;
        if (column == 0) {
            EXPECT_GE(list->horizontalHeader()->sectionSize(column), width);
        } else {
            EXPECT_EQ(list->horizontalHeader()->sectionSize(column), width) << column;
        }
        const auto alignment =
            Qt::Alignment(list->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, column == 0 ? Qt::AlignLeft : Qt::AlignHCenter)
            << column;
    }
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(MainWindowTest, IsAFixedSizeWindowWithAMinimiseButAnotMaximiseBox) {
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    // 463 x 395 dialog units of the window font.
    const QFontMetrics metrics(window->font());
    const int averageWidth =
        (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) +
         26) /
        52;
    EXPECT_NEAR(window->width(), 463 * averageWidth / 4, 2);
    EXPECT_NEAR(window->height(), 395 * metrics.height() / 8, 2);
    EXPECT_EQ(window->font().pointSize(), 9);
}

TEST_F(MainWindowTest, EveryControlLiesInsideTheWindowAndLabelsShowTheirWholeText) {
    const QRect client = window->rect();
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->objectName() == "1050") continue;  // the picture control shows nothing
        EXPECT_TRUE(client.contains(child->geometry())) << child->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
        if (auto* button = qobject_cast<QPushButton*>(child)) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
                << button->text().toStdString();
        }
    }
}

TEST_F(MainWindowTest, EnterInAnEditComboOrListIssuesTheDefaultCommand) {
    ShowWindow();
    QSignalSpy commands(window.get(), &CHarvioDlg::commandIssued);
    for (int id : {1001, 1003, 1027, 1005}) {
        window->Control(id)->setFocus();
        QTest::keyClick(window->Control(id), Qt::Key_Return);
        ASSERT_EQ(commands.size(), 1) << id;
        EXPECT_EQ(commands.takeFirst().at(0).toInt(), 1) << id;
    }
    window->Control(1001)->setFocus();
    QTest::keyClick(window->Control(1001), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands.takeFirst().at(0).toInt(), 1);
}

TEST_F(MainWindowTest, EnterOnAFocusedButtonPressesThatButton) {
    ShowWindow();
    QSignalSpy commands(window.get(), &CHarvioDlg::commandIssued);
    SetNextMessageAnswers({MessageAnswer::No});
    window->Control(1011)->setFocus();
    QTest::keyClick(window->Control(1011), Qt::Key_Return);
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands.takeFirst().at(0).toInt(), 1011);
    EXPECT_EQ(TakeShownMessages().size(), 1u);  // the clear question
}

TEST_F(MainWindowTest, ButtonsRunTheirHandlers) {
    QSignalSpy commands(window.get(), &CHarvioDlg::commandIssued);
    for (int id : {1006, 1007, 1008, 1009, 1010, 1131, 1128, 1127, 1, 1040}) {
        qobject_cast<QAbstractButton*>(window->Control(id))->click();
    }
    QList<int> ids;
    for (const QList<QVariant>& command : commands) ids << command.at(0).toInt();
    EXPECT_EQ(ids, (QList<int>{1006, 1007, 1008, 1009, 1010, 1131, 1128, 1127, 1, 1040}));
}

TEST_F(MainWindowTest, ShowingAndRestoringTheWindowFocusTheKeywordBox) {
    ShowWindow();
    EXPECT_EQ(window->focusWidget(), window->Control(1001));
    list->setFocus();
    window->setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(window->focusWidget(), window->Control(1001));
    list->setFocus();
    window->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(window->focusWidget(), window->Control(1001));
}

TEST_F(MainWindowTest, ARowOrAStatusTextBeingDrawnLeavesTheFocusWhereItIs) {
    ShowWindow();
    list->setFocus();
    ASSERT_EQ(window->focusWidget(), list);
    CompanyRecord record;
    record.compName = Gbk("公司");
    window->AddCompanyRow(record, 1);
    window->SetStatusText(QStringLiteral("正在搜索中···"));
    qobject_cast<QLabel*>(window->Control(1035))->setText("10/2");
    window->repaint();  // the whole window painted again, as after a row arrives
    QCoreApplication::processEvents();
    EXPECT_EQ(window->focusWidget(), list);
}

TEST_F(MainWindowTest, TakesTheProgressMessageAsAnEventOfItsOwn) {
    EXPECT_EQ(WM_SEARCH_PROGRESS, QEvent::User + 1);
    SearchProgressEvent progress(kProgressRowAdded);
    EXPECT_EQ(progress.wParam, 3);
    EXPECT_EQ(progress.lParam, 3);
    EXPECT_TRUE(QCoreApplication::sendEvent(window.get(), &progress));
}

TEST_F(MainWindowTest, ARightClickOnAnEmptyAreaOffersTheAboutItem) {
    ShowWindow();
    QStringList offered;
    QTimer::singleShot(0, [&offered] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) offered << action->text();
            menu->close();
        }
    });
    // On a frame, which has no menu of its own, so the window's is offered.
    QGroupBox* frame = window->findChildren<QGroupBox*>().front();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), frame->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(frame, &click);
    EXPECT_EQ(offered, QStringList{"关于 Harvio(&A)..."});
}

// The window with five rows, the first shown in the detail pane, saved as a picture.
void PictureWindow(CHarvioDlg& window, const char* fileName) {
    const char* names[] = {"杭州明亮照明有限公司", "宁波海天塑机集团有限公司", "温州市正泰电器股份有限公司",
                           "嘉兴华美服饰有限公司", "绍兴纺织印染厂"};
    CMyListCtrl& list = window.ResultList();
    for (int i = 0; i < 5; ++i) {
        CompanyRecord record;
        record.validate = i % 2 == 0 ? 1 : 0;
        record.compName = Gbk(names[i]);
        record.contact = Gbk(i == 1 ? "李先生（销售经理） " : "王女士 经理");
        record.phone = Gbk("86-571-8888666") + std::to_string(i);
        record.mobile = "1390000111" + std::to_string(i);
        record.fax = "0571-8888667" + std::to_string(i);
        record.address = Gbk("浙江省杭州市西湖区文三路100号");
        record.zipCode = "310012";
        record.webSite = " http://www.example.com";
        record.compIntroduce =
            Gbk("本公司是一家专业生产LED照明产品的企业，产品远销欧美。"
                "公司拥有先进的生产设备和完善的质量管理体系，欢迎新老客户来电洽谈。");
        record.mainProduct = Gbk("LED灯、路灯、隧道灯");
        record.mainIndustry = Gbk("照明工业");
        record.compType = Gbk("私营有限责任公司");
        record.businessMode = Gbk("生产加工");
        record.foundTime = "2003";
        record.legalPerson = Gbk("王明");
        record.employeeCount = Gbk("51 - 100 人");
        record.regCapital = Gbk("500万人民币");
        window.AddCompanyRow(record, i + 1);
        list.SetCheck(i, true);
    }
    window.OnResultDblClk(0);
    qobject_cast<QLineEdit*>(window.Control(1001))->setText(QStringLiteral("LED灯"));
    qobject_cast<QComboBox*>(window.Control(1003))->setCurrentIndex(5);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage picture = window.grab().toImage();
    const std::filesystem::path file =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "ui" / fileName;
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string())));
    EXPECT_EQ(picture.size(), window.size() * window.devicePixelRatio());
}

TEST_F(MainWindowTest, PicturesTheWindowWithRowsAndAFilledDetailPane) {
    PictureWindow(*window, "main_window.png");
}

TEST_F(MainWindowTest, PicturesTheSkinnedWindow) {
    const std::string skin = SkinFilePath((SourceDir() / "platform" / "qt").string());
    ASSERT_TRUE(SkinH_AttachEx(skin.c_str(), ""));
    CHarvioDlg skinned;
    PictureWindow(skinned, "main_window_skinned.png");
    qApp->setStyleSheet(QString());
}

}  // namespace
