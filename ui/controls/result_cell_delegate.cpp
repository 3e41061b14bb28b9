#include "ui/controls/result_cell_delegate.h"

#include "ui/controls/my_list_ctrl.h"

ResultCellDelegate::ResultCellDelegate(CMyListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

void ResultCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->palette.setColor(QPalette::Text, list_->GetCellTextColor(index.row(), index.column()));
    option->backgroundBrush = list_->GetCellBkColor(index.row(), index.column());
}
