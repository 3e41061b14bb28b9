#pragma once

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <map>

// The result list's header, painted completely by its own code: the background band stretched
// over each cell, raised or pressed borders, black titles and the sort arrow of one column.
class CMyHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CMyHeaderCtrl(QWidget* parent = nullptr);

    // Shows the arrow of column; a negative column clears every arrow. add keeps the other arrows,
    // which only a multi-sort header does.
    void SetSortImage(int column, bool ascending, bool add = false);
    // +1 ascending, -1 descending, 0 when the column shows no arrow.
    int GetSortDirection(int column) const;

    bool MultiSort() const { return multiSort_; }
    void SetMultiSort(bool on) { multiSort_ = on; }
    int HotColumn() const { return hotColumn_; }
    bool Pressed() const { return pressed_; }
    const QFont& TitleFont() const { return titleFont_; }

    QSize sizeHint() const override;

protected:
    // column is -1 for the filler after the last cell, which gets a border only.
    virtual void DrawHeaderItem(QPainter& painter, int column, const QRect& rect, bool pressed, bool hot);
    virtual void DrawBackground(QPainter& painter);
    virtual void DrawSortArrow(QPainter& painter, const QRect& square, bool ascending);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetHotColumn(int column);

    std::map<int, int> sortMap_;
    bool pressed_ = false;
    bool multiSort_ = false;
    int hotColumn_ = -1;
    // Where the mouse was last seen over the header: the pressed look follows it.
    QPoint mousePosition_{-1, -1};
    QFont titleFont_;
    QColor highlightColour_;
    QColor shadowColour_;
    QImage background_;
    QPixmap backgroundTile_;
    QImage ascendingArrow_;
    QImage descendingArrow_;
};
