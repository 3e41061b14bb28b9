#include "engine/rules_file.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>

#include "engine/starts_with.h"
#include "http/trace_output.h"
#include "platform/program_directory.h"

namespace {

constexpr char kRulesFileName[] = "config/reg.alibaba";
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

void ReportSkippedLine(int lineNumber, const char* reason, const char* detail = "") {
    TraceLine("rules file line %d skipped: %s%s", lineNumber, reason, detail);
}

// The compiled pattern, or none (reported) when it does not compile or captures nothing: every
// rule delivers its value in sub-match 1.
std::optional<boost::regex> CompilePattern(std::string_view text, int lineNumber) {
    // Boost.Regex 1.74 reads one byte past a pattern that ends in "[" ... "\"; compiling from a
    // NUL-terminated copy keeps that read inside the buffer.
    const std::string terminated(text);
    try {
        boost::regex pattern(terminated.data(), terminated.data() + terminated.size(), kPatternFlags);
        if (pattern.mark_count() == 0) {
            ReportSkippedLine(lineNumber, "the pattern has no capture group");
            return std::nullopt;
        }
        return pattern;
    } catch (const std::exception& error) {
        ReportSkippedLine(lineNumber, "the pattern does not compile: ", error.what());
        return std::nullopt;
    }
}

void LoadRule(std::string_view line, int lineNumber, ExtractionRules& rules) {
    if (StartsWith(line, "#") || line.empty()) return;
    if (line.size() >= kLineLimit) return ReportSkippedLine(lineNumber, "the line is 512 bytes or longer");
    const std::size_t separator = line.find(kSeparator);
    if (separator == std::string_view::npos) {
        return ReportSkippedLine(lineNumber, "no \",,,\" after the key");
    }
    const std::string_view key = line.substr(0, separator);
    const std::string_view value = line.substr(separator + kSeparator.size());

    for (const PatternKey& entry : kPatternKeys) {
        if (key != entry.key) continue;
        if (auto pattern = CompilePattern(value, lineNumber)) rules.*entry.pattern = std::move(pattern);
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
            return ReportSkippedLine(lineNumber, "no \",,,\" after the label");
        }
        if (auto pattern = CompilePattern(value.substr(labelEnd + kSeparator.size()), lineNumber)) {
            (rules.*entry.rules)
                .insert_or_assign(std::string(value.substr(0, labelEnd)), std::move(*pattern));
        }
        return;
    }
}

}  // namespace

void LoadRulesFromText(std::string_view text, ExtractionRules& rules) {
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        LoadRule(line, ++lineNumber, rules);
    }
}

bool LoadRulesFile(const std::string& path, ExtractionRules& rules) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::string text;
    char block[8192];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
    const bool readFailed = std::ferror(file) != 0;  // a directory opens but does not read
    std::fclose(file);
    if (readFailed) return false;
    LoadRulesFromText(text, rules);
    return true;
}

std::string FindRulesFile() {
    std::error_code error;
    if (std::filesystem::is_regular_file(kRulesFileName, error)) return kRulesFileName;
    std::string besideProgram = ProgramDirectory() + "/" + kRulesFileName;
    if (std::filesystem::is_regular_file(besideProgram, error)) return besideProgram;
    return kRulesFileName;
}
