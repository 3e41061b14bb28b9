#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The values file of `learn` (UTF-8): one block per example company, a "[FOLDER]" line naming
// the company's captured folder, then "字段名=值" lines in the record's labels. Blank lines and
// lines starting with "#" are skipped. Labels and values come out GBK, the folder as written.
struct ExampleValues {
    std::string folder;
    std::map<std::string, std::string> values;  // label -> value as read (GBK)
};

// None (reason on stderr, with the line number) when a line is neither of the above, a value
// line stands before the first block, or a label is none of the record's.
std::optional<std::vector<ExampleValues>> ParseExampleValues(const std::string& utf8Text,
                                                             const std::string& fileName);
