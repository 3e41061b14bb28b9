#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

// Text conversion between encodings (iconv names: "GBK", "UTF-8", the locale's codeset).

// None when a byte sequence does not convert, or when an encoding is unknown.
std::optional<std::string> ConvertText(std::string_view text, const char* from, const char* to);

// Every byte that does not convert becomes the replacement, so that no text is cut short; an
// unknown encoding leaves the text as it is. `sourceUnit` is the size of the source encoding's
// code unit (2 for UTF-16): a sequence that does not convert is passed over unit by unit, so that
// the text after it is read in step.
std::string ConvertTextReplacing(std::string_view text, const char* from, const char* to,
                                 std::string_view replacement, std::size_t sourceUnit = 1);

// One conversion used for many texts, where opening it anew for each would cost more than the
// conversion itself (every cell of a large export).
class TextConverter {
public:
    TextConverter(const char* from, const char* to, std::size_t sourceUnit = 1);
    ~TextConverter();
    TextConverter(const TextConverter&) = delete;
    TextConverter& operator=(const TextConverter&) = delete;

    // As ConvertTextReplacing.
    std::string ConvertReplacing(std::string_view text, std::string_view replacement);
    // None when a sequence does not convert and no replacement is given.
    std::optional<std::string> Convert(std::string_view text, const std::string_view* replacement);

private:
    iconv_t converter_;
    std::size_t sourceUnit_;
};
