#pragma once

#include <QStyledItemDelegate>

class CMyListCtrl;

// Draws every cell in the colours its list asks for (GetCellTextColor, GetCellBkColor).
class ResultCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ResultCellDelegate(CMyListCtrl* list);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    CMyListCtrl* list_;
};
