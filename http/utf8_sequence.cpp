#include "http/utf8_sequence.h"

bool IsUtf8WithMultiByteCharacters(std::string_view text) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = in + text.size();
    bool multiByte = false;
    while ((in = AsciiRunEnd(in, end)) < end) {
        char32_t codePoint = 0;
        bool valid = false;
        const std::size_t length = DecodeUtf8Sequence(in, end, codePoint, valid);
        if (!valid) return in + length == end && *in >= 0xC2 && *in <= 0xF4 && multiByte;
        multiByte = true;
        in += length;
    }
    return multiByte;
}
