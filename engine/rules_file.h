#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/extraction_rules.h"

// The rules file: GBK text, one "key,,,value" rule per line (LF or CR LF), "#" comment lines.
// The program's own reg.alibaba and every site profile are such files.
// A line that can't be a rule (no ",,,", no label separator, 512 bytes or more, a pattern that
// does not compile or has no capture group) is skipped with one trace line naming its number.
// Unknown keys are skipped silently. A key or label given again keeps the last line's value,
// with a trace line naming both lines.

// What the loader found wrong with one line of the file, or (line 0) with the file as a whole.
struct RulesFinding {
    enum class Kind {
        skippedLine,
        noCaptureGroup,
        unknownKey,
        labelWithoutField,
        missingKey,
        repeatedKey,  // a key or label given on an earlier line too
        wrongValue,   // a value the key does not take (an unknown placeholder, charset)
    };
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

// The file's siteName value (the last line that gives one), without loading the rules; empty
// when the file gives none or can't be read.
std::string ReadSiteName(const std::string& path);

// The rules text with its site named siteName: a siteName line first, in the text's own line end,
// and none of the text's own siteName lines.
std::string RulesTextNamed(std::string_view text, const std::string& siteName);

// Every key the rules file knows, in the loader's order.
std::vector<std::string_view> KnownRuleKeys();
