#pragma once

#include <optional>
#include <string>
#include <vector>

// The bytes of one member of a zip file (stored or deflated), read through its central
// directory; none when the file or the member is missing or damaged. Enough to look into the
// XML parts of a workbook.
std::optional<std::string> ReadZipEntry(const std::string& zipBytes, const std::string& name);

// The cells of a workbook's first sheet as the writer's inline strings hold them (UTF-8), row by
// row; rows are as long as the widest and missing cells are empty. None when there is no sheet.
std::optional<std::vector<std::vector<std::string>>> WorkbookSheetRows(const std::string& zipBytes);
