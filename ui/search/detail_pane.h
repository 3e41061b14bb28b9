#pragma once

#include <QByteArray>
#include <array>
#include <functional>

#include "book/window_book.h"

class CMyListCtrl;
class QWidget;

// Which result cell each box of the detail pane shows, in the order the boxes are filled.
struct DetailBoxCell {
    int boxId;
    int subItem;
};
extern const std::array<DetailBoxCell, 17> kDetailBoxCells;

// The window's control with an id, or null.
using ControlById = std::function<QWidget*(int)>;

// Overwrites every detail box with its cell of the row, empty cells included.
void ShowRowInDetailPane(const CMyListCtrl& list, int row, const ControlById& control);

// The lead book's dates of the row's company in "首次收录" and "最后导出" ("尚未导出" when it
// never was); both empty for a row the book does not know.
void ShowBookDates(const RowBookFacts& facts, const ControlById& control);

// The GBK bytes a detail box shows, exactly as the cell held them.
QByteArray DetailBoxBytes(const QWidget* box);
