#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/result_row.h"

// The result journal of earlier versions: one line per row (its cells and check state) and one
// line per check box the user changed, each line ending in a checksum. The lead book keeps the
// window's rows now; a journal left by an earlier version is read once at start-up and then
// retired.
struct JournalRow {
    ResultCells cells;
    bool checked = false;
    bool operator==(const JournalRow&) const = default;
};

struct JournalContents {
    std::vector<JournalRow> rows;
    int unreadableLines = 0;  // lines that did not read back whole (a row among them is lost)
};

// The rows of a journal's text with their last check states. A row line that does not read back
// keeps its place, so that the check lines after it still name the right rows; CR LF line ends
// read as LF.
JournalContents ReadJournal(std::string_view text);

// Renames the journal beside itself ("search-results.journal.retired-YYYYMMDD-HHMMSS"); the
// name given, or empty when it could not be renamed.
std::string RetireJournal(const std::string& path);
