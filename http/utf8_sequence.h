#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// Reading UTF-8 byte sequences: shared by the converter to GB18030 and the check of pages that
// declare no encoding.

inline bool IsUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at `in`, a non-ASCII lead byte. Returns the bytes it spans, or, when the
// sequence is invalid, the length of its longest valid start (at least 1) with `valid` false.
inline std::size_t DecodeUtf8Sequence(const unsigned char* in, const unsigned char* end, char32_t& codePoint,
                                      bool& valid) {
    const unsigned char lead = in[0];
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;  // the second byte's range rules out overlong forms and surrogates
    valid = false;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    } else {
        return 1;
    }
    if (end - in < 2 || in[1] < secondLow || in[1] > secondHigh) return 1;
    codePoint = (codePoint << 6) | (in[1] & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        if (in + i >= end || !IsUtf8Continuation(in[i])) return i;
        codePoint = (codePoint << 6) | (in[i] & 0x3F);
    }
    valid = true;
    return length;
}

// The end of the run of ASCII bytes at `in`, eight bytes at a time.
inline const unsigned char* AsciiRunEnd(const unsigned char* in, const unsigned char* end) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (end - in >= 8) {
        std::uint64_t word;
        std::memcpy(&word, in, sizeof word);
        if (word & kHighBits) break;
        in += 8;
    }
    while (in < end && *in < 0x80) ++in;
    return in;
}

// Whether `text` is UTF-8 that holds at least one multi-byte character: what a page that declares
// no encoding must be to be read as UTF-8. A character cut off by the end of the text still
// counts as UTF-8, since pages arrive cut short. One pass, stopping at the first invalid byte,
// which in GBK text is the first or second byte of its first Chinese character.
bool IsUtf8WithMultiByteCharacters(std::string_view text);
