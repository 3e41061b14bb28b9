#include "learn/label_transfer.h"

#include <algorithm>

#include "learn/rule_context.h"
#include "learn/value_finder.h"

namespace {

constexpr std::string_view kBlank = "\\s*";
constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kRegexSpecials = "^$.|?*+()[]{}";
// The pieces from the value back to the tag before the label: the label's opening tag, the
// label, its closing tag, and the value's own opening tag where the value stands in an element.
constexpr std::size_t kPiecesToLabelText = 3;
constexpr std::size_t kPiecesToLabelElement = 4;
// Places of the label on one page worth building rules from; a page that repeats it without end
// is looked at no further.
constexpr std::size_t kMaxLabelPlaces = 16;

// A pattern's text as the page writes it; empty when the text holds more than literals.
std::string LiteralText(std::string_view pattern) {
    std::string text;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern.substr(at).starts_with(kBlank)) {
            at += kBlank.size() - 1;
        } else if (pattern[at] == '\\' && at + 1 < pattern.size()) {
            text += pattern[++at];
        } else if (kRegexSpecials.find(pattern[at]) != std::string_view::npos) {
            return {};
        } else {
            text += pattern[at];
        }
    }
    return text;
}

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
    const std::size_t next = text.find_first_not_of(kBlanks, at);
    return next == std::string_view::npos ? text.size() : next;
}

// Where the value after a label's closing tag (at `at`) stands; an empty occurrence when none does.
ValueOccurrence ValueAfterLabel(std::string_view text, std::size_t at, std::size_t& pieces) {
    const std::size_t labelEnd = text.find('>', at);
    if (!text.substr(at).starts_with("</") || labelEnd == std::string_view::npos) return {};
    at = SkipBlanks(text, labelEnd + 1);
    std::size_t end = text.find('<', at);
    pieces = kPiecesToLabelText;
    if (text.substr(at).starts_with("<")) {
        // The value's own element: its name, and its text up to the element's end.
        const std::size_t nameEnd = text.find_first_of(" >/", at + 1);
        const std::size_t open = text.find('>', at);
        if (text.substr(at).starts_with("</") || nameEnd == std::string_view::npos ||
            open == std::string_view::npos)
            return {};
        end = text.find("</" + std::string(text.substr(at + 1, nameEnd - at - 1)) + ">", open);
        at = SkipBlanks(text, open + 1);
        pieces = kPiecesToLabelElement;
    }
    // An empty element is the label in its place on a company without the value.
    if (end == std::string_view::npos || end < at) return {};
    if (end > at) end = text.find_last_not_of(kBlanks, end - 1) + 1;
    return {at, end, text.substr(at, end - at).find('<') != std::string_view::npos};
}

}  // namespace

std::vector<std::string> RuleLabelKeys(std::string_view pattern) {
    std::vector<std::string> keys;
    for (std::size_t close = pattern.find('>'); close != std::string_view::npos;
         close = pattern.find('>', close + 1)) {
        const std::size_t open = pattern.find('<', close);
        const std::string key = ValueKey(LiteralText(pattern.substr(close + 1, open - close - 1)));
        if (!key.empty() && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    return keys;
}

std::vector<std::string> RulesAfterLabel(std::string_view text, const std::vector<std::string>& labelKeys,
                                         bool captureSpansTags) {
    std::vector<std::string> rules;
    std::size_t places = 0;
    // Each text between a tag's end and the next tag once.
    for (std::size_t close = text.find('>'), next = 0;
         close != std::string_view::npos && places < kMaxLabelPlaces; close = text.find('>', next)) {
        next = text.find('<', close);
        if (next == std::string_view::npos) break;
        const std::string key = ValueKey(text.substr(close + 1, next - close - 1));
        if (key.empty() || std::find(labelKeys.begin(), labelKeys.end(), key) == labelKeys.end()) continue;
        ++places;
        std::size_t size = 0;
        const ValueOccurrence value = ValueAfterLabel(text, next, size);
        if (value.end == 0) continue;
        const std::vector<ContextPiece> left = LeftContext(text, value, size);
        if (left.size() < size || left[size - 1].kind != ContextPiece::Kind::tag) continue;
        // A text of its own after the label runs to whatever tag comes next.
        const ContextPiece right = size == kPiecesToLabelText
                                       ? ContextPiece{ContextPiece::Kind::tag, "<", false}
                                       : RightContext(text, value);
        std::string rule = LabelRulePattern(left, size, captureSpansTags || value.spansTag, right);
        if (std::find(rules.begin(), rules.end(), rule) == rules.end()) rules.push_back(std::move(rule));
    }
    return rules;
}
