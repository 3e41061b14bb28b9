#include "ui/controls/my_header_ctrl.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/header_bitmaps.h"

namespace {

constexpr int kTitlePadding = 5;
constexpr int kMaxTitleLength = 255;
// Room above and below the title; never lower than the background band itself.
constexpr int kTitleVerticalRoom = 6;
constexpr int kMinimumHeight = 17;

// The menu font; a face without Chinese glyphs gives way to "Tahoma" where installed.
QFont HeaderFont() {
    QFont font = QApplication::font("QMenu");
    QStringList families = font.families();
    QString face = families.isEmpty() ? font.family() : families.first();
    bool chineseFace = QFontDatabase::writingSystems(face).contains(QFontDatabase::SimplifiedChinese);
    if (!chineseFace && QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        font.setFamily(QStringLiteral("Tahoma"));
    return font;
}

// A rectangle's border in two colours, right and bottom edges exclusive as given.
void Draw3dRect(QPainter& painter, int left, int top, int right, int bottom, const QColor& topLeft,
                const QColor& bottomRight) {
    painter.fillRect(QRect(left, top, right - left - 1, 1), topLeft);
    painter.fillRect(QRect(left, top, 1, bottom - top - 1), topLeft);
    painter.fillRect(QRect(right - 1, top, 1, bottom - top), bottomRight);
    painter.fillRect(QRect(left, bottom - 1, right - left, 1), bottomRight);
}

}  // namespace

CMyHeaderCtrl::CMyHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent),
      titleFont_(HeaderFont()),
      highlightColour_(palette().color(QPalette::Light)),
      shadowColour_(palette().color(QPalette::Dark)),
      background_(HeaderBackgroundBitmap()),
      backgroundTile_(QPixmap::fromImage(background_)),
      ascendingArrow_(SortArrowBitmap(true)),
      descendingArrow_(SortArrowBitmap(false)) {
    setFont(titleFont_);
    viewport()->setMouseTracking(true);
}

QSize CMyHeaderCtrl::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(qMax(kMinimumHeight, QFontMetrics(titleFont_).height() + kTitleVerticalRoom));
    return size;
}

void CMyHeaderCtrl::SetSortImage(int column, bool ascending, bool add) {
    if (column < 0) {
        sortMap_.clear();
        return;
    }
    if (!add || !multiSort_) sortMap_.clear();
    sortMap_[column] = ascending ? 1 : -1;
    viewport()->update();
}

int CMyHeaderCtrl::GetSortDirection(int column) const {
    auto found = sortMap_.find(column);
    return found == sortMap_.end() ? 0 : found->second;
}

void CMyHeaderCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    DrawBackground(painter);
    painter.setFont(titleFont_);
    const int height = viewport()->height();
    int cellsRight = 0;
    for (int visual = 0; visual < count(); ++visual) {
        int column = logicalIndex(visual);
        if (isSectionHidden(column)) continue;
        QRect cell(sectionViewportPosition(column), 0, sectionSize(column), height);
        bool pressedHere = pressed_ && viewport()->rect().contains(mousePosition_) &&
                           logicalIndexAt(mousePosition_) == column;
        painter.save();
        painter.setClipRect(cell);
        DrawHeaderItem(painter, column, cell, pressedHere, hotColumn_ == column);
        painter.restore();
        cellsRight = qMax(cellsRight, cell.x() + cell.width());
    }
    // The filler reaches one pixel past the right edge, so it shows no right border.
    QRect filler(cellsRight, 0, viewport()->width() + 1 - cellsRight, height);
    if (filler.width() > 0) DrawHeaderItem(painter, -1, filler, false, false);
}

void CMyHeaderCtrl::DrawBackground(QPainter& painter) {
    painter.fillRect(viewport()->rect(), backgroundTile_);
}

void CMyHeaderCtrl::DrawHeaderItem(QPainter& painter, int column, const QRect& rect, bool pressed,
                                   bool /*hot*/) {
    int left = rect.x();
    int top = rect.y();
    int right = rect.x() + rect.width();
    int bottom = rect.y() + rect.height();
    if (pressed) {
        Draw3dRect(painter, left, top, right, bottom, shadowColour_, shadowColour_);
        ++left;
        ++top;
    } else {
        Draw3dRect(painter, left, top, right, bottom, highlightColour_, shadowColour_);
    }
    if (column < 0 || model() == nullptr) return;

    int direction = GetSortDirection(column);
    if (direction != 0) {
        int side = bottom - top;
        DrawSortArrow(painter, QRect(right - side, top, side, side), direction > 0);
        right = right - side + 1;
    }

    QString title =
        model()->headerData(column, orientation(), Qt::DisplayRole).toString().left(kMaxTitleLength);
    // The limit counts characters: a character outside the basic plane is not cut in half.
    if (!title.isEmpty() && title.back().isHighSurrogate()) title.chop(1);
    auto alignment = Qt::Alignment(model()->headerData(column, orientation(), Qt::TextAlignmentRole).toInt());
    painter.drawImage(QRect(left, top, right - left - 1, bottom - top), background_);

    QRect textRect(left + kTitlePadding, top, right - left - 2 * kTitlePadding, bottom - top);
    if (textRect.width() <= 0) return;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment & Qt::AlignHCenter) horizontal = Qt::AlignHCenter;
    if (alignment & Qt::AlignRight) horizontal = Qt::AlignRight;
    painter.setPen(Qt::black);
    QString shown = QFontMetrics(titleFont_).elidedText(title, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void CMyHeaderCtrl::DrawSortArrow(QPainter& painter, const QRect& square, bool ascending) {
    painter.drawImage(square, ascending ? ascendingArrow_ : descendingArrow_);
}

void CMyHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    mousePosition_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void CMyHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    mousePosition_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(event);
}

void CMyHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    mousePosition_ = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        viewport()->update();  // the pressed look follows the mouse
    } else {
        SetHotColumn(logicalIndexAt(mousePosition_));
    }
    QHeaderView::mouseMoveEvent(event);
}

bool CMyHeaderCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) SetHotColumn(-1);
    return QHeaderView::viewportEvent(event);
}

void CMyHeaderCtrl::SetHotColumn(int column) {
    if (column == hotColumn_) return;
    hotColumn_ = column;
    viewport()->update();
}
