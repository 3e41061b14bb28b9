#include "platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

// Converts in chunks; a sequence that does not convert is replaced when a replacement is given,
// else it ends the conversion with none.
std::optional<std::string> TextConverter::Convert(std::string_view text,
                                                  const std::string_view* replacement) {
    if (converter_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string converted;
    char* in = const_cast<char*>(text.data());  // iconv takes char** but does not write the input
    std::size_t inLeft = text.size();
    char chunk[4096];
    while (inLeft > 0) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter_, &in, &inLeft, &out, &outLeft);
        converted.append(chunk, static_cast<std::size_t>(out - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (replacement == nullptr) return std::nullopt;
        // An invalid or cut-off sequence: mark it and go on after its first code unit.
        converted += *replacement;
        const std::size_t skipped = std::min(sourceUnit_, inLeft);
        in += skipped;
        inLeft -= skipped;
    }
    return converted;
}

TextConverter::TextConverter(const char* from, const char* to, std::size_t sourceUnit)
    : converter_(iconv_open(to, from)), sourceUnit_(sourceUnit) {}

TextConverter::~TextConverter() {
    if (converter_ != reinterpret_cast<iconv_t>(-1)) iconv_close(converter_);
}

std::string TextConverter::ConvertReplacing(std::string_view text, std::string_view replacement) {
    return Convert(text, &replacement).value_or(std::string(text));
}

std::optional<std::string> ConvertText(std::string_view text, const char* from, const char* to) {
    return TextConverter(from, to).Convert(text, nullptr);
}

std::string ConvertTextReplacing(std::string_view text, const char* from, const char* to,
                                 std::string_view replacement, std::size_t sourceUnit) {
    return TextConverter(from, to, sourceUnit).ConvertReplacing(text, replacement);
}
