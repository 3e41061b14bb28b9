#pragma once

#include <functional>
#include <string>

#include "engine/result_row.h"

// The result rows as files that spreadsheets open as they are: an Excel workbook and a UTF-8
// CSV file. Both take the rows' GBK cells one row at a time from a source (false at the end)
// and replace the file at path as a whole: it is written beside it under another name first, so
// a failed export leaves an earlier file untouched. False with the reason when it fails.
using ResultRowSource = std::function<bool(ResultCells& cells)>;

// A workbook with one sheet: the column titles in a frozen first row, then one row per result,
// every cell as text, so that telephone numbers keep their leading zeros and plus signs.
bool WriteResultWorkbook(const std::string& path, const ResultRowSource& nextRow, std::string& failure);

// RFC 4180 text after a UTF-8 byte-order mark: the titles, then one record per row, fields
// quoted where they hold a quote, comma or line break, every record ending in CR LF.
bool WriteUtf8Csv(const std::string& path, const ResultRowSource& nextRow, std::string& failure);
