#include "engine/rules_file.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "engine/label_table.h"
#include "engine/starts_with.h"
#include "http/trace_output.h"

namespace {

constexpr std::string_view kSeparator = ",,,";
constexpr std::size_t kLineLimit = 512;  // the file format's lines hold at most 511 bytes
constexpr boost::regex::flag_type kPatternFlags = boost::regex::perl | boost::regex::icase;

using Pattern = std::optional<boost::regex> ExtractionRules::*;
using Template = std::string ExtractionRules::*;
using LabelMap = std::map<std::string, boost::regex> ExtractionRules::*;

struct PatternKey {
    std::string_view key;
    Pattern pattern;
};
struct TemplateKey {
    std::string_view key;
    Template text;
};
struct LabelKey {
    std::string_view key;
    LabelMap rules;
};

const PatternKey kPatternKeys[] = {
    {"validateCompReg", &ExtractionRules::validateCompReg},
    {"validateCompContactReg", &ExtractionRules::validateCompContactReg},
    {"validateCompIntroduceReg", &ExtractionRules::validateCompIntroduceReg},
    {"validateCompUserInfoReg", &ExtractionRules::validateCompUserInfoReg},
    {"generalCompReg", &ExtractionRules::generalCompReg},
    {"generalCompContactReg", &ExtractionRules::generalCompContactReg},
    {"generalCompIntroduceReg", &ExtractionRules::generalCompIntroduceReg},
    {"compTotalPageReg", &ExtractionRules::compTotalPageReg},
    {"compTotalCompanyReg", &ExtractionRules::compTotalCompanyReg},
    {"CompReg", &ExtractionRules::CompReg},
    {"CompContactReg", &ExtractionRules::CompContactReg},
    {"CompIntroduceReg", &ExtractionRules::CompIntroduceReg},
};

const TemplateKey kTemplateKeys[] = {
    {"TimeInfoUrl", &ExtractionRules::TimeInfoUrl},
    {"ConfirmInfoUrl", &ExtractionRules::ConfirmInfoUrl},
    {"searchBaseUrl", &ExtractionRules::searchBaseUrl},
    {"companySitePrefix", &ExtractionRules::companySitePrefix},
    {"detailPrefix", &ExtractionRules::detailPrefix},
    {"directoryPrefix", &ExtractionRules::directoryPrefix},
};

const LabelKey kLabelKeys[] = {
    {"general", &ExtractionRules::generalRules},
    {"validate", &ExtractionRules::validateRules},
    {"company", &ExtractionRules::companyRules},
};

// Where the loader tells what it skipped: one trace line per skipped line, and the findings for
// whoever asked for them.
struct LineReport {
    std::vector<RulesFinding>* findings;
    int lineNumber;

    void Skipped(RulesFinding::Kind kind, const std::string& reason, std::string_view subject = {}) const {
        TraceLine("rules file line %d skipped: %s", lineNumber, reason.c_str());
        Note(kind, reason, subject);
    }
    void Note(RulesFinding::Kind kind, const std::string& reason, std::string_view subject) const {
        if (findings != nullptr) findings->push_back({kind, lineNumber, std::string(subject), reason});
    }
};

// The compiled pattern, or none (reported) when it does not compile or captures nothing: every
// rule delivers its value in sub-match 1.
std::optional<boost::regex> CompilePattern(std::string_view text, const LineReport& report,
                                           std::string_view subject) {
    // Boost.Regex 1.74 reads one byte past a pattern that ends in "[" ... "\"; compiling from a
    // NUL-terminated copy keeps that read inside the buffer.
    const std::string terminated(text);
    try {
        boost::regex pattern(terminated.data(), terminated.data() + terminated.size(), kPatternFlags);
        if (pattern.mark_count() == 0) {
            report.Skipped(RulesFinding::Kind::noCaptureGroup, "the pattern has no capture group", subject);
            return std::nullopt;
        }
        return pattern;
    } catch (const std::exception& error) {
        report.Skipped(RulesFinding::Kind::skippedLine,
                       std::string("the pattern does not compile: ") + error.what(), subject);
        return std::nullopt;
    }
}

bool HasRecordField(const LabelKey& entry, const std::string& label) {
    if (IsKnownLabel(label)) return true;
    // The member pages' reading stores these validate labels outside the label table.
    return entry.rules == &ExtractionRules::validateRules && IsMemberPageLabel(label);
}

void LoadRule(std::string_view line, const LineReport& report, ExtractionRules& rules) {
    if (StartsWith(line, "#") || line.empty()) return;
    if (line.size() >= kLineLimit) {
        return report.Skipped(RulesFinding::Kind::skippedLine, "the line is 512 bytes or longer");
    }
    const std::size_t separator = line.find(kSeparator);
    if (separator == std::string_view::npos) {
        return report.Skipped(RulesFinding::Kind::skippedLine, "no \",,,\" after the key");
    }
    const std::string_view key = line.substr(0, separator);
    const std::string_view value = line.substr(separator + kSeparator.size());

    for (const PatternKey& entry : kPatternKeys) {
        if (key != entry.key) continue;
        if (auto pattern = CompilePattern(value, report, key)) rules.*entry.pattern = std::move(pattern);
        return;
    }
    for (const TemplateKey& entry : kTemplateKeys) {
        if (key != entry.key) continue;
        rules.*entry.text = std::string(value);
        return;
    }
    for (const LabelKey& entry : kLabelKeys) {
        if (key != entry.key) continue;
        const std::size_t labelEnd = value.find(kSeparator);
        if (labelEnd == std::string_view::npos) {
            return report.Skipped(RulesFinding::Kind::skippedLine, "no \",,,\" after the label", key);
        }
        std::string label(value.substr(0, labelEnd));
        const std::string subject = std::string(key) + " " + label;
        if (auto pattern = CompilePattern(value.substr(labelEnd + kSeparator.size()), report, subject)) {
            if (!HasRecordField(entry, label)) {
                report.Note(RulesFinding::Kind::labelWithoutField, "the label has no record field", subject);
            }
            (rules.*entry.rules).insert_or_assign(std::move(label), std::move(*pattern));
        }
        return;
    }
    // Not traced: a line with a key of another program's rules is no fault of the loader.
    report.Note(RulesFinding::Kind::unknownKey, "unknown key", key);
}

}  // namespace

void LoadRulesFromText(std::string_view text, ExtractionRules& rules, std::vector<RulesFinding>* findings) {
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        LoadRule(line, LineReport{findings, ++lineNumber}, rules);
    }
}

std::vector<std::string_view> KnownRuleKeys() {
    std::vector<std::string_view> keys;
    for (const PatternKey& entry : kPatternKeys) keys.push_back(entry.key);
    for (const TemplateKey& entry : kTemplateKeys) keys.push_back(entry.key);
    for (const LabelKey& entry : kLabelKeys) keys.push_back(entry.key);
    return keys;
}

bool LoadRulesFile(const std::string& path, ExtractionRules& rules, std::vector<RulesFinding>* findings) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::string text;
    char block[8192];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
    const bool readFailed = std::ferror(file) != 0;  // a directory opens but does not read
    std::fclose(file);
    if (readFailed) return false;
    LoadRulesFromText(text, rules, findings);
    return true;
}
