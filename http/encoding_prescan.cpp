#include "http/encoding_prescan.h"

#include <algorithm>
#include <span>
#include <utility>

#include "http/ascii_text.h"
#include "http/encoding_labels.h"

namespace {

using namespace std::string_view_literals;

// Where the walk ends: at the end of the bytes it is given, or at the end of the page's head.
enum class PrescanEnd { EndOfInput, EndOfHead };

// What one step of the walk came to.
enum class StepOutcome { Declared, NotDeclared, OutOfBytes };

// Elements that may stand in a head; any other start tag opens the body.
constexpr std::string_view kHeadElements[] = {"html",  "head",   "base",    "basefont", "bgsound",
                                              "link",  "meta",   "title",   "noscript", "noframes",
                                              "style", "script", "template"};
// Head elements whose content is text to the parser, not markup.
constexpr std::string_view kTextElements[] = {"title", "script", "style", "noscript", "noframes"};
// End tags that close the head.
constexpr std::string_view kHeadClosingEndTags[] = {"head", "body", "html", "br"};

// Byte classes as plain comparisons: the walk tests every byte of the tags it reads.
bool IsWhitespaceOrGreaterThan(char c) {
    return IsAsciiWhitespace(c) || c == '>';
}
bool EndsTagName(char c) {
    return IsWhitespaceOrGreaterThan(c) || c == '/';
}

// The position of the first byte from `from` on that `stops`, or npos.
template <typename Stop>
std::size_t FindFirst(std::string_view input, std::size_t from, Stop stops) {
    for (; from < input.size(); ++from)
        if (stops(input[from])) return from;
    return std::string_view::npos;
}

// The position of the first byte from `from` on that is no ASCII whitespace, or the end.
std::size_t SkipWhitespace(std::string_view input, std::size_t from) {
    return std::min(FindFirst(input, from, [](char c) { return !IsAsciiWhitespace(c); }), input.size());
}

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsOneOf(std::string_view name, std::span<const std::string_view> lowerNames) {
    return std::any_of(lowerNames.begin(), lowerNames.end(),
                       [name](std::string_view candidate) { return EqualsNoCase(name, candidate); });
}

std::size_t FindNoCase(std::string_view text, std::string_view lowerWord, std::size_t from) {
    const auto found =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), lowerWord.begin(),
                    lowerWord.end(), [](char a, char b) { return AsciiLower(a) == b; });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

struct Attribute {
    std::string_view name;
    std::string_view value;
};

// "Get an attribute" at `position`; NotDeclared when the tag has no further attribute.
StepOutcome GetAnAttribute(std::string_view input, std::size_t& position, Attribute& attribute) {
    // 1. Skip whitespace and "/".
    while (position < input.size() && (IsAsciiWhitespace(input[position]) || input[position] == '/'))
        ++position;
    if (position >= input.size()) return StepOutcome::OutOfBytes;
    // 2. A ">": there isn't one.
    if (input[position] == '>') return StepOutcome::NotDeclared;
    // 3-5. The name runs to an "=" (not its first byte), whitespace, "/" or ">".
    const std::size_t nameStart = position;
    for (;; ++position) {
        if (position >= input.size()) return StepOutcome::OutOfBytes;
        const char c = input[position];
        if ((c == '=' && position > nameStart) || IsAsciiWhitespace(c) || c == '/' || c == '>') break;
    }
    attribute = {input.substr(nameStart, position - nameStart), {}};
    if (input[position] == '/' || input[position] == '>') return StepOutcome::Declared;
    // 6. Spaces.
    position = SkipWhitespace(input, position);
    if (position >= input.size()) return StepOutcome::OutOfBytes;
    // 7. No "=": the attribute has no value.
    if (input[position] != '=') return StepOutcome::Declared;
    // 8-9. Past the "=", then Value: skip whitespace.
    position = SkipWhitespace(input, position + 1);
    if (position >= input.size()) return StepOutcome::OutOfBytes;
    // 10. A quoted value runs to the same quote; ">" leaves the value empty.
    const char first = input[position];
    if (first == '"' || first == '\'') {
        const std::size_t close = input.find(first, position + 1);
        if (close == std::string_view::npos) return StepOutcome::OutOfBytes;
        attribute.value = input.substr(position + 1, close - position - 1);
        position = close + 1;
        return StepOutcome::Declared;
    }
    if (first == '>') return StepOutcome::Declared;
    // 11-12. An unquoted value runs from its first byte to whitespace or ">".
    const std::size_t valueEnd = FindFirst(input, position + 1, IsWhitespaceOrGreaterThan);
    if (valueEnd == std::string_view::npos) return StepOutcome::OutOfBytes;
    attribute.value = input.substr(position, valueEnd - position);
    position = valueEnd;
    return StepOutcome::Declared;
}

// The "algorithm for extracting a character encoding from a meta element", given the value of its
// content attribute; none when it names no encoding the Encoding Standard knows.
std::optional<std::string_view> EncodingFromContent(std::string_view content) {
    std::size_t position = 0;
    for (;;) {
        // Loop: the next "charset", in any case.
        const std::size_t word = FindNoCase(content, "charset", position);
        if (word == std::string_view::npos) return std::nullopt;
        // Skip any ASCII whitespace after the word.
        position = SkipWhitespace(content, word + "charset"sv.size());
        // Not an "=": search again from just before that character.
        if (position >= content.size() || content[position] != '=') continue;
        // Skip any ASCII whitespace after the "=".
        position = SkipWhitespace(content, position + 1);
        if (position >= content.size()) return std::nullopt;
        // A quoted label runs to the same quote; an unmatched quote names nothing.
        const char next = content[position];
        if (next == '"' || next == '\'') {
            const std::size_t close = content.find(next, position + 1);
            if (close == std::string_view::npos) return std::nullopt;
            return EncodingForLabel(content.substr(position + 1, close - position - 1));
        }
        // An unquoted label runs to whitespace, ";" or the end.
        const std::size_t end = std::min(content.find_first_of("\t\n\f\r ;", position), content.size());
        return EncodingForLabel(content.substr(position, end - position));
    }
}

// The steps for a "<meta" tag, from the whitespace or "/" after its name to its end.
StepOutcome MetaTagEncoding(std::string_view input, std::size_t& position, std::string_view& encoding) {
    // The attribute list: a repeated name counts only the first time, and only these three names
    // are acted on, so only they need to be remembered.
    bool seenHttpEquiv = false;
    bool seenContent = false;
    bool seenCharset = false;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    // charset: not set (null), failure (a charset attribute of no known encoding), or the encoding.
    bool charsetFailed = false;
    std::optional<std::string_view> charset;
    for (;;) {
        // Attributes.
        Attribute attribute;
        const StepOutcome got = GetAnAttribute(input, position, attribute);
        if (got == StepOutcome::OutOfBytes) return got;
        if (got == StepOutcome::NotDeclared) break;
        if (EqualsNoCase(attribute.name, "http-equiv")) {
            if (std::exchange(seenHttpEquiv, true)) continue;
            if (EqualsNoCase(attribute.value, "content-type")) gotPragma = true;
        } else if (EqualsNoCase(attribute.name, "content")) {
            if (std::exchange(seenContent, true)) continue;
            const std::optional<std::string_view> extracted = EncodingFromContent(attribute.value);
            if (extracted && !charset && !charsetFailed) {
                charset = extracted;
                needPragma = true;
            }
        } else if (EqualsNoCase(attribute.name, "charset")) {
            if (std::exchange(seenCharset, true)) continue;
            charset = EncodingForLabel(attribute.value);
            charsetFailed = !charset;
            needPragma = false;
        }
    }
    // Processing.
    if (!needPragma) return StepOutcome::NotDeclared;
    if (*needPragma && !gotPragma) return StepOutcome::NotDeclared;
    if (charsetFailed) return StepOutcome::NotDeclared;
    // A page whose meta tag can be read byte by byte as ASCII is no UTF-16 page.
    if (*charset == kUtf16BeEncoding || *charset == kUtf16LeEncoding) charset = kUtf8Encoding;
    if (*charset == kUserDefinedEncoding) charset = kWindows1252Encoding;
    encoding = *charset;
    return StepOutcome::Declared;
}

// The position of the end tag that closes a text element named `name`, from `from` on.
std::size_t FindEndTag(std::string_view input, std::string_view name, std::size_t from) {
    for (std::size_t at = input.find("</", from); at != std::string_view::npos;
         at = input.find("</", at + 2)) {
        const std::size_t after = at + 2 + name.size();
        if (after < input.size() && EqualsNoCase(input.substr(at + 2, name.size()), name) &&
            EndsTagName(input[after]))
            return at;
    }
    return std::string_view::npos;
}

std::optional<std::string_view> Prescan(std::string_view input, PrescanEnd end) {
    // Prescan for UTF-16 XML declarations: "<?x" in either byte order.
    if (input.starts_with("<\0?\0x\0"sv)) return kUtf16LeEncoding;
    if (input.starts_with("\0<\0?\0x"sv)) return kUtf16BeEncoding;
    std::size_t position = 0;
    for (;;) {
        // Loop. Any byte other than "<" is passed over.
        position = input.find('<', position);
        if (position == std::string_view::npos) return std::nullopt;
        const std::string_view rest = input.substr(position);
        if (rest.starts_with("<!--")) {
            // A comment: to the first "-->" whose dashes may be those of "<!--".
            const std::size_t close = input.find("-->", position + 2);
            if (close == std::string_view::npos) return std::nullopt;
            position = close + 2;
        } else if (rest.size() > 5 && EqualsNoCase(rest.substr(0, 5), "<meta") &&
                   (IsAsciiWhitespace(rest[5]) || rest[5] == '/')) {
            // A meta tag.
            position += 5;
            std::string_view encoding;
            const StepOutcome outcome = MetaTagEncoding(input, position, encoding);
            if (outcome == StepOutcome::Declared) return encoding;
            if (outcome == StepOutcome::OutOfBytes) return std::nullopt;
        } else if (rest.size() > 2 && (IsAsciiAlpha(rest[1]) || (rest[1] == '/' && IsAsciiAlpha(rest[2])))) {
            // Another tag: its attributes are read and passed over.
            const bool endTag = rest[1] == '/';
            const std::size_t nameStart = position + (endTag ? 2 : 1);
            position = FindFirst(input, nameStart, IsWhitespaceOrGreaterThan);
            if (position == std::string_view::npos) return std::nullopt;
            const std::string_view name =
                input.substr(nameStart, FindFirst(input, nameStart, EndsTagName) - nameStart);
            // End of head, for the walk over the whole head.
            if (end == PrescanEnd::EndOfHead &&
                (endTag ? IsOneOf(name, kHeadClosingEndTags) : !IsOneOf(name, kHeadElements)))
                return std::nullopt;
            Attribute attribute;
            StepOutcome got;
            while ((got = GetAnAttribute(input, position, attribute)) == StepOutcome::Declared) {
            }
            if (got == StepOutcome::OutOfBytes) return std::nullopt;
            // The parser reads a text element's content as text up to its end tag.
            if (end == PrescanEnd::EndOfHead && !endTag && IsOneOf(name, kTextElements)) {
                position = FindEndTag(input, name, position);
                if (position == std::string_view::npos) return std::nullopt;
                continue;
            }
        } else if (rest.starts_with("<!") || rest.starts_with("</") || rest.starts_with("<?")) {
            // A doctype, a bogus comment or a processing instruction: to the next ">".
            position = input.find('>', position + 1);
            if (position == std::string_view::npos) return std::nullopt;
        }
        // Next byte.
        ++position;
    }
}

}  // namespace

std::optional<std::string_view> PrescanEncoding(std::string_view page) {
    return Prescan(page.substr(0, kPrescanLength), PrescanEnd::EndOfInput);
}

std::optional<std::string_view> HeadMetaEncoding(std::string_view page) {
    return Prescan(page, PrescanEnd::EndOfHead);
}
