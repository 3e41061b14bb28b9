#pragma once

#include <string>
#include <string_view>

#include "engine/extraction_rules.h"

// The rules file: GBK text, one "key,,,value" rule per line (LF or CR LF), "#" comment lines.
// A line that can't be a rule (no ",,,", no label separator, 512 bytes or more, a pattern that
// does not compile or has no capture group) is skipped with one trace line naming its number.
// Unknown keys are skipped silently; a repeated key or label keeps the last line's value.

// False, with nothing loaded, when the file can't be opened or read.
bool LoadRulesFile(const std::string& path, ExtractionRules& rules);

// The loader's parser, for rules held in memory.
void LoadRulesFromText(std::string_view text, ExtractionRules& rules);

// "config/reg.alibaba" when the working directory holds it, else config/reg.alibaba in the
// program directory when that exists; "config/reg.alibaba" when neither does.
std::string FindRulesFile();
