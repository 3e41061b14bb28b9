#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/controls/combo_box_edit.h"
#include "ui/controls/multi_column_combo_box.h"
#include "ui/support/ui_test_support.h"

namespace {

class ComboBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }
};

const char* const kBusinessModels[] = {"全部", "生产加工", "经销批发", "招商代理", "商业服务"};

void Fill(QComboBox& box) {
    for (const char* entry : kBusinessModels) box.addItem(QString::fromUtf8(entry));
}

TEST_F(ComboBoxTest, ADropDownListOffersOnlyItsEntries) {
    CMultiColumnComboBox box;
    Fill(box);
    box.setCurrentIndex(0);
    EXPECT_EQ(box.currentText(), QString::fromUtf8("全部"));
    EXPECT_EQ(box.Edit(), nullptr);
    EXPECT_EQ(box.lineEdit(), nullptr);

    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    QTest::keyClicks(&box, "free text");
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.count(), 5);
    EXPECT_GE(box.findText(box.currentText()), 0);

    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_GE(box.currentIndex(), 0);
    EXPECT_EQ(box.currentText(), box.itemText(box.currentIndex()));
}

TEST_F(ComboBoxTest, ABoxWithAnEditFieldTypesIntoItButAddsNoEntry) {
    CMultiColumnComboBox box(nullptr, CMultiColumnComboBox::Kind::WithEditField);
    Fill(box);
    ASSERT_NE(box.Edit(), nullptr);
    EXPECT_EQ(box.lineEdit(), box.Edit());
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.Edit()->setFocus();
    box.Edit()->clear();
    QTest::keyClicks(box.Edit(), "typed");
    QTest::keyClick(box.Edit(), Qt::Key_Return);
    EXPECT_EQ(box.count(), 5);
    EXPECT_EQ(box.Edit()->text(), "typed");
}

}  // namespace
