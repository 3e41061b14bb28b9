#include "ui/controls/list_marks.h"

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

ResultRowSource MarkedRowCells(const CMyListCtrl& list, int limit, std::vector<int>* taken) {
    return [&list, limit, taken, row = 0, count = 0](ResultCells& cells) mutable {
        for (; row < list.GetItemCount() && count < limit; ++row) {
            if (!IsMarkedRow(list, row)) continue;
            for (int subItem = 0; subItem < kResultColumnCount; ++subItem)
                cells[subItem] = list.GetItemText(row, subItem).toStdString();
            if (taken != nullptr) taken->push_back(row);
            ++row;
            ++count;
            return true;
        }
        return false;
    };
}
