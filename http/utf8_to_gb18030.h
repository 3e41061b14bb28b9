#pragma once

#include <string>
#include <string_view>

// GB18030 bytes of U+FFFD, which stands in for every byte sequence that is not valid UTF-8.
inline constexpr std::string_view kGb18030Replacement = "\x84\x31\xA4\x37";

// Converts UTF-8 text to GB18030. Every invalid sequence (as much of it as forms a valid start)
// becomes one kGb18030Replacement, so no half character ever reaches the output.
std::string Utf8ToGb18030(std::string_view utf8);

// The same in place, for the text from `from` on (the bytes before it, such as a byte order mark,
// are dropped). Text that shrinks or keeps its length needs no second buffer: Chinese, Latin and
// markup. A growing character (one beyond GBK, or an invalid byte) makes the rest go through one.
void Utf8ToGb18030InPlace(std::string& text, std::size_t from = 0);
