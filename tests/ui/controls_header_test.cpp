#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include "ui/controls/header_bitmaps.h"
#include "ui/controls/my_header_ctrl.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/support/ui_test_support.h"

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGround(222, 230, 216);
const QColor kLowerBand(176, 186, 169);
const QColor kBottomEdge(1, 70, 65);
const QColor kGrey(128, 128, 128);

class HeaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        list = std::make_unique<CMyListCtrl>();
        header = list->GetHeader();
        // As a 24-bit picture shows them.
        shadow = QColor(header->palette().color(QPalette::Dark).rgb());
        highlight = QColor(header->palette().color(QPalette::Light).rgb());
    }

    void AddColumns(int count, int width = 100) {
        for (int column = 0; column < count; ++column) {
            list->InsertColumn(column, QString::fromUtf8("公司名称"), Qt::AlignHCenter, width);
        }
    }

    void Show() {
        list->resize(700, 200);
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    }

    QImage Picture() const { return header->viewport()->grab().toImage(); }
    int Height() const { return header->viewport()->height(); }
    int Left(int column) const { return header->sectionViewportPosition(column); }
    int Right(int column) const { return Left(column) + header->sectionSize(column); }  // exclusive

    QPoint Centre(int column) const {
        return QPoint(Left(column) + header->sectionSize(column) / 2, Height() / 2);
    }
    void Click(int column) { QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, Centre(column)); }
    void MoveTo(const QPoint& point, Qt::MouseButtons held) {
        QMouseEvent move(QEvent::MouseMove, QPointF(point), header->viewport()->mapToGlobal(QPointF(point)),
                         Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &move);
    }

    // Grey pixels of each row of the arrow square at the right end of column's cell.
    std::vector<int> ArrowRows(const QImage& picture, int column) const {
        int side = Height();
        std::vector<int> rows;
        for (int y = 0; y < side; ++y) {
            int grey = 0;
            for (int x = Right(column) - side; x < Right(column); ++x)
                grey += picture.pixelColor(x, y) == kGrey;
            rows.push_back(grey);
        }
        return rows;
    }

    int GreyPixels(const QImage& picture, int left, int right) const {
        int grey = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = left; x < right; ++x) grey += picture.pixelColor(x, y) == kGrey;
        return grey;
    }

    // +1 when the triangle is widest at its top (points down), -1 when widest at its bottom.
    static int Orientation(const std::vector<int>& rows) {
        std::vector<int> used;
        for (int grey : rows)
            if (grey > 0) used.push_back(grey);
        if (used.size() < 2) return 0;
        if (used.front() > used.back()) return 1;
        if (used.front() < used.back()) return -1;
        return 0;
    }

    std::unique_ptr<CMyListCtrl> list;
    CMyHeaderCtrl* header = nullptr;
    QColor shadow;
    QColor highlight;
};

TEST_F(HeaderTest, BackgroundBitmapHasItsBands) {
    QImage band = HeaderBackgroundBitmap();
    ASSERT_EQ(band.size(), QSize(100, 17));
    for (int y = 0; y < 17; ++y) {
        QColor expected = y == 0 ? kWhite : y <= 14 ? kGround : y == 15 ? kLowerBand : kBottomEdge;
        for (int x = 0; x < 100; ++x) ASSERT_EQ(band.pixelColor(x, y), expected) << x << "," << y;
    }
}

TEST_F(HeaderTest, ArrowBitmapsHoldTheirTrianglesOnColumnNine) {
    // Rows 8 to 11 and column 9 counted from 1: the up triangle of the descending arrow grows
    // 1, 3, 5, 7 pixels wide downwards; the ascending one is its mirror.
    const int upWidths[] = {1, 3, 5, 7};
    for (bool ascending : {false, true}) {
        QImage arrow = SortArrowBitmap(ascending);
        ASSERT_EQ(arrow.size(), QSize(18, 18));
        for (int row = 1; row <= 18; ++row) {
            int width = 0;
            if (row >= 8 && row <= 11) width = ascending ? upWidths[11 - row] : upWidths[row - 8];
            for (int column = 1; column <= 18; ++column) {
                bool inTriangle = width > 0 && std::abs(column - 9) <= width / 2;
                ASSERT_EQ(arrow.pixelColor(column - 1, row - 1), inTriangle ? kGrey : kGround)
                    << (ascending ? "ascending " : "descending ") << "row " << row << " column " << column;
            }
        }
    }
}

TEST_F(HeaderTest, NoArrowShowsBeforeTheFirstClick) {
    AddColumns(3);
    Show();
    EXPECT_EQ(GreyPixels(Picture(), 0, header->viewport()->width()), 0);
    EXPECT_EQ(header->GetSortDirection(0), 0);
}

TEST_F(HeaderTest, ClicksShowTheAscendingThenTheDescendingArrowAndMoveItToAnotherColumn) {
    AddColumns(4);
    Show();
    Click(2);
    EXPECT_EQ(header->GetSortDirection(2), 1);
    QImage first = Picture();
    EXPECT_EQ(Orientation(ArrowRows(first, 2)), 1) << "ascending arrow points down";
    // The arrow stays inside its square at the cell's right end, as wide as the header is high.
    EXPECT_EQ(GreyPixels(first, Left(2), Right(2) - Height()), 0);
    EXPECT_EQ(first.pixelColor(Right(2) - Height() + 1, Height() / 2), kGround);

    Click(2);
    EXPECT_EQ(header->GetSortDirection(2), -1);
    EXPECT_EQ(Orientation(ArrowRows(Picture(), 2)), -1) << "descending arrow points up";

    Click(0);
    QImage moved = Picture();
    EXPECT_EQ(header->GetSortDirection(2), 0);
    EXPECT_EQ(GreyPixels(moved, Left(2), Right(2)), 0);
    EXPECT_EQ(Orientation(ArrowRows(moved, 0)), 1);
    EXPECT_EQ(GreyPixels(moved, 0, header->viewport()->width()), GreyPixels(moved, Left(0), Right(0)));
}

TEST_F(HeaderTest, OneArrowAtATimeUnlessTheHeaderSortsByManyColumns) {
    AddColumns(3);
    header->SetSortImage(0, true, true);
    header->SetSortImage(1, false, true);  // adding needs multi-sort, which is off
    EXPECT_EQ(header->GetSortDirection(0), 0);
    EXPECT_EQ(header->GetSortDirection(1), -1);
    header->SetMultiSort(true);
    header->SetSortImage(2, true, true);
    EXPECT_EQ(header->GetSortDirection(1), -1);
    EXPECT_EQ(header->GetSortDirection(2), 1);
    header->SetSortImage(-1, true);
    EXPECT_EQ(header->GetSortDirection(1), 0);
    EXPECT_EQ(header->GetSortDirection(2), 0);
}

TEST_F(HeaderTest, ARaisedCellShowsItsShadowOnTheRightAndTheBandAtTheTop) {
    AddColumns(3);
    Show();
    QImage picture = Picture();
    int middle = Height() / 2;
    EXPECT_EQ(picture.pixelColor(Right(1) - 1, middle), shadow);
    EXPECT_EQ(picture.pixelColor(Left(1) + 3, 0), kWhite);
    EXPECT_EQ(picture.pixelColor(Left(1), middle), kGround);
    EXPECT_EQ(picture.pixelColor(Left(1) + 3, Height() - 1), kBottomEdge);
}

TEST_F(HeaderTest, APressedCellIsDrawnSunkenWhileTheMouseStaysOverIt) {
    AddColumns(4);
    Show();
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, Centre(1));
    QImage pressed = Picture();
    int middle = Height() / 2;
    EXPECT_EQ(pressed.pixelColor(Left(1), middle), shadow);
    EXPECT_EQ(pressed.pixelColor(Left(1) + 3, 0), shadow);
    EXPECT_EQ(pressed.pixelColor(Right(1) - 1, middle), shadow);
    // The band moved one pixel down: its white top row is now the second row.
    EXPECT_EQ(pressed.pixelColor(Left(1) + 3, 1), kWhite);
    // Other cells stay raised.
    EXPECT_EQ(pressed.pixelColor(Left(2) + 3, 0), kWhite);

    MoveTo(Centre(3), Qt::LeftButton);
    QImage away = Picture();
    EXPECT_EQ(away.pixelColor(Left(1) + 3, 0), kWhite);
    EXPECT_EQ(away.pixelColor(Left(1), middle), kGround);

    MoveTo(Centre(1), Qt::LeftButton);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, Centre(1));
    EXPECT_FALSE(header->Pressed());
    EXPECT_EQ(Picture().pixelColor(Left(1) + 3, 0), kWhite);
}

TEST_F(HeaderTest, WithoutColumnsTheWholeHeaderIsOneFiller) {
    Show();
    QImage picture = Picture();
    int width = header->viewport()->width();
    ASSERT_GT(width, 10);
    EXPECT_EQ(picture.pixelColor(0, Height() / 2), highlight);
    for (int x = 0; x < width; ++x) ASSERT_EQ(picture.pixelColor(x, Height() - 1), shadow) << x;
    // It reaches past the right edge, so no right border shows.
    EXPECT_NE(picture.pixelColor(width - 1, Height() / 2), shadow);
}

TEST_F(HeaderTest, TheFillerFollowsTheLastCell) {
    AddColumns(2);
    Show();
    QImage picture = Picture();
    EXPECT_EQ(picture.pixelColor(Right(1), Height() / 2), highlight);
    EXPECT_EQ(picture.pixelColor(Right(1) + 5, Height() - 1), shadow);
}

TEST_F(HeaderTest, ALongTitleEndsInsideItsPaddingAndLeavesTheArrowSquareFree) {
    list->InsertColumn(0, QString::fromUtf8("公司名称公司名称公司名称公司名称公司名称"), Qt::AlignLeft, 90);
    Show();
    Click(0);
    QImage picture = Picture();
    auto dark = [&](int left, int right) {
        int found = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = left; x < right; ++x) {
                QColor c = picture.pixelColor(x, y);
                found += c.red() < 90 && c.green() < 90 && c.blue() < 90 && c != kBottomEdge;
            }
        return found;
    };
    int contentRight = Right(0) - Height() + 1;
    EXPECT_GT(dark(Left(0) + 5, contentRight - 5), 0) << "the title is drawn";
    EXPECT_EQ(dark(Left(0), Left(0) + 5), 0);
    EXPECT_EQ(dark(contentRight - 5, Right(0)), 0);
}

TEST_F(HeaderTest, TheHotColumnFollowsTheMouse) {
    AddColumns(3);
    Show();
    EXPECT_EQ(header->HotColumn(), -1);
    MoveTo(Centre(2), Qt::NoButton);
    EXPECT_EQ(header->HotColumn(), 2);
    MoveTo(QPoint(Right(2) + 20, Height() / 2), Qt::NoButton);
    EXPECT_EQ(header->HotColumn(), -1);
    MoveTo(Centre(0), Qt::NoButton);
    EXPECT_EQ(header->HotColumn(), 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(header->viewport(), &leave);
    EXPECT_EQ(header->HotColumn(), -1);
}

TEST_F(HeaderTest, TitlesUseTheMenuFontsSizeAndTheHeaderIsTallEnoughForIt) {
    QFont menu = QApplication::font("QMenu");
    EXPECT_EQ(header->TitleFont().pointSizeF(), menu.pointSizeF());
    EXPECT_EQ(header->TitleFont().weight(), menu.weight());
    EXPECT_EQ(header->TitleFont().italic(), menu.italic());
    EXPECT_GE(header->sizeHint().height(), QFontMetrics(header->TitleFont()).height());
    EXPECT_GE(header->sizeHint().height(), 17);
}

}  // namespace
