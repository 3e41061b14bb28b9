#include "learn/rule_context.h"

#include <algorithm>

#include "engine/gbk_characters.h"

namespace {

// A label is a few words; text further from the value belongs to the page, not to the label.
constexpr std::size_t kLabelCharacters = 16;
constexpr std::string_view kRegexSpecials = "\\^$.|?*+()[]{}";
constexpr std::string_view kBlank = "\\s*";
constexpr std::string_view kAnyTag = "<[^>]*>";
constexpr std::string_view kAnyText = "[^<]*?";

bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// "<DT CLASS=...>" -> "<DT[^>]*>"; a closing or empty tag as it stands.
std::string TagPattern(std::string_view tag) {
    if (tag.size() > 1 && tag[1] == '/') return LiteralPattern(tag);
    std::size_t nameEnd = 1;
    while (nameEnd < tag.size() && !IsBlank(tag[nameEnd]) && tag[nameEnd] != '>' && tag[nameEnd] != '/')
        ++nameEnd;
    return LiteralPattern(tag.substr(0, nameEnd)) + "[^>]*>";
}

std::string TagName(std::string_view pattern) {
    const std::size_t end = pattern.find_first_of("[>");
    return std::string(pattern.substr(0, end));
}

bool IsLabelLength(std::string_view run) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < run.size() && characters <= kLabelCharacters;
         at += CharacterLength(run, at))
        ++characters;
    return characters <= kLabelCharacters;
}

}  // namespace

std::string LiteralPattern(std::string_view text) {
    std::string pattern;
    bool inBlank = false;
    for (const char byte : text) {
        if (IsBlank(byte)) {
            if (!inBlank) pattern += kBlank;
            inBlank = true;
            continue;
        }
        inBlank = false;
        // A GBK trail byte may have a special character's value: escaped, it still matches itself.
        if (kRegexSpecials.find(byte) != std::string_view::npos) pattern += '\\';
        pattern += byte;
    }
    return pattern;
}

std::vector<ContextPiece> LeftContext(std::string_view text, const ValueOccurrence& occurrence,
                                      std::size_t count) {
    std::vector<ContextPiece> pieces;
    std::size_t end = occurrence.begin;
    while (pieces.size() < count && end > 0) {
        bool blank = false;
        while (end > 0 && IsBlank(text[end - 1])) {
            --end;
            blank = true;
        }
        if (!pieces.empty()) pieces.back().blankBefore = blank;
        if (end == 0) break;
        if (text[end - 1] == '>') {
            const std::size_t open = text.rfind('<', end - 1);
            if (open == std::string_view::npos) break;
            pieces.push_back({ContextPiece::Kind::tag, TagPattern(text.substr(open, end - open)), false});
            end = open;
            continue;
        }
        // Text back to the tag before it: '>' is never part of a GBK character.
        const std::size_t close = text.rfind('>', end - 1);
        const std::size_t start = close == std::string_view::npos ? 0 : close + 1;
        std::string_view run = text.substr(start, end - start);
        const std::size_t visibleStart = run.find_first_not_of(" \t\r\n");
        run = run.substr(visibleStart);
        // Text longer than a label is the page's own (a sentence, a script): the context ends before it.
        if (!IsLabelLength(run)) break;
        pieces.push_back({ContextPiece::Kind::text, LiteralPattern(run), false});
        end = start + visibleStart;
    }
    return pieces;
}

ContextPiece RightContext(std::string_view text, const ValueOccurrence& occurrence) {
    std::size_t at = occurrence.end;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at >= text.size()) return {ContextPiece::Kind::text, std::string(), false};
    if (text[at] == '<') {
        const std::size_t close = text.find('>', at);
        if (close == std::string_view::npos) return {ContextPiece::Kind::text, std::string(), false};
        return {ContextPiece::Kind::tag, TagPattern(text.substr(at, close + 1 - at)), false};
    }
    // Text right after the value (a unit such as "元"): its first character is enough.
    return {ContextPiece::Kind::text, LiteralPattern(text.substr(at, CharacterLength(text, at))), false};
}

std::string LabelRulePattern(const std::vector<ContextPiece>& left, std::size_t size, bool captureSpansTags,
                             const ContextPiece& right) {
    std::string pattern;
    for (std::size_t index = size; index-- > 0;) {
        const ContextPiece& piece = left[index];
        pattern += piece.pattern;
        if (index == 0) break;
        const ContextPiece& next = left[index - 1];
        const bool tagsMeet = piece.kind == ContextPiece::Kind::tag && next.kind == ContextPiece::Kind::tag;
        if ((next.blankBefore || tagsMeet) && !pattern.ends_with(kBlank)) pattern += kBlank;
    }
    pattern += kBlank;
    pattern += captureSpansTags ? "(.*?)" : "([^<]*?)";
    pattern += kBlank;
    return pattern + right.pattern;
}

bool MakeInnerTagOptional(std::vector<ContextPiece>& pieces, ContextPiece& right) {
    const auto opening = [](const ContextPiece& piece) {
        return piece.kind == ContextPiece::Kind::tag && !piece.pattern.starts_with("</");
    };
    if (pieces.size() < 2 || !opening(pieces[0]) || !opening(pieces[1]) ||
        right.kind != ContextPiece::Kind::tag)
        return false;
    pieces[0].pattern.insert(0, "(?:");
    pieces[0].pattern.append(")?");
    right.pattern = "<";
    return true;
}

bool MergeContexts(const std::vector<ContextPiece>& first, const std::vector<ContextPiece>& second,
                   std::size_t size, std::vector<ContextPiece>& merged) {
    if (first.size() < size || second.size() < size) return false;
    merged.assign(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(size));
    bool differs = false;
    for (std::size_t index = 0; index < size; ++index) {
        const ContextPiece& other = second[index];
        ContextPiece& piece = merged[index];
        if (piece.kind != other.kind) return false;
        piece.blankBefore = piece.blankBefore || other.blankBefore;
        if (piece.pattern == other.pattern) continue;
        differs = true;
        if (piece.kind == ContextPiece::Kind::text) {
            piece.pattern = std::string(kAnyText);
        } else if (TagName(piece.pattern) != TagName(other.pattern) || piece.pattern[1] == '/') {
            piece.pattern = std::string(kAnyTag);
        }
    }
    return differs;
}
