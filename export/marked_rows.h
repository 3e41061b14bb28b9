#pragma once

#include <functional>
#include <vector>

#include "engine/result_files.h"

// The marked rows of the result list as the exports take them, without the list: their number,
// counted when the user asks for an export, and a source of their cells in list order, read
// after the user confirmed that number.
struct MarkedRows {
    int count = 0;
    ResultRowSource nextRow;  // yields at most `count` rows
    // Told, once the file is written, which rows went into it: their places among the rows
    // nextRow gave (0 for the first). Optional.
    std::function<void(const std::vector<int>& written)> exported;
};
