// The result rows of the main window, the detail pane that shows one of them, and the
// questions before the results are cleared and before the window closes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTest>
#include <memory>

#include "app/harvio_dlg.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
    return bytes.toStdString();
}

QByteArray GbkBytes(const char* utf8) {
    return QByteArray::fromStdString(Gbk(utf8));
}

const QString kClearQuestion = QString::fromUtf8(
    "温馨提示：您是否已将搜索结果导出保存!\n点击「是」将清除搜索到的所有信息，点击「否」取消该操作。");
const QString kExitQuestion = QString::fromUtf8(
    "温馨提示：您是否已将搜索结果导出保存!\n点击「是」将退出该应用程序，点击「否」取消该操作");

CompanyRecord FullRecord() {
    CompanyRecord record;
    record.validate = 1;
    record.compName = Gbk("杭州明亮照明有限公司");
    record.contact = Gbk("王女士 经理");
    record.phone = Gbk("86-571-88886666");
    record.mobile = "13900001111";
    record.fax = "0571-88886667";
    record.address = Gbk("浙江省杭州市西湖区文三路1号");
    record.zipCode = "310012";
    record.webSite = " http://a.example http://b.example";
    record.compIntroduce = Gbk("本公司专业生产LED照明。\r\n欢迎来电。");
    record.mainProduct = Gbk("LED灯;路灯");
    record.mainIndustry = Gbk("照明工业");
    record.compType = Gbk("私营有限责任公司");
    record.businessMode = Gbk("生产加工");
    record.foundTime = "2003";
    record.legalPerson = Gbk("王明");
    record.employeeCount = Gbk("51 - 100 人");
    record.regCapital = Gbk("500万");
    record.url = "http://ignored.example";  // not a column
    return record;
}

class ResultRowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        SetProgramDirectoryForTesting(dir.Path().string());
        window = std::make_unique<CHarvioDlg>();
        list = &window->ResultList();
    }

    void TearDown() override {
        StopScriptingMessageBoxes();
        window.reset();
        SetProgramDirectoryForTesting("");
    }

    QByteArray Cell(int row, int subItem) const { return list->GetItemText(row, subItem); }

    QString BoxText(int id) const {
        QWidget* box = window->Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(box)) return edit->text();
        if (auto* rich = qobject_cast<QPlainTextEdit*>(box)) return rich->toPlainText();
        if (auto* label = qobject_cast<QLabel*>(box)) return label->text();
        return QStringLiteral("<no box>");
    }

    TempDir dir;
    std::unique_ptr<CHarvioDlg> window;
    CMyListCtrl* list = nullptr;
};

TEST_F(ResultRowsTest, ARowHoldsTheNumberTheMarkAndTheRecordsFieldsInColumnOrder) {
    const int position = window->AddCompanyRow(FullRecord(), 1);
    ASSERT_EQ(position, 0);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 1), GbkBytes("★"));
    EXPECT_EQ(Cell(0, 2), GbkBytes("杭州明亮照明有限公司"));
    EXPECT_EQ(Cell(0, 3), GbkBytes("王女士"));
    EXPECT_EQ(Cell(0, 4), GbkBytes("经理"));
    EXPECT_EQ(Cell(0, 5), "-571-88886666");
    EXPECT_EQ(Cell(0, 6), "13900001111");
    EXPECT_EQ(Cell(0, 7), "0571-88886667");
    EXPECT_EQ(Cell(0, 8), GbkBytes("浙江省杭州市西湖区文三路1号"));
    EXPECT_EQ(Cell(0, 9), "310012");
    EXPECT_EQ(Cell(0, 10), " http://a.example http://b.example");
    EXPECT_EQ(Cell(0, 11), GbkBytes("本公司专业生产LED照明。\r\n欢迎来电。"));
    EXPECT_EQ(Cell(0, 12), GbkBytes("LED灯;路灯"));
    EXPECT_EQ(Cell(0, 13), GbkBytes("照明工业"));
    EXPECT_EQ(Cell(0, 14), GbkBytes("私营有限责任公司"));
    EXPECT_EQ(Cell(0, 15), GbkBytes("生产加工"));
    EXPECT_EQ(Cell(0, 16), "2003");
    EXPECT_EQ(Cell(0, 17), GbkBytes("王明"));
    EXPECT_EQ(Cell(0, 18), GbkBytes("51 - 100 人"));
    EXPECT_EQ(Cell(0, 19), GbkBytes("500万"));
}

TEST_F(ResultRowsTest, OnlyValidateOneEarnsTheFilledStar) {
    for (int32_t validate : {0, 2, -1, 1}) {
        CompanyRecord record;
        record.validate = validate;
        const int row = window->AddCompanyRow(record, list->GetItemCount() + 1);
        EXPECT_EQ(Cell(row, 1), GbkBytes(validate == 1 ? "★" : "☆")) << validate;
    }
}

TEST_F(ResultRowsTest, ContactAndTelephoneAreReshapedForTheirCells) {
    struct Case {
        const char* contact;
        const char* name;
        const char* title;
    };
    const Case cases[] = {
        {"王女士 经理", "王女士", "经理"},     {"王女士", "王女士", ""},          {"张三", "张三", ""},
        {"李先生（经理） ", "李先生", "经理"}, {"赵先生 销售", "赵先生", "销售"}, {"", "", ""},
    };
    for (const Case& c : cases) {
        CompanyRecord record;
        record.contact = Gbk(c.contact);
        const int row = window->AddCompanyRow(record, list->GetItemCount() + 1);
        EXPECT_EQ(Cell(row, 3), GbkBytes(c.name)) << c.contact;
        EXPECT_EQ(Cell(row, 4), GbkBytes(c.title)) << c.contact;
    }
    // Only a blank after "女士" is dropped, never half of the character that follows.
    CompanyRecord bothWords;
    bothWords.contact = Gbk("女士先生 x");
    const int bothRow = window->AddCompanyRow(bothWords, list->GetItemCount() + 1);
    EXPECT_EQ(Cell(bothRow, 3), GbkBytes("女士"));
    EXPECT_EQ(Cell(bothRow, 4), GbkBytes("先生 x"));
    for (const auto& [phone, shown] : {std::pair{"0571-8888", "0571-8888"}, std::pair{"0086-10-6", "-10-6"},
                                       std::pair{"12-86-3", "12-86-3"}}) {
        CompanyRecord record;
        record.phone = phone;
        const int row = window->AddCompanyRow(record, list->GetItemCount() + 1);
        EXPECT_EQ(Cell(row, 5), shown) << phone;
    }
}

TEST_F(ResultRowsTest, CellsKeepTheRecordsExactBytes) {
    CompanyRecord record;
    record.compName = Gbk("公司") + "\x81\xFF" + std::string(1, '\0') + "end";
    const int row = window->AddCompanyRow(record, 1);
    EXPECT_EQ(Cell(row, 2).toStdString(), record.compName);
    window->OnResultDblClk(row);
    EXPECT_EQ(window->DetailText(1013).toStdString(), record.compName);
}

TEST_F(ResultRowsTest, CharactersBeyondGbkFromUtf8PagesShowWhole) {
    CompanyRecord record;
    record.compName = Gbk("公司") + "\x95\x32\x82\x36";  // GB18030 of U+20000
    const int row = window->AddCompanyRow(record, 1);
    const QString shown = QString::fromUtf8("公司\xF0\xA0\x80\x80");
    EXPECT_EQ(list->Model()->data(list->Model()->index(row, 2), Qt::DisplayRole).toString(), shown);
    window->OnResultDblClk(row);
    EXPECT_EQ(BoxText(1013), shown);
}

TEST_F(ResultRowsTest, ALaterSearchsRowsFollowTheEarlierOnesInOrder) {
    for (int number = 1; number <= 3; ++number)
        EXPECT_EQ(window->AddCompanyRow(CompanyRecord{}, number), number - 1);
    // The next search numbers from 1 again; its rows go after the three left in the list.
    EXPECT_EQ(window->AddCompanyRow(CompanyRecord{}, 1), 3);
    EXPECT_EQ(window->AddCompanyRow(CompanyRecord{}, 2), 4);
    const QList<QByteArray> numbers = {Cell(0, 0), Cell(1, 0), Cell(2, 0), Cell(3, 0), Cell(4, 0)};
    EXPECT_EQ(numbers, (QList<QByteArray>{"1", "2", "3", "1", "2"}));
}

TEST_F(ResultRowsTest, RowsAddedAfterAClearStartAtTheTopWithTheirRunningNumber) {
    SetNextMessageAnswers({MessageAnswer::Yes});
    for (int number = 1; number <= 5; ++number) window->AddCompanyRow(CompanyRecord{}, number);
    window->OnClearResults();
    EXPECT_EQ(window->AddCompanyRow(CompanyRecord{}, 6), 0);
    EXPECT_EQ(Cell(0, 0), "6");
}

TEST_F(ResultRowsTest, ADoubleClickedRowFillsTheSixteenBoxesAndTheMark) {
    window->AddCompanyRow(CompanyRecord{}, 1);
    window->AddCompanyRow(FullRecord(), 2);
    window->OnResultDblClk(1);
    EXPECT_EQ(BoxText(1013), "杭州明亮照明有限公司");
    EXPECT_EQ(BoxText(1014), "浙江省杭州市西湖区文三路1号");
    EXPECT_EQ(BoxText(1023), "本公司专业生产LED照明。\n欢迎来电。");
    EXPECT_EQ(window->DetailText(1023), GbkBytes("本公司专业生产LED照明。\r\n欢迎来电。"));
    EXPECT_EQ(BoxText(1016), "LED灯;路灯");
    EXPECT_EQ(BoxText(1017), "王女士");
    EXPECT_EQ(BoxText(1018), "310012");
    EXPECT_EQ(BoxText(1019), "-571-88886666");
    EXPECT_EQ(BoxText(1020), "13900001111");
    EXPECT_EQ(BoxText(1021), "0571-88886667");
    EXPECT_EQ(BoxText(1022), " http://a.example http://b.example");
    EXPECT_EQ(BoxText(1032), "私营有限责任公司");
    EXPECT_EQ(BoxText(1031), "生产加工");
    EXPECT_EQ(BoxText(1033), "2003");
    EXPECT_EQ(BoxText(1029), "王明");
    EXPECT_EQ(BoxText(1034), "51 - 100 人");
    EXPECT_EQ(BoxText(1030), "500万");
    EXPECT_EQ(BoxText(1048), "★");
    // The title and the main industry have no box.
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        EXPECT_NE(edit->text(), "经理");
        EXPECT_NE(edit->text(), "照明工业");
    }
}

TEST_F(ResultRowsTest, EveryBoxIsOverwrittenAlsoWithEmptyCells) {
    window->AddCompanyRow(FullRecord(), 1);
    window->AddCompanyRow(CompanyRecord{}, 2);
    window->OnResultDblClk(0);
    window->OnResultDblClk(1);
    for (int id :
         {1013, 1014, 1023, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1032, 1031, 1033, 1029, 1034, 1030}) {
        EXPECT_EQ(BoxText(id), "") << id;
    }
    EXPECT_EQ(BoxText(1048), "☆");
}

TEST_F(ResultRowsTest, ADoubleClickThatHitsNoRowChangesNoBox) {
    window->AddCompanyRow(FullRecord(), 1);
    window->OnResultDblClk(0);
    window->OnResultDblClk(-1);
    window->OnResultDblClk(1);  // below the last row
    EXPECT_EQ(BoxText(1013), "杭州明亮照明有限公司");

    // A real double click below the last row, then one on the row.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->AddCompanyRow(CompanyRecord{}, 2);
    QWidget* viewport = list->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(60, viewport->height() - 3));
    EXPECT_EQ(BoxText(1013), "杭州明亮照明有限公司");
    const QRect secondRow = list->visualRect(list->model()->index(1, 2));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, secondRow.center());
    EXPECT_EQ(BoxText(1013), "");
}

TEST_F(ResultRowsTest, ClearAnsweredNoKeepsEveryRow) {
    window->AddCompanyRow(FullRecord(), 1);
    window->AddCompanyRow(FullRecord(), 2);
    SetNextMessageAnswers({MessageAnswer::No});
    window->OnClearResults();
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kClearQuestion});
    EXPECT_EQ(list->GetItemCount(), 2);
}

TEST_F(ResultRowsTest, ClearAnsweredYesEmptiesTheListAndLeavesPaneCountersAndStatus) {
    window->AddCompanyRow(FullRecord(), 1);
    window->OnResultDblClk(0);
    window->SetStatusText(QStringLiteral("搜索完成!"));
    SetNextMessageAnswers({MessageAnswer::Yes});
    auto* clear = qobject_cast<QAbstractButton*>(window->Control(1011));
    clear->click();
    EXPECT_EQ(TakeShownMessages(), std::vector<QString>{kClearQuestion});
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(BoxText(1013), "杭州明亮照明有限公司");
    EXPECT_EQ(BoxText(1035), "0/0");
    EXPECT_EQ(BoxText(1036), "0/0");
    EXPECT_EQ(BoxText(1037), "搜索完成!");
}

class ExitQuestionTest : public ResultRowsTest {
protected:
    void SetUp() override {
        ResultRowsTest::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
};

TEST_F(ExitQuestionTest, ExitAnsweredNoKeepsTheWindowAndYesClosesItCancelled) {
    auto* exitButton = qobject_cast<QAbstractButton*>(window->Control(2));
    SetNextMessageAnswers({MessageAnswer::No});
    exitButton->click();
    EXPECT_TRUE(window->isVisible());
    SetNextMessageAnswers({MessageAnswer::Yes});
    exitButton->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(TakeShownMessages(), (std::vector<QString>{kExitQuestion, kExitQuestion}));
}

TEST_F(ExitQuestionTest, EscapeAndTheCloseBoxAskTheSameQuestion) {
    SetNextMessageAnswers({MessageAnswer::No, MessageAnswer::No});
    QTest::keyClick(window->Control(1001), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(TakeShownMessages(), (std::vector<QString>{kExitQuestion, kExitQuestion}));

    SetNextMessageAnswers({MessageAnswer::Yes});
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
