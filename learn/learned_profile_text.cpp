#include <algorithm>
#include <set>
#include <string_view>

#include "learn/profile_learner.h"

namespace {

constexpr std::string_view kSeparator = ",,,";
constexpr std::string_view kLearnedHeading = "# Learned from examples\n";

bool IsLabelKey(std::string_view key) {
    return key == "general" || key == "validate" || key == "company";
}

// What a line gives a value for: "key" or "key,,,label"; empty for comments and blank lines.
std::string LineSubject(std::string_view line) {
    if (line.empty() || line.front() == '#') return {};
    const std::size_t keyEnd = line.find(kSeparator);
    if (keyEnd == std::string_view::npos) return {};
    const std::string_view key = line.substr(0, keyEnd);
    if (!IsLabelKey(key)) return std::string(key);
    const std::size_t labelEnd = line.find(kSeparator, keyEnd + kSeparator.size());
    return std::string(labelEnd == std::string_view::npos ? line : line.substr(0, labelEnd));
}

std::string Subject(const std::string& key, const std::string& label) {
    return label.empty() ? key : key + std::string(kSeparator) + label;
}

}  // namespace

std::string LearnedProfileText(const std::string& baseText, const std::vector<FieldEvidence>& fields) {
    // subject -> the learned line; a label learned for several families gives a line for each.
    std::vector<std::pair<std::string, std::string>> learned;
    for (const FieldEvidence& field : fields) {
        if (!field.learned || field.pattern.empty()) continue;
        std::vector<std::string> keys{field.ruleKey};
        keys.insert(keys.end(), field.alsoRuleKeys.begin(), field.alsoRuleKeys.end());
        for (const std::string& key : keys) {
            const std::string subject = Subject(key, field.label);
            learned.emplace_back(subject, subject + std::string(kSeparator) + field.pattern);
        }
    }
    std::set<std::string> written;
    std::string text;
    std::string_view rest = baseText;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const bool crlf = line.ends_with('\r');
        if (crlf) line.remove_suffix(1);
        const std::string subject = LineSubject(line);
        const auto replacement = std::find_if(
            learned.begin(), learned.end(), [&subject](const auto& entry) { return entry.first == subject; });
        if (subject.empty() || replacement == learned.end()) {
            text.append(line).append(crlf ? "\r\n" : "\n");
        } else if (written.insert(subject).second) {
            // The base's line is replaced where it stood; a later line of the same subject would
            // win over it when the profile is read, so it goes.
            text.append(replacement->second).append(crlf ? "\r\n" : "\n");
        }
    }
    bool headed = false;
    for (const auto& [subject, line] : learned) {
        if (!written.insert(subject).second) continue;
        if (!headed && !text.empty() && !text.ends_with("\n\n")) text += '\n';
        if (!headed) text += kLearnedHeading;
        headed = true;
        text.append(line).append("\n");
    }
    return text;
}
