#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Converts in chunks; a sequence that does not convert is replaced when a replacement is given,
// else it ends the conversion with none.
std::optional<std::string> Convert(std::string_view text, const char* from, const char* to,
                                   const std::string_view* replacement) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string converted;
    char* in = const_cast<char*>(text.data());  // iconv takes char** but does not write the input
    std::size_t inLeft = text.size();
    char chunk[4096];
    bool convertible = true;
    while (convertible && inLeft > 0) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        converted.append(chunk, static_cast<std::size_t>(out - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (replacement == nullptr) {
            convertible = false;
        } else {  // an invalid or cut-off sequence: mark it and go on after its first byte
            converted += *replacement;
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    if (!convertible) return std::nullopt;
    return converted;
}

}  // namespace

std::optional<std::string> ConvertText(std::string_view text, const char* from, const char* to) {
    return Convert(text, from, to, nullptr);
}

std::string ConvertTextReplacing(std::string_view text, const char* from, const char* to,
                                 std::string_view replacement) {
    return Convert(text, from, to, &replacement).value_or(std::string(text));
}
