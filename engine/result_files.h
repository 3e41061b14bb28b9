#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/result_row.h"

// The result rows as files that spreadsheets open as they are: an Excel workbook and a UTF-8
// CSV file. Both take the rows' GBK cells one row at a time from a source (false at the end)
// and put the file at path as a whole: it is written beside it under another name first, so a
// failed export leaves an earlier file untouched, and then put in place without replacing a
// file of that name unless asked to: a file another program made meanwhile is kept.
using ResultRowSource = std::function<bool(ResultCells& cells)>;

enum class ExistingFile {
    kKeep,     // a file at path stays, and the export is not written
    kReplace,  // the user chose to replace the file at path
};

struct WrittenFile {
    bool written = false;
    bool keptExisting = false;  // not written: a file of that name was there and stays
    std::string failure;        // why it was not written
};

// Excel holds at most this many characters (UTF-16 units) in a cell; longer texts are cut
// between whole characters.
inline constexpr std::size_t kWorkbookCellLimit = 32767;

// A workbook with one sheet: the column titles in a frozen first row, then one row per result,
// every cell as text, so that telephone numbers keep their leading zeros and plus signs.
WrittenFile WriteResultWorkbook(const std::string& path, const ResultRowSource& nextRow,
                                ExistingFile existing);

// RFC 4180 text after a UTF-8 byte-order mark: the titles, then one record per row, fields
// quoted where they hold a quote, comma or line break, every record ending in CR LF.
WrittenFile WriteUtf8Csv(const std::string& path, const ResultRowSource& nextRow, ExistingFile existing);

// The "导出全部" form: GBK, the title line, then one line per row, as CsvLine writes them.
WrittenFile WriteResultCsv(const std::string& path, const ResultRowSource& nextRow, ExistingFile existing);

// Any text put at path the same way (a site profile the rules wizard made).
WrittenFile WriteTextFileInPlace(const std::string& path, std::string_view text, ExistingFile existing);

// A UTF-8 text cut to at most kWorkbookCellLimit characters as Excel counts them (a character
// beyond the Basic Multilingual Plane counts twice), never inside a character.
std::string_view WithinCellLimit(std::string_view utf8);
