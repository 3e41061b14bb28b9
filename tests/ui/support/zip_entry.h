#pragma once

#include <optional>
#include <string>

// The bytes of one member of a zip file (stored or deflated), read through its central
// directory; none when the file or the member is missing or damaged. Enough to look into the
// XML parts of a workbook.
std::optional<std::string> ReadZipEntry(const std::string& zipBytes, const std::string& name);
