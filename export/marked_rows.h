#pragma once

#include <QList>

class CMyListCtrl;

// A marked row is selected or has its check box ticked; either is enough, both count once.
bool IsMarkedRow(const CMyListCtrl& list, int row);
int CountMarkedRows(const CMyListCtrl& list);

// The indices of the first `limit` marked rows from row 0 upwards. Rows a running search added
// after the user confirmed `limit` rows are thus not taken.
QList<int> FirstMarkedRows(const CMyListCtrl& list, int limit);
