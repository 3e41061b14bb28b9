#include "engine/page_tokenizer.h"

#include <utility>
#include <vector>

// The walk follows the HTML standard's tokenizer (13.2.5 Tokenization) in the states that decide
// where text, tags, comments and raw text begin and end; what a state only reports as a parse
// error changes nothing here. One departure: a tag the page never closes is text, as it would be
// had the page been cut short, where the standard drops it.

namespace {

constexpr std::string_view kCommentOpen = "--";
// Elements whose contents are raw text, not markup: script data and RAWTEXT.
constexpr std::string_view kRawTextElements[] = {"script", "style"};

bool IsAsciiLetter(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

char Lower(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

bool EndsTagName(char byte) {
    return IsHtmlBlank(byte) || byte == '/' || byte == '>';
}

bool IsRawTextElement(std::string_view name) {
    for (const std::string_view element : kRawTextElements) {
        if (name == element) return true;
    }
    return false;
}

// The attribute states from `at` (just after a tag's name) to the tag's ">": the place after the
// ">", or npos when the page ends first. Each attribute goes into `attributes` unless it is null.
std::size_t WalkAttributes(std::string_view page, std::size_t at, std::vector<TagAttributeSpan>* attributes) {
    const auto atEnd = [&] { return at >= page.size(); };
    for (;;) {
        // Before attribute name state; a "/" not before ">" is passed over (self-closing start tag state).
        while (!atEnd() && (IsHtmlBlank(page[at]) || page[at] == '/')) ++at;
        if (atEnd()) return std::string_view::npos;
        if (page[at] == '>') return at + 1;
        // Attribute name state: an "=" that starts the name is part of it.
        TagAttributeSpan attribute;
        const std::size_t nameStart = at;
        while (!atEnd() && !EndsTagName(page[at]) && (page[at] != '=' || at == nameStart)) ++at;
        const std::size_t nameEnd = at;
        // After attribute name state.
        std::size_t afterName = at;
        while (afterName < page.size() && IsHtmlBlank(page[afterName])) ++afterName;
        if (afterName < page.size() && page[afterName] == '=') {
            // Before attribute value state, then the quoted or unquoted value state.
            at = afterName + 1;
            while (!atEnd() && IsHtmlBlank(page[at])) ++at;
            if (atEnd()) return std::string_view::npos;
            attribute.hasValue = true;
            if (page[at] == '"' || page[at] == '\'') {
                attribute.quote = page[at];
                attribute.valueBegin = at + 1;
                at = page.find(attribute.quote, at + 1);
                if (at == std::string_view::npos) return at;
                attribute.valueEnd = at++;
            } else {
                attribute.valueBegin = at;
                while (!atEnd() && !IsHtmlBlank(page[at]) && page[at] != '>') ++at;
                attribute.valueEnd = at;
            }
        }
        if (attributes == nullptr) continue;
        for (std::size_t byte = nameStart; byte < nameEnd; ++byte) attribute.name += Lower(page[byte]);
        attributes->push_back(std::move(attribute));
    }
}

}  // namespace

bool IsHtmlBlank(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

bool HasWordAt(std::string_view page, std::size_t at, std::string_view word) {
    if (at > page.size() || page.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(page[at + i]) != word[i]) return false;
    }
    return true;
}

std::vector<TagAttributeSpan> TagAttributes(std::string_view page, const PageToken& tag) {
    std::vector<TagAttributeSpan> attributes;
    if (tag.kind != PageTokenKind::text) WalkAttributes(page, tag.attributesBegin, &attributes);
    return attributes;
}

bool PageTokenizer::Next(PageToken& token) {
    if (tagPending_) {
        tagPending_ = false;
        std::swap(token, pending_);
        at_ = token.end;
        if (token.kind == PageTokenKind::startTag && IsRawTextElement(token.name))
            at_ = RawTextEnd(at_, token.name);
        return true;
    }
    std::size_t textStart = at_;
    // Data state: every "<" is looked at once; one that opens no markup stays in the text.
    for (std::size_t at = page_.find('<', at_); at != std::string_view::npos; at = page_.find('<', at)) {
        if (const std::size_t skippedEnd = SkippedMarkupEnd(at); skippedEnd != 0) {
            at_ = skippedEnd;
            if (at > textStart) return Text(textStart, at, token);
            textStart = at = skippedEnd;
            continue;
        }
        if (!OpensTag(at)) {
            ++at;
            continue;
        }
        // A tag never closed ends the walk: it and all after it are text.
        if (!ReadTag(at, pending_)) break;
        tagPending_ = true;
        if (at > textStart) return Text(textStart, at, token);
        return Next(token);
    }
    at_ = page_.size();
    return textStart < page_.size() && Text(textStart, page_.size(), token);
}

bool PageTokenizer::Text(std::size_t begin, std::size_t end, PageToken& token) const {
    token.kind = PageTokenKind::text;
    token.begin = begin;
    token.end = end;
    token.name.clear();
    return true;
}

// Tag open state: an ASCII letter after "<", or after "</" (end tag open state), starts a tag name.
bool PageTokenizer::OpensTag(std::size_t at) const {
    const std::size_t name = at + 1 < page_.size() && page_[at + 1] == '/' ? at + 2 : at + 1;
    return name < page_.size() && IsAsciiLetter(page_[name]);
}

std::size_t PageTokenizer::SkippedMarkupEnd(std::size_t at) const {
    if (at + 1 >= page_.size()) return 0;  // tag open state at the end: "<" is text
    switch (page_[at + 1]) {
        case '!':
            // Markup declaration open state: "--" opens a comment; all else ("DOCTYPE", "[CDATA[")
            // is a declaration to its ">", which outside foreign content shows nothing.
            if (page_.compare(at + 2, kCommentOpen.size(), kCommentOpen) == 0)
                return CommentEnd(at + 2 + kCommentOpen.size());
            return BogusCommentEnd(at + 2);
        case '?':  // unexpected-question-mark-instead-of-tag-name: a bogus comment
            return BogusCommentEnd(at + 2);
        case '/': {
            // End tag open state: "</>" is dropped, "</" at the end is text, a "</" before
            // anything but a letter is a bogus comment.
            if (at + 2 >= page_.size()) return 0;
            const char first = page_[at + 2];
            if (first == '>') return at + 3;
            return IsAsciiLetter(first) ? 0 : BogusCommentEnd(at + 2);
        }
        default:
            return 0;
    }
}

// Bogus comment state: to the first ">", or the page's end.
std::size_t PageTokenizer::BogusCommentEnd(std::size_t from) const {
    const std::size_t close = page_.find('>', from);
    return close == std::string_view::npos ? page_.size() : close + 1;
}

// From the comment start state on: "<!-->" and "<!--->" are empty comments; else the comment
// ends at the first "-->" or "--!>" (comment end state, comment end bang state), or the page's end.
std::size_t PageTokenizer::CommentEnd(std::size_t from) const {
    if (page_.compare(from, 1, ">") == 0) return from + 1;
    if (page_.compare(from, 2, "->") == 0) return from + 2;
    for (std::size_t dashes = page_.find(kCommentOpen, from); dashes != std::string_view::npos;
         dashes = page_.find(kCommentOpen, dashes + 1)) {
        if (page_.compare(dashes + 2, 1, ">") == 0) return dashes + 3;
        if (page_.compare(dashes + 2, 2, "!>") == 0) return dashes + 4;
    }
    return page_.size();
}

// Tag name state; the attribute states find the tag's ">". False when the page ends first.
bool PageTokenizer::ReadTag(std::size_t at, PageToken& token) const {
    token.kind = page_[at + 1] == '/' ? PageTokenKind::endTag : PageTokenKind::startTag;
    token.begin = at;
    token.name.clear();
    std::size_t next = token.kind == PageTokenKind::endTag ? at + 2 : at + 1;
    for (; next < page_.size() && !EndsTagName(page_[next]); ++next) token.name += Lower(page_[next]);
    token.attributesBegin = next;
    token.end = WalkAttributes(page_, next, nullptr);
    return token.end != std::string_view::npos;
}

// Script data and RAWTEXT end only at the element's own end tag: "</", its name in any case, and a
// blank, "/" or ">". At the page's end the end tag name state has no such byte, so a page ending
// in "</script" ends inside the script.
std::size_t PageTokenizer::RawTextEnd(std::size_t from, std::string_view name) const {
    for (std::size_t at = page_.find("</", from); at != std::string_view::npos;
         at = page_.find("</", at + 2)) {
        const std::size_t after = at + 2 + name.size();
        if (HasWordAt(page_, at + 2, name) && after < page_.size() && EndsTagName(page_[after])) return at;
    }
    return page_.size();
}
