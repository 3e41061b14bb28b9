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
constexpr std::string_view kSiteNameLine = "siteName,,,";
constexpr boost::regex::flag_type kPatternFlags = boost::regex::perl | boost::regex::icase;

using Pattern = std::optional<boost::regex> ExtractionRules::*;
using Template = std::string ExtractionRules::*;
using LabelMap = std::map<std::string, boost::regex> ExtractionRules::*;

// Keys whose value may be empty: the site has no such page or text.
constexpr bool kMayBeEmpty = true;
// Patterns that only tell whether a link matches, so that they deliver no value.
constexpr bool kCaptureOptional = true;

struct PatternKey {
    std::string_view key;
    Pattern pattern;
    bool mayBeEmpty = false;
    bool captureOptional = false;
};
struct TemplateKey {
    std::string_view key;
    Template text;
    bool mayBeEmpty = false;
};
struct LabelKey {
    std::string_view key;
    LabelMap rules;
};

const PatternKey kPatternKeys[] = {
    {"validateCompReg", &ExtractionRules::validateCompReg},
    {"validateCompContactReg", &ExtractionRules::validateCompContactReg, kMayBeEmpty},
    {"validateCompIntroduceReg", &ExtractionRules::validateCompIntroduceReg, kMayBeEmpty},
    {"validateCompUserInfoReg", &ExtractionRules::validateCompUserInfoReg, kMayBeEmpty},
    {"generalCompReg", &ExtractionRules::generalCompReg},
    {"generalCompContactReg", &ExtractionRules::generalCompContactReg, kMayBeEmpty},
    {"generalCompIntroduceReg", &ExtractionRules::generalCompIntroduceReg, kMayBeEmpty},
    {"compTotalPageReg", &ExtractionRules::compTotalPageReg},
    {"compTotalCompanyReg", &ExtractionRules::compTotalCompanyReg},
    {"CompReg", &ExtractionRules::CompReg},
    {"CompContactReg", &ExtractionRules::CompContactReg, kMayBeEmpty},
    {"CompIntroduceReg", &ExtractionRules::CompIntroduceReg, kMayBeEmpty},
    {"nextPageReg", &ExtractionRules::nextPageReg},
    {"companySiteLinkReg", &ExtractionRules::companySiteLinkReg, false, kCaptureOptional},
    {"generalLinkReg", &ExtractionRules::generalLinkReg, false, kCaptureOptional},
    {"memberIdReg", &ExtractionRules::memberIdReg},
};

const TemplateKey kTemplateKeys[] = {
    {"TimeInfoUrl", &ExtractionRules::TimeInfoUrl, kMayBeEmpty},
    {"ConfirmInfoUrl", &ExtractionRules::ConfirmInfoUrl, kMayBeEmpty},
    {"searchBaseUrl", &ExtractionRules::searchBaseUrl},
    {"companySitePrefix", &ExtractionRules::companySitePrefix},
    {"detailPrefix", &ExtractionRules::detailPrefix},
    {"directoryPrefix", &ExtractionRules::directoryPrefix},
    {"siteName", &ExtractionRules::siteName},
    {"searchUrlTemplate", &ExtractionRules::searchUrlTemplate},
    {"queryCharset", &ExtractionRules::queryCharset},
};

const LabelKey kLabelKeys[] = {
    {"general", &ExtractionRules::generalRules},
    {"validate", &ExtractionRules::validateRules},
    {"company", &ExtractionRules::companyRules},
};

// Where the loader tells what it skipped or replaced: one trace line for each, and the findings
// for whoever asked for them.
struct LineReport {
    std::vector<RulesFinding>* findings;
    int lineNumber;

    void Skipped(RulesFinding::Kind kind, const std::string& reason, std::string_view subject = {}) const {
        TraceLine("rules file line %d skipped: %s", lineNumber, reason.c_str());
        Note(kind, reason, subject);
    }
    void Replaced(std::string_view subject, int earlierLine) const {
        const std::string reason =
            "given again: this line replaces line " + std::to_string(earlierLine) + ", which is not used";
        TraceLine("rules file line %d: %s: %s", lineNumber, std::string(subject).c_str(), reason.c_str());
        Note(RulesFinding::Kind::repeatedKey, reason, subject);
    }
    void Note(RulesFinding::Kind kind, const std::string& reason, std::string_view subject) const {
        if (findings != nullptr) findings->push_back({kind, lineNumber, std::string(subject), reason});
    }
};

// The loader's state over the lines of one file: where each key (or key and label) was last
// stored, so that a line giving it again is told.
struct FileLoad {
    ExtractionRules& rules;
    std::map<std::string, int> storedAt;

    void Stored(const LineReport& report, const std::string& subject) {
        const auto [entry, first] = storedAt.try_emplace(subject, report.lineNumber);
        if (first) return;
        report.Replaced(subject, entry->second);
        entry->second = report.lineNumber;
    }
};

// The compiled pattern, or none (reported) when it does not compile or captures nothing: every
// rule delivers its value in sub-match 1.
std::optional<boost::regex> CompilePattern(std::string_view text, const LineReport& report,
                                           std::string_view subject, bool captureOptional = false) {
    // Boost.Regex 1.74 reads one byte past a pattern that ends in "[" ... "\"; compiling from a
    // NUL-terminated copy keeps that read inside the buffer.
    const std::string terminated(text);
    try {
        boost::regex pattern(terminated.data(), terminated.data() + terminated.size(), kPatternFlags);
        if (pattern.mark_count() == 0 && !captureOptional) {
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

// Notes whether the key is given with an empty value, which says that the site has no such page
// or text; the key counts as stored either way.
void NoteStored(std::string_view key, bool givenEmpty, FileLoad& load, const LineReport& report) {
    if (givenEmpty) {
        load.rules.keysGivenEmpty.emplace(key);
    } else {
        load.rules.keysGivenEmpty.erase(std::string(key));
    }
    load.Stored(report, std::string(key));
}

void LoadRule(std::string_view line, const LineReport& report, FileLoad& load) {
    ExtractionRules& rules = load.rules;
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
        if (entry.mayBeEmpty && value.empty()) {
            (rules.*entry.pattern).reset();
            NoteStored(key, true, load, report);
        } else if (auto pattern = CompilePattern(value, report, key, entry.captureOptional)) {
            rules.*entry.pattern = std::move(pattern);
            NoteStored(key, false, load, report);
        }
        return;
    }
    for (const TemplateKey& entry : kTemplateKeys) {
        if (key != entry.key) continue;
        rules.*entry.text = std::string(value);
        NoteStored(key, entry.mayBeEmpty && value.empty(), load, report);
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
            load.Stored(report, subject);
        }
        return;
    }
    // Not traced: a line with a key of another program's rules is no fault of the loader.
    report.Note(RulesFinding::Kind::unknownKey, "unknown key", key);
}

// Each line without its line end (LF or CR LF), numbered from 1.
template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction function) {
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        function(line, ++lineNumber);
    }
}

// The whole file; none when it can't be opened or read.
std::optional<std::string> ReadRulesText(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    std::string text;
    char block[8192];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
    const bool readFailed = std::ferror(file) != 0;  // a directory opens but does not read
    std::fclose(file);
    if (readFailed) return std::nullopt;
    return text;
}

}  // namespace

void LoadRulesFromText(std::string_view text, ExtractionRules& rules, std::vector<RulesFinding>* findings) {
    FileLoad load{rules, {}};
    ForEachLine(text, [&](std::string_view line, int lineNumber) {
        LoadRule(line, LineReport{findings, lineNumber}, load);
    });
}

std::vector<std::string_view> KnownRuleKeys() {
    std::vector<std::string_view> keys;
    for (const PatternKey& entry : kPatternKeys) keys.push_back(entry.key);
    for (const TemplateKey& entry : kTemplateKeys) keys.push_back(entry.key);
    for (const LabelKey& entry : kLabelKeys) keys.push_back(entry.key);
    return keys;
}

bool LoadRulesFile(const std::string& path, ExtractionRules& rules, std::vector<RulesFinding>* findings) {
    const std::optional<std::string> text = ReadRulesText(path);
    if (!text) return false;
    LoadRulesFromText(*text, rules, findings);
    return true;
}

std::string RulesTextNamed(std::string_view text, const std::string& siteName) {
    const std::string_view lineEnd = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::string named = std::string(kSiteNameLine) + siteName + std::string(lineEnd);
    ForEachLine(text, [&](std::string_view line, int) {
        if (line.starts_with(kSiteNameLine)) return;
        named.append(line);
        named.append(lineEnd);
    });
    return named;
}

std::string ReadSiteName(const std::string& path) {
    const std::optional<std::string> text = ReadRulesText(path);
    if (!text) return {};
    std::string name;
    ForEachLine(*text, [&](std::string_view line, int) {
        if (line.size() < kLineLimit && line.starts_with(kSiteNameLine))
            name = line.substr(kSiteNameLine.size());
    });
    return name;
}
