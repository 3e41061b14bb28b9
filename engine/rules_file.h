#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/extraction_rules.h"

// The rules file: GBK text, one "key,,,value" rule per line (LF or CR LF), "#" comment lines.
// A line that can't be a rule (no ",,,", no label separator, 512 bytes or more, a pattern that
// does not compile or has no capture group) is skipped with one trace line naming its number.
// Unknown keys are skipped silently; a repeated key or label keeps the last line's value.

// What the loader found wrong with one line of the file, or (line 0) with the file as a whole.
struct RulesFinding {
    enum class Kind { skippedLine, noCaptureGroup, unknownKey, labelWithoutField, missingKey };
    Kind kind;
    int lineNumber = 0;
    std::string subject;  // the key, or for a label rule the key and the label (GBK)
    std::string reason;   // why, for the user
};

// The loader's parser, for rules held in memory; with findings, every line it did not take as
// written is described there (unknown keys and labels without a record field included).
void LoadRulesFromText(std::string_view text, ExtractionRules& rules,
                       std::vector<RulesFinding>* findings = nullptr);

// False, with nothing loaded, when the file can't be opened or read.
bool LoadRulesFile(const std::string& path, ExtractionRules& rules,
                   std::vector<RulesFinding>* findings = nullptr);

// Every key the rules file knows, in the loader's order.
std::vector<std::string_view> KnownRuleKeys();
