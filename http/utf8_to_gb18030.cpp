#include "http/utf8_to_gb18030.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "http/utf8_sequence.h"

namespace {

constexpr std::uint32_t kBmpSize = 0x10000;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kFirstThreeByte = 0x800;  // lower code points have shorter UTF-8 forms
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr std::size_t kMaxGb18030Length = 4;

// The converter's tables, read once from iconv: the GB18030 mapping of the BMP is a table in the
// standard, and reading it per page through iconv is several times slower than a lookup.
struct Gb18030Tables {
    // GB18030 bytes of every BMP code point, packed big-endian (two or four bytes); 0: none.
    std::vector<std::uint32_t> bmp = std::vector<std::uint32_t>(kBmpSize, 0);
    // The few characters beyond the BMP that have two-byte codes (FE51 and the like), sorted;
    // all others follow one linear four-byte range.
    std::vector<std::pair<char32_t, std::uint32_t>> twoByteSupplementary;
};

// Converts with `converter` the bytes of `in`; the bytes written, or none.
std::size_t ConvertOne(iconv_t converter, const unsigned char* in, std::size_t inLength, unsigned char* out,
                       std::size_t outSize) {
    char* inPos = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    char* outPos = reinterpret_cast<char*>(out);
    std::size_t outLeft = outSize;
    if (iconv(converter, &inPos, &inLength, &outPos, &outLeft) == static_cast<std::size_t>(-1)) return 0;
    return outSize - outLeft;
}

Gb18030Tables BuildTables() {
    Gb18030Tables tables;
    iconv_t toGb18030 = iconv_open("GB18030", "UTF-32LE");
    if (toGb18030 != reinterpret_cast<iconv_t>(-1)) {
        for (char32_t codePoint = 0x80; codePoint < kBmpSize; ++codePoint) {
            if (codePoint >= kSurrogateFirst && codePoint <= kSurrogateLast) continue;
            const unsigned char in[4] = {static_cast<unsigned char>(codePoint),
                                         static_cast<unsigned char>(codePoint >> 8), 0, 0};
            unsigned char out[8];
            const std::size_t length = ConvertOne(toGb18030, in, sizeof in, out, sizeof out);
            if (length != 2 && length != kMaxGb18030Length) continue;  // none: U+FFFD stands in
            std::uint32_t packed = 0;
            for (std::size_t i = 0; i < length; ++i) packed = (packed << 8) | out[i];
            tables.bmp[codePoint] = packed;
        }
        iconv_close(toGb18030);
    }
    iconv_t fromGb18030 = iconv_open("UTF-32LE", "GB18030");
    if (fromGb18030 != reinterpret_cast<iconv_t>(-1)) {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const unsigned char in[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                unsigned char out[8];
                if (ConvertOne(fromGb18030, in, sizeof in, out, sizeof out) != 4) continue;
                const char32_t codePoint = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
                if (codePoint >= kFirstSupplementary) tables.twoByteSupplementary.emplace_back(codePoint, lead << 8 | trail);
            }
        }
        iconv_close(fromGb18030);
        std::sort(tables.twoByteSupplementary.begin(), tables.twoByteSupplementary.end());
    }
    return tables;
}

const Gb18030Tables& Tables() {
    static const Gb18030Tables tables = BuildTables();
    return tables;
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
char* PutSupplementary(char* out, char32_t codePoint, const Gb18030Tables& tables) {
    const auto& twoByte = tables.twoByteSupplementary;
    const auto found = std::lower_bound(twoByte.begin(), twoByte.end(), std::make_pair(codePoint, std::uint32_t{0}));
    if (found != twoByte.end() && found->first == codePoint) return PutPacked(out, found->second);
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

// The GB18030 bytes of the character at `in` (not ASCII) into `bytes`; returns their count and
// sets `consumed` to the input bytes the character (or its invalid start) spans.
inline std::size_t ConvertCharacter(const unsigned char* in, const unsigned char* end, const Gb18030Tables& tables,
                                    char* bytes, std::size_t& consumed) {
    // Chinese text is three-byte sequences of the BMP with two-byte codes: the short way. An
    // overlong form (below U+0800) is no character and goes the long way; surrogates have no
    // table entry.
    if ((in[0] & 0xF0) == 0xE0 && end - in >= 3 && IsUtf8Continuation(in[1]) && IsUtf8Continuation(in[2])) {
        const char32_t codePoint = (in[0] & 0x0F) << 12 | (in[1] & 0x3F) << 6 | (in[2] & 0x3F);
        const std::uint32_t packed = tables.bmp[codePoint];
        if (codePoint >= kFirstThreeByte && packed != 0 && packed <= 0xFFFF) {
            consumed = 3;
            bytes[0] = static_cast<char>(packed >> 8);
            bytes[1] = static_cast<char>(packed);
            return 2;
        }
    }
    char32_t codePoint = 0;
    bool valid = false;
    consumed = DecodeUtf8Sequence(in, end, codePoint, valid);
    char* written;
    if (!valid) {
        written = PutReplacement(bytes);
    } else if (codePoint >= kFirstSupplementary) {
        written = PutSupplementary(bytes, codePoint, tables);
    } else if (const std::uint32_t packed = tables.bmp[codePoint]; packed != 0) {
        written = PutPacked(bytes, packed);
    } else {
        written = PutReplacement(bytes);
    }
    return static_cast<std::size_t>(written - bytes);
}

}  // namespace

std::string Utf8ToGb18030(std::string_view utf8) {
    const Gb18030Tables& tables = Tables();
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* const end = in + utf8.size();
    // Chinese text shrinks (three bytes become two); only other scripts and invalid bytes grow, so
    // the buffer starts at the input's size and doubles when a character might not fit.
    std::string converted;
    converted.resize(utf8.size() + kMaxGb18030Length);
    std::size_t used = 0;
    while (in < end) {
        if (*in < 0x80) {
            const unsigned char* run = AsciiRunEnd(in, end);
            const auto length = static_cast<std::size_t>(run - in);
            if (converted.size() - used < length + kMaxGb18030Length)
                converted.resize(std::max(converted.size() * 2, used + length + kMaxGb18030Length));
            std::memcpy(converted.data() + used, in, length);
            used += length;
            in = run;
            if (in == end) break;
        } else if (converted.size() - used < kMaxGb18030Length) {
            converted.resize(converted.size() * 2);
        }
        std::size_t consumed = 0;
        used += ConvertCharacter(in, end, tables, converted.data() + used, consumed);
        in += consumed;
    }
    converted.resize(used);
    return converted;
}

void Utf8ToGb18030InPlace(std::string& text, std::size_t from) {
    const Gb18030Tables& tables = Tables();
    auto* const begin = reinterpret_cast<unsigned char*>(text.data());
    const unsigned char* in = begin + std::min(from, text.size());
    const unsigned char* const end = begin + text.size();
    unsigned char* out = begin;  // never ahead of in
    while (in < end) {
        if (*in < 0x80) {
            const unsigned char* run = AsciiRunEnd(in, end);
            if (out != in) std::memmove(out, in, static_cast<std::size_t>(run - in));
            out += run - in;
            in = run;
            if (in == end) break;
        }
        char bytes[kMaxGb18030Length];
        std::size_t consumed = 0;
        const std::size_t length = ConvertCharacter(in, end, tables, bytes, consumed);
        if (out + length > in + consumed) {
            // A character that grows would overwrite unread text: the rest goes the other way.
            const std::string rest = Utf8ToGb18030(
                std::string_view(reinterpret_cast<const char*>(in), static_cast<std::size_t>(end - in)));
            text.resize(static_cast<std::size_t>(out - begin));
            text += rest;
            return;
        }
        // Fixed-size copies: the compiler makes each a single store.
        if (length == 2) {
            std::memcpy(out, bytes, 2);
        } else {
            std::memcpy(out, bytes, kMaxGb18030Length);
        }
        out += length;
        in += consumed;
    }
    text.resize(static_cast<std::size_t>(out - begin));
}
