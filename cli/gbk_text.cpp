#include "cli/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace {

std::string Convert(const std::string& text, const char* from, const char* to,
                    const std::string& replacement) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string converted;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char chunk[4096];
    while (inLeft > 0) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        converted.append(chunk, static_cast<std::size_t>(out - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // An invalid or cut-off sequence: mark it and go on after its first byte.
        converted += replacement;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    return converted;
}

}  // namespace

std::string Utf8ToGbk(const std::string& text) {
    return Convert(text, "UTF-8", "GBK", "?");
}

std::string GbkToUtf8(const std::string& text) {
    return Convert(text, "GBK", "UTF-8", "\xEF\xBF\xBD");
}
