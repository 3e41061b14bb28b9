#pragma once

#include <vector>

#include "engine/result_files.h"

class CMyListCtrl;

// A marked row is selected or has its check box ticked; either is enough, both count once.
bool IsMarkedRow(const CMyListCtrl& list, int row);
int CountMarkedRows(const CMyListCtrl& list);

// The cells of the first `limit` marked rows, from row 0 upwards, read from the list as they are
// asked for. Rows a running search adds after the user confirmed `limit` rows are thus not taken.
// With taken, the list row of each row given is appended to it.
ResultRowSource MarkedRowCells(const CMyListCtrl& list, int limit, std::vector<int>* taken = nullptr);
