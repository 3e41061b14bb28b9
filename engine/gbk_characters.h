#pragma once

#include <cstddef>
#include <string_view>

// Character boundaries in GBK text, which also holds GB18030's four-byte characters where a page
// brings characters outside GBK. A lead byte 0x81-0xFE starts a two-byte character, or a
// four-byte one when a digit byte follows it; every other byte is a character of its own.
// Trail bytes share their values with lead bytes and ASCII, so a boundary can only be found by
// walking from a known one: the start of the text.

// The encoding to read the bytes with where they become Unicode (display, spreadsheet files).
inline constexpr char kCellEncoding[] = "GB18030";

// The length of the character that starts at `at` (never past the text's end).
std::size_t CharacterLength(std::string_view text, std::size_t at);

// The last character boundary at or before `limit`: the longest prefix of at most `limit` bytes
// that cuts no character in half.
std::size_t CharacterBoundaryBefore(std::string_view text, std::size_t limit);

// The first occurrence of `needle` that starts on a character boundary at or after `from`
// (itself a boundary), or npos. A byte-wise search may find the needle made of the trail byte of
// one character and the lead byte of the next.
std::size_t FindCharacters(std::string_view text, std::string_view needle, std::size_t from = 0);
