#include "http/content_type_charset.h"

#include <algorithm>
#include <array>

#include "http/ascii_text.h"

namespace {

constexpr std::string_view kCharsetParameter = "charset";

bool IsHttpWhitespace(char c) {
    return c == '\n' || c == '\r' || c == '\t' || c == ' ';
}

// A table, since every byte of the type, the subtype and each parameter name is tested.
constexpr auto kHttpTokenCodePoints = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("!#$%&'*+-.^_`|~")) table[static_cast<unsigned char>(c)] = true;
    for (int c = '0'; c <= '9'; ++c) table[c] = true;
    for (int c = 'a'; c <= 'z'; ++c) table[c] = table[c - 'a' + 'A'] = true;
    return table;
}();

bool IsHttpTokenCodePoint(char c) {
    return kHttpTokenCodePoints[static_cast<unsigned char>(c)];
}

bool IsHttpToken(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return IsHttpTokenCodePoint(c); });
}

// Tab, space to tilde, and every byte from 0x80 on.
bool IsQuotedStringTokenCodePoint(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 0x20 && byte != 0x7F);
}

std::string_view WithoutTrailingHttpWhitespace(std::string_view text) {
    while (!text.empty() && IsHttpWhitespace(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimHttpWhitespace(std::string_view text) {
    while (!text.empty() && IsHttpWhitespace(text.front())) text.remove_prefix(1);
    return WithoutTrailingHttpWhitespace(text);
}

// The first of the two bytes from `from` on, or the end (a loop: find_first_of calls memchr per byte).
std::size_t FindEither(std::string_view input, std::size_t from, char first, char second) {
    while (from < input.size() && input[from] != first && input[from] != second) ++from;
    return from;
}

// Fetch's "collect an HTTP quoted string" with the value extracted; `position` is at the opening
// quote and ends after the closing one (or at the end).
std::string CollectQuotedString(std::string_view input, std::size_t& position) {
    std::string value;
    ++position;
    while (position < input.size()) {
        const std::size_t stop = FindEither(input, position, '"', '\\');
        value.append(input.substr(position, stop - position));
        position = stop;
        if (position >= input.size()) break;
        const char quoteOrBackslash = input[position++];
        if (quoteOrBackslash == '"') break;
        if (position >= input.size()) {
            value.push_back('\\');
            break;
        }
        value.push_back(input[position++]);
    }
    return value;
}

}  // namespace

std::optional<std::string> ContentTypeCharset(std::string_view contentType) {
    // Remove any leading and trailing HTTP whitespace from input.
    const std::string_view input = TrimHttpWhitespace(contentType);
    // The type: the code points up to "/", a token.
    const std::size_t slash = input.find('/');
    if (slash == std::string_view::npos || !IsHttpToken(input.substr(0, slash))) return std::nullopt;
    // The subtype: the code points up to ";", without trailing whitespace, a token.
    std::size_t position = std::min(input.find(';', slash + 1), input.size());
    const std::string_view subtype =
        WithoutTrailingHttpWhitespace(input.substr(slash + 1, position - slash - 1));
    if (!IsHttpToken(subtype)) return std::nullopt;
    // The parameters, each after a ";".
    while (position < input.size()) {
        ++position;
        while (position < input.size() && IsHttpWhitespace(input[position])) ++position;
        const std::size_t nameEnd = FindEither(input, position, ';', '=');
        const std::string_view name = input.substr(position, nameEnd - position);
        position = nameEnd;
        if (position < input.size()) {
            if (input[position] == ';') continue;
            ++position;  // past "="
        }
        if (position >= input.size()) break;
        std::string value;
        if (input[position] == '"') {
            value = CollectQuotedString(input, position);
            position = std::min(input.find(';', position), input.size());
        } else {
            const std::size_t valueEnd = std::min(input.find(';', position), input.size());
            value = std::string(WithoutTrailingHttpWhitespace(input.substr(position, valueEnd - position)));
            position = valueEnd;
            if (value.empty()) continue;
        }
        // The first charset parameter of a valid name and value is the one that counts.
        if (IsHttpToken(name) && EqualsNoCase(name, kCharsetParameter) &&
            std::all_of(value.begin(), value.end(), [](char c) { return IsQuotedStringTokenCodePoint(c); }))
            return value;
    }
    return std::nullopt;
}
