#include "export/marked_rows.h"

#include "ui/controls/my_list_ctrl.h"

bool IsMarkedRow(const CMyListCtrl& list, int row) {
    return list.IsSelected(row) || list.GetCheck(row);
}

int CountMarkedRows(const CMyListCtrl& list) {
    int count = 0;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (IsMarkedRow(list, row)) ++count;
    return count;
}

QList<int> FirstMarkedRows(const CMyListCtrl& list, int limit) {
    QList<int> rows;
    for (int row = 0; row < list.GetItemCount() && rows.size() < limit; ++row)
        if (IsMarkedRow(list, row)) rows.append(row);
    return rows;
}
