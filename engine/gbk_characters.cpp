#include "engine/gbk_characters.h"

namespace {

constexpr unsigned char kFirstLeadByte = 0x81;
constexpr unsigned char kLastLeadByte = 0xFE;
constexpr std::size_t kDoubleByteLength = 2;
constexpr std::size_t kFourByteLength = 4;

bool IsLeadByte(unsigned char byte) {
    return byte >= kFirstLeadByte && byte <= kLastLeadByte;
}

bool IsDigitByte(unsigned char byte) {
    return byte >= '0' && byte <= '9';
}

}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t at) {
    const std::size_t left = text.size() - at;
    if (at >= text.size() || !IsLeadByte(static_cast<unsigned char>(text[at])) || left < kDoubleByteLength)
        return left == 0 ? 0 : 1;
    const std::size_t length =
        IsDigitByte(static_cast<unsigned char>(text[at + 1])) ? kFourByteLength : kDoubleByteLength;
    return length < left ? length : left;
}

std::size_t CharacterBoundaryBefore(std::string_view text, std::size_t limit) {
    if (limit >= text.size()) return text.size();
    std::size_t at = 0;
    for (;;) {
        const std::size_t next = at + CharacterLength(text, at);
        if (next > limit) return at;
        at = next;
    }
}

std::size_t FindCharacters(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (std::size_t at = from; at < text.size(); at += CharacterLength(text, at)) {
        if (text.compare(at, needle.size(), needle) == 0) return at;
    }
    return std::string_view::npos;
}
