#pragma once

#include <algorithm>
#include <string_view>

// ASCII case and whitespace as the web's standards define them: only A-Z fold to a-z, whatever
// the locale, and bytes from 0x80 on are no letters.

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether `text` equals `lowerWord` (written in lower case) ignoring ASCII case.
inline bool EqualsNoCase(std::string_view text, std::string_view lowerWord) {
    return std::equal(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(),
                      [](char a, char b) { return AsciiLower(a) == b; });
}

// Tab, line feed, form feed, carriage return and space.
inline bool IsAsciiWhitespace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
}
