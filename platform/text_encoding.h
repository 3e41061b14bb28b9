#pragma once

#include <iconv.h>

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

// One conversion used for many texts, where opening it anew for each would cost more than the
// conversion itself (every cell of a large export).
class TextConverter {
public:
    TextConverter(const char* from, const char* to);
    ~TextConverter();
    TextConverter(const TextConverter&) = delete;
    TextConverter& operator=(const TextConverter&) = delete;

    // As ConvertTextReplacing.
    std::string ConvertReplacing(std::string_view text, std::string_view replacement);
    // None when a sequence does not convert and no replacement is given.
    std::optional<std::string> Convert(std::string_view text, const std::string_view* replacement);

private:
    iconv_t converter_;
};
