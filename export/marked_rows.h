#pragma once

#include "engine/result_files.h"

// The marked rows of the result list as the exports take them, without the list: their number,
// counted when the user asks for an export, and a source of their cells in list order, read
// after the user confirmed that number.
struct MarkedRows {
    int count = 0;
    ResultRowSource nextRow;  // yields at most `count` rows
};
