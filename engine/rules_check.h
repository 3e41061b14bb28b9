#pragma once

#include <string>
#include <vector>

#include "engine/extraction_rules.h"
#include "engine/rules_file.h"

// The rules file's workbench check: what the loader skipped or could not use, with line numbers,
// the nearest known key for an unknown one, and the keys a search needs that the file lacks.

// Loads the file into rules and fills findings; false when the file can't be read.
bool LoadCheckedRulesFile(const std::string& path, ExtractionRules& rules,
                          std::vector<RulesFinding>& findings);

// The same for rules held in memory.
std::vector<RulesFinding> CheckRulesText(std::string_view text);

// One line for the user: "line 12: validateCompContactRge: unknown key, did you mean
// validateCompContactReg?" (GBK where the label is).
std::string DescribeFinding(const RulesFinding& finding);

// Whether the loader already wrote the finding to the trace output.
bool TracedByLoader(const RulesFinding& finding);

// Edit distance (insertions, deletions, substitutions) between two texts, by bytes.
std::size_t EditDistance(std::string_view first, std::string_view second);
