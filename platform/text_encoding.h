#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text conversion between encodings (iconv names: "GBK", "UTF-8", the locale's codeset).

// None when a byte sequence does not convert, or when an encoding is unknown.
std::optional<std::string> ConvertText(std::string_view text, const char* from, const char* to);

// Every byte that does not convert becomes the replacement, so that no text is cut short; an
// unknown encoding leaves the text as it is.
std::string ConvertTextReplacing(std::string_view text, const char* from, const char* to,
                                 std::string_view replacement);
