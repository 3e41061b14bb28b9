#pragma once

#include <QByteArray>
#include <array>
#include <functional>

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

// The GBK bytes a detail box shows, exactly as the cell held them.
QByteArray DetailBoxBytes(const QWidget* box);
