#include "http/utf8_to_gb18030.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kBmpSize = 0x10000;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr std::size_t kMaxGb18030Length = 4;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// GB18030 bytes of every BMP code point, packed big-endian (two or four bytes); 0 where there are
// none. The mapping of the BMP is a table in the standard, so it is read once from iconv; reading
// it per page through iconv is several times slower than this lookup.
std::vector<std::uint32_t> BuildBmpTable() {
    std::vector<std::uint32_t> table(kBmpSize, 0);
    iconv_t converter = iconv_open("GB18030", "UTF-32LE");
    if (converter == reinterpret_cast<iconv_t>(-1)) return table;
    for (char32_t codePoint = 0x80; codePoint < kBmpSize; ++codePoint) {
        if (codePoint >= kSurrogateFirst && codePoint <= kSurrogateLast) continue;
        const unsigned char in[4] = {static_cast<unsigned char>(codePoint), static_cast<unsigned char>(codePoint >> 8),
                                     0, 0};
        unsigned char out[8];
        char* inPos = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        char* outPos = reinterpret_cast<char*>(out);
        std::size_t inLeft = sizeof in;
        std::size_t outLeft = sizeof out;
        if (iconv(converter, &inPos, &inLeft, &outPos, &outLeft) == static_cast<std::size_t>(-1)) continue;
        const std::size_t length = sizeof out - outLeft;
        if (length != 2 && length != kMaxGb18030Length) continue;  // never happens for GB18030
        std::uint32_t packed = 0;
        for (std::size_t i = 0; i < length; ++i) packed = (packed << 8) | out[i];
        table[codePoint] = packed;
    }
    iconv_close(converter);
    return table;
}

const std::vector<std::uint32_t>& BmpTable() {
    static const std::vector<std::uint32_t> table = BuildBmpTable();
    return table;
}

char* PutPacked(char* out, std::uint32_t packed) {
    if (packed > 0xFFFF) {
        out[0] = static_cast<char>(packed >> 24);
        out[1] = static_cast<char>(packed >> 16);
        out[2] = static_cast<char>(packed >> 8);
        out[3] = static_cast<char>(packed);
        return out + 4;
    }
    out[0] = static_cast<char>(packed >> 8);
    out[1] = static_cast<char>(packed);
    return out + 2;
}

// Characters beyond the BMP follow one linear four-byte range starting at 90 30 81 30.
char* PutSupplementary(char* out, char32_t codePoint) {
    std::uint32_t linear = codePoint - kFirstSupplementary;
    out[3] = static_cast<char>(0x30 + linear % 10);
    linear /= 10;
    out[2] = static_cast<char>(0x81 + linear % 126);
    linear /= 126;
    out[1] = static_cast<char>(0x30 + linear % 10);
    out[0] = static_cast<char>(0x90 + linear / 10);
    return out + 4;
}

char* PutReplacement(char* out) {
    std::memcpy(out, kGb18030Replacement.data(), kGb18030Replacement.size());
    return out + kGb18030Replacement.size();
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the character at `in`, a non-ASCII lead byte. Returns the bytes it spans, or, when the
// sequence is invalid, the length of its longest valid start (at least 1) with codePoint unset.
std::size_t DecodeSequence(const unsigned char* in, const unsigned char* end, char32_t& codePoint, bool& valid) {
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
        if (in + i >= end || !IsContinuation(in[i])) return i;
        codePoint = (codePoint << 6) | (in[i] & 0x3F);
    }
    valid = true;
    return length;
}

}  // namespace

std::string Utf8ToGb18030(std::string_view utf8) {
    const std::vector<std::uint32_t>& table = BmpTable();
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* const end = in + utf8.size();
    // Chinese text shrinks (three bytes become two); only other scripts and invalid bytes grow, so
    // the buffer starts at the input's size and doubles when a character might not fit.
    std::string converted(utf8.size() + kMaxGb18030Length, '\0');
    char* out = converted.data();
    const auto ensureRoom = [&](std::size_t needed) {
        const std::size_t used = static_cast<std::size_t>(out - converted.data());
        if (converted.size() - used >= needed) return;
        converted.resize(std::max(converted.size() * 2, used + needed));
        out = converted.data() + used;
    };
    while (in < end) {
        // Runs of ASCII are copied eight bytes at a time.
        const unsigned char* run = in;
        while (end - run >= 8) {
            std::uint64_t word;
            std::memcpy(&word, run, sizeof word);
            if (word & kHighBits) break;
            run += 8;
        }
        while (run < end && *run < 0x80) ++run;
        if (run != in) {
            const auto length = static_cast<std::size_t>(run - in);
            ensureRoom(length + kMaxGb18030Length);
            std::memcpy(out, in, length);
            out += length;
            in = run;
            if (in == end) break;
        }
        ensureRoom(kMaxGb18030Length);
        char32_t codePoint = 0;
        bool valid = false;
        in += DecodeSequence(in, end, codePoint, valid);
        if (!valid) {
            out = PutReplacement(out);
        } else if (codePoint >= kFirstSupplementary) {
            out = PutSupplementary(out, codePoint);
        } else if (const std::uint32_t packed = table[codePoint]; packed != 0) {
            out = PutPacked(out, packed);
        } else {
            out = PutReplacement(out);
        }
    }
    converted.resize(static_cast<std::size_t>(out - converted.data()));
    return converted;
}
