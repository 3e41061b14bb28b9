#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include "ui/controls/my_header_ctrl.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/support/ui_test_support.h"

namespace {

constexpr int kColumns = 20;

QByteArray Gbk(const char* utf8) {
    return QStringEncoder("GBK")(QString::fromUtf8(utf8));
}

class ListCtrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        list = std::make_unique<CMyListCtrl>();
        tester = std::make_unique<QAbstractItemModelTester>(
            list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        for (int column = 0; column < kColumns; ++column) {
            list->InsertColumn(column, QString::fromUtf8("列%1").arg(column),
                               column == 0 ? Qt::AlignLeft : Qt::AlignHCenter, column == 0 ? 35 : 100);
        }
    }

    void TearDown() override {
        tester.reset();
        list.reset();
    }

    // Appends a row whose cells read "<tag>:<column>".
    int AddRow(const QByteArray& tag) {
        int row = list->InsertItem(list->GetItemCount(), tag + ":0");
        for (int column = 1; column < kColumns; ++column) {
            list->SetItemText(row, column, tag + ":" + QByteArray::number(column));
        }
        return row;
    }

    void ShowList() {
        list->resize(900, 300);
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    }

    QPoint CellCentre(int row, int column) const {
        return list->visualRect(list->model()->index(row, column)).center();
    }

    std::unique_ptr<CMyListCtrl> list;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(ListCtrlTest, RowsAreInsertedAtTheGivenPlaceAndReadBack) {
    AddRow("a");
    AddRow("c");
    EXPECT_EQ(list->InsertItem(1, "b:0"), 1);
    // Out-of-range positions are clamped to the ends.
    EXPECT_EQ(list->InsertItem(-5, "first"), 0);
    EXPECT_EQ(list->InsertItem(99, "last"), 4);

    ASSERT_EQ(list->GetItemCount(), 5);
    EXPECT_EQ(list->GetItemText(0, 0), "first");
    EXPECT_EQ(list->GetItemText(1, 0), "a:0");
    EXPECT_EQ(list->GetItemText(1, 19), "a:19");
    EXPECT_EQ(list->GetItemText(2, 0), "b:0");
    EXPECT_EQ(list->GetItemText(2, 7), "");
    EXPECT_EQ(list->GetItemText(3, 5), "c:5");
    EXPECT_EQ(list->GetItemText(4, 0), "last");
    EXPECT_EQ(list->model()->rowCount(), 5);
    EXPECT_EQ(list->model()->columnCount(), kColumns);
}

TEST_F(ListCtrlTest, CellsCanBeRewrittenInAnyOrder) {
    int row = list->InsertItem(0, "x");
    list->SetItemText(row, 12, "twelve");
    list->SetItemText(row, 3, "three");
    list->SetItemText(row, 12, "");
    list->SetItemText(row, 3, "three again, longer");
    list->SetItemText(row, 0, "");
    EXPECT_EQ(list->GetItemText(row, 0), "");
    EXPECT_EQ(list->GetItemText(row, 3), "three again, longer");
    EXPECT_EQ(list->GetItemText(row, 12), "");
    EXPECT_EQ(list->GetItemText(row, 19), "");
}

TEST_F(ListCtrlTest, CarelessIndicesAreRefusedWithoutHarm) {
    AddRow("a");
    EXPECT_FALSE(list->SetItemText(1, 0, "no such row"));
    EXPECT_FALSE(list->SetItemText(-1, 0, "no such row"));
    EXPECT_FALSE(list->SetItemText(0, kColumns, "no such column"));
    EXPECT_FALSE(list->SetItemText(0, -1, "no such column"));
    EXPECT_EQ(list->GetItemText(1, 0), "");
    EXPECT_EQ(list->GetItemText(0, 25), "");
    EXPECT_EQ(list->GetItemText(-3, -3), "");
    EXPECT_FALSE(list->SetCheck(1));
    EXPECT_FALSE(list->GetCheck(7));
    EXPECT_FALSE(list->IsSelected(-1));
    EXPECT_FALSE(list->IsSelected(1));
    EXPECT_EQ(list->GetItemText(0, 19), "a:19");
}

TEST_F(ListCtrlTest, CellsKeepTheirExactBytesAlsoWhenTheyAreNotGbk) {
    const QByteArray cells[] = {
        Gbk("广州市天河区科技有限公司"),
        QByteArray("\x81", 1),                  // a lead byte alone
        QByteArray("\xff\xfe\x80\x00\x41", 5),  // bytes GBK never uses and an inner NUL
        QByteArray("\xd6\xd0\xce", 3),          // a character cut in half at the end
        QByteArray(100000, '\xb0'),             // a very long cell
        QByteArray("line one\r\nline two"),
    };
    int row = list->InsertItem(0, cells[0]);
    for (int i = 1; i < 6; ++i) ASSERT_TRUE(list->SetItemText(row, i, cells[i]));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list->GetItemText(row, i), cells[i]) << i;

    // Showing them must not change them; GBK text shows as its characters, line breaks as spaces.
    EXPECT_EQ(list->model()->index(row, 0).data().toString(), QString::fromUtf8("广州市天河区科技有限公司"));
    EXPECT_EQ(list->model()->index(row, 5).data().toString(), QString::fromUtf8("line one  line two"));
    EXPECT_FALSE(list->model()->index(row, 2).data().toString().isEmpty());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list->GetItemText(row, i), cells[i]) << i;
}

TEST_F(ListCtrlTest, CheckBoxesBelongToTheirRows) {
    AddRow("a");
    AddRow("b");
    AddRow("c");
    EXPECT_TRUE(list->SetCheck(1));
    EXPECT_FALSE(list->GetCheck(0));
    EXPECT_TRUE(list->GetCheck(1));
    EXPECT_FALSE(list->GetCheck(2));
    EXPECT_EQ(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    // Only the first column carries a check box.
    EXPECT_FALSE(list->model()->index(1, 1).data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(list->model()->flags(list->model()->index(1, 1)) & Qt::ItemIsUserCheckable);

    list->InsertItem(0, "new");  // rows below move down with their boxes
    EXPECT_TRUE(list->GetCheck(2));
    EXPECT_FALSE(list->GetCheck(0));
    EXPECT_TRUE(list->SetCheck(2, false));
    EXPECT_FALSE(list->GetCheck(2));
}

TEST_F(ListCtrlTest, ClickingTheCheckBoxTogglesIt) {
    AddRow("a");
    AddRow("b");
    ShowList();
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualRect(list->model()->index(1, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list.get());
    ASSERT_TRUE(box.isValid());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(list->GetCheck(1));
    EXPECT_FALSE(list->GetCheck(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(list->GetCheck(1));
}

TEST_F(ListCtrlTest, WholeRowsAreSelectedAndSeveralAtOnce) {
    for (const char* tag : {"a", "b", "c", "d"}) AddRow(tag);
    ShowList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CellCentre(1, 5));
    EXPECT_TRUE(list->IsSelected(1));
    EXPECT_TRUE(list->selectionModel()->isSelected(list->model()->index(1, 0)));
    EXPECT_TRUE(list->selectionModel()->isSelected(list->model()->index(1, 19)));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, CellCentre(3, 2));
    EXPECT_TRUE(list->IsSelected(1));
    EXPECT_FALSE(list->IsSelected(2));
    EXPECT_TRUE(list->IsSelected(3));
    // Selecting is not ticking.
    EXPECT_FALSE(list->GetCheck(1));
    EXPECT_FALSE(list->GetCheck(3));

    list->InsertItem(0, "top");  // the selection follows its rows
    EXPECT_TRUE(list->IsSelected(2));
    EXPECT_TRUE(list->IsSelected(4));
    EXPECT_FALSE(list->IsSelected(1));
}

TEST_F(ListCtrlTest, DeletingAllRowsLeavesAnEmptyListReadyForMore) {
    AddRow("a");
    AddRow("b");
    list->SetCheck(0);
    list->selectRow(1);
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_FALSE(list->IsSelected(1));
    EXPECT_EQ(list->model()->columnCount(), kColumns);
    EXPECT_EQ(AddRow("z"), 0);
    EXPECT_FALSE(list->GetCheck(0));
    EXPECT_FALSE(list->IsSelected(0));
    EXPECT_EQ(list->GetItemText(0, 4), "z:4");
}

TEST_F(ListCtrlTest, ColumnsTakeTheirTitlesAlignmentsAndWidths) {
    CMyListCtrl fresh;
    EXPECT_EQ(fresh.InsertColumn(0, QString::fromUtf8("序号"), Qt::AlignLeft, 35), 0);
    EXPECT_EQ(fresh.InsertColumn(1, QString::fromUtf8("公司名称"), Qt::AlignHCenter, 185), 1);
    EXPECT_EQ(fresh.InsertColumn(7, QString::fromUtf8("电话"), Qt::AlignRight, 100), 2);  // clamped
    EXPECT_EQ(fresh.horizontalHeader()->sectionSize(0), 35);
    EXPECT_EQ(fresh.horizontalHeader()->sectionSize(1), 185);
    EXPECT_EQ(fresh.horizontalHeader()->sectionSize(2), 100);
    QAbstractItemModel* model = fresh.model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("公司名称"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignHCenter));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
    int row = fresh.InsertItem(0, "1");
    fresh.SetItemText(row, 2, "020-1234");
    EXPECT_TRUE(model->index(row, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);

    // A column put in front later moves the cells of the existing rows along with their titles.
    EXPECT_EQ(fresh.InsertColumn(0, QString::fromUtf8("前"), Qt::AlignLeft, 20), 0);
    EXPECT_EQ(fresh.GetItemText(row, 0), "");
    EXPECT_EQ(fresh.GetItemText(row, 1), "1");
    EXPECT_EQ(fresh.GetItemText(row, 3), "020-1234");
}

TEST_F(ListCtrlTest, MovingAHeaderChangesTheDisplayOrderOnly) {
    AddRow("a");
    ShowList();
    QHeaderView* header = list->horizontalHeader();
    header->moveSection(header->visualIndex(2), 0);
    EXPECT_EQ(header->logicalIndex(0), 2);
    EXPECT_EQ(list->GetItemText(0, 2), "a:2");
    EXPECT_EQ(list->GetItemText(0, 0), "a:0");
    EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("列2"));
    // Writing after the move still lands under the column's own index.
    list->SetItemText(0, 2, "moved");
    EXPECT_EQ(list->GetItemText(0, 2), "moved");
    EXPECT_EQ(list->model()->index(0, 2).data().toString(), "moved");

    // A drag with the mouse: from the centre of the first shown header to past the third.
    int from = header->sectionViewportPosition(header->logicalIndex(0)) + 10;
    int to = header->sectionViewportPosition(header->logicalIndex(3)) + 5;
    int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(from, y));
    for (int x = from; x <= to; x += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), header->viewport()->mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &move);
    }
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(to, y));
    EXPECT_NE(header->visualIndex(2), 0);
    EXPECT_EQ(list->GetItemText(0, 2), "moved");
    EXPECT_EQ(list->GetItemText(0, 3), "a:3");
}

TEST_F(ListCtrlTest, HeaderClicksSetTheSortColumnAndKeepRowsAsTheyAre) {
    for (const char* tag : {"c", "a", "b"}) AddRow(tag);
    list->SetCheck(1);
    list->selectRow(2);
    ShowList();
    EXPECT_EQ(list->SortColumn(), -1);
    QHeaderView* header = list->horizontalHeader();
    auto clickHeader = [&](int column) {
        QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    };

    clickHeader(2);
    EXPECT_EQ(list->SortColumn(), 2);
    EXPECT_TRUE(list->SortAscending());
    clickHeader(2);
    EXPECT_FALSE(list->SortAscending());
    clickHeader(2);
    EXPECT_TRUE(list->SortAscending());
    clickHeader(5);
    EXPECT_EQ(list->SortColumn(), 5);
    EXPECT_TRUE(list->SortAscending());

    EXPECT_EQ(list->GetItemText(0, 0), "c:0");
    EXPECT_EQ(list->GetItemText(1, 19), "a:19");
    EXPECT_EQ(list->GetItemText(2, 3), "b:3");
    EXPECT_TRUE(list->GetCheck(1));
    EXPECT_FALSE(list->GetCheck(0));
    EXPECT_TRUE(list->IsSelected(2));
    EXPECT_FALSE(list->IsSelected(1));
}

// A list that orders rows by the text of the sort column.
class TextOrderList : public CMyListCtrl {
public:
    int CompareItems(int row1, int row2, int subItem) const override {
        return qstrcmp(GetItemText(row1, subItem), GetItemText(row2, subItem));
    }
};

TEST_F(ListCtrlTest, AnOverriddenComparisonSortsStablyAndRowsKeepTheirBoxesAndSelection) {
    TextOrderList sorted;
    QAbstractItemModelTester check(sorted.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    sorted.InsertColumn(0, "key", Qt::AlignLeft, 50);
    sorted.InsertColumn(1, "id", Qt::AlignLeft, 50);
    const char* rows[][2] = {{"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}, {"c", "5"}};
    for (auto& cells : rows) {
        int row = sorted.InsertItem(sorted.GetItemCount(), cells[0]);
        sorted.SetItemText(row, 1, cells[1]);
    }
    sorted.SetCheck(2);   // b3
    sorted.selectRow(3);  // a4
    sorted.resize(300, 200);
    sorted.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sorted));
    QHeaderView* header = sorted.horizontalHeader();
    QPoint keyHeader(header->sectionViewportPosition(0) + 10, header->height() / 2);

    auto ids = [&] {
        QByteArray order;
        for (int row = 0; row < sorted.GetItemCount(); ++row) order += sorted.GetItemText(row, 1);
        return order;
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, keyHeader);
    EXPECT_EQ(ids(), "24135");
    EXPECT_TRUE(sorted.GetCheck(3));
    EXPECT_TRUE(sorted.IsSelected(1));
    EXPECT_FALSE(sorted.IsSelected(3));

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, keyHeader);
    EXPECT_EQ(ids(), "51324");
    EXPECT_TRUE(sorted.GetCheck(2));
    EXPECT_TRUE(sorted.IsSelected(4));
}

// A list that paints one cell red on yellow.
class ColouredList : public CMyListCtrl {
public:
    QColor GetCellTextColor(int row, int subItem) const override {
        return row == 1 && subItem == 2 ? QColor(Qt::red) : CMyListCtrl::GetCellTextColor(row, subItem);
    }
    QColor GetCellBkColor(int row, int subItem) const override {
        return row == 1 && subItem == 2 ? QColor(Qt::yellow) : CMyListCtrl::GetCellBkColor(row, subItem);
    }
};

TEST_F(ListCtrlTest, CellsAreDrawnInTheColoursTheListAsksFor) {
    ColouredList coloured;
    for (int column = 0; column < 4; ++column) coloured.InsertColumn(column, "c", Qt::AlignLeft, 80);
    for (int row = 0; row < 3; ++row) {
        coloured.InsertItem(row, "x");
        coloured.SetItemText(row, 2, "WWWWWW");
    }
    coloured.resize(400, 200);
    coloured.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&coloured));
    QImage picture = coloured.viewport()->grab().toImage();
    auto countColour = [&](const QRect& cell, auto matches) {
        int found = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                found += matches(picture.pixelColor(x, y)) ? 1 : 0;
        return found;
    };
    auto isYellow = [](const QColor& c) { return c.red() > 240 && c.green() > 240 && c.blue() < 30; };
    auto isReddish = [](const QColor& c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    QRect special = coloured.visualRect(coloured.model()->index(1, 2)).adjusted(1, 1, -1, -1);
    QRect plain = coloured.visualRect(coloured.model()->index(0, 2)).adjusted(1, 1, -1, -1);
    EXPECT_GT(countColour(special, isYellow), special.width() * special.height() / 2);
    EXPECT_GT(countColour(special, isReddish), 0);
    EXPECT_EQ(countColour(plain, isYellow), 0);
    EXPECT_EQ(countColour(plain, isReddish), 0);
}

TEST_F(ListCtrlTest, DoubleClicksReportTheRowOrMinusOneBelowTheLastRow) {
    AddRow("a");
    AddRow("b");
    ShowList();
    QSignalSpy spy(list.get(), &CMyListCtrl::rowDoubleClicked);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, CellCentre(1, 3));
    QRect last = list->visualRect(list->model()->index(1, 3));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 30));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(1).at(0).toInt(), -1);
}

}  // namespace
