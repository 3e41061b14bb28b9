#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "engine/company_record.h"

// The 20 cells of a result row as the search window shows and exports them; GBK text.

inline constexpr int kResultColumnCount = 20;
extern const std::array<std::string_view, kResultColumnCount> kResultColumnTitles;
using ResultCells = std::array<std::string, kResultColumnCount>;

// The cells of one record: row number, validate mark, then the record's fields.
std::array<std::string, kResultColumnCount> BuildResultCells(const CompanyRecord& record, int rowNumber);

// The contact text split into the person's name and title: the title is the text in full-width
// parentheses (to the closing one, or to the end when none), or the text after "女士" / "先生"
// and one blank. Every cut falls between whole characters.
std::pair<std::string, std::string> SplitContact(const std::string& contact);

// A telephone text without the country code: everything after the first "86".
std::string StripCountryCode(const std::string& phone);

// One line of the comma-separated export: every cell quoted and followed by a comma, then CR LF.
// A double quote inside a cell is doubled, so that the cell reads back as it was.
std::string CsvLine(const std::array<std::string, kResultColumnCount>& cells);
// The header line: the column titles in the same form.
std::string CsvHeaderLine();
