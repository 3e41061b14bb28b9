#include "engine/captured_link.h"

#include <array>
#include <charconv>

#include "http/url.h"
#include "http/utf8_to_gb18030.h"

namespace {

struct NamedReference {
    std::string_view name;  // with its "&" and ";"
    char character;
};

constexpr std::array<NamedReference, 5> kNamedReferences = {{
    {"&amp;", '&'},
    {"&lt;", '<'},
    {"&gt;", '>'},
    {"&quot;", '"'},
    {"&apos;", '\''},
}};

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kAsciiEnd = 0x80;

std::string Utf8Of(char32_t codePoint) {
    std::string utf8;
    if (codePoint < 0x800) {
        utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
    } else if (codePoint < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (codePoint >> 12));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (codePoint >> 18));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    }
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    return utf8;
}

// A numeric reference at the start of text ("&#" already seen at 0): its character appended and
// its length returned; 0 when no digit follows, which leaves the "&" as text.
std::size_t DecodeNumericReference(std::string_view text, std::string& out) {
    const bool hexadecimal = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
    const std::size_t digitsStart = hexadecimal ? 3 : 2;
    std::size_t digitsEnd = digitsStart;
    const auto isDigit = [&](char c) {
        return (c >= '0' && c <= '9') || (hexadecimal && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    while (digitsEnd < text.size() && isDigit(text[digitsEnd])) ++digitsEnd;
    if (digitsEnd == digitsStart) return 0;
    unsigned long value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + digitsStart, text.data() + digitsEnd, value, hexadecimal ? 16 : 10);
    char32_t codePoint = error == std::errc() && end == text.data() + digitsEnd ? static_cast<char32_t>(value)
                                                                                : kReplacementCharacter;
    // As the HTML standard reads them: no NUL, surrogate or code point beyond Unicode.
    if (codePoint == 0 || codePoint > kLastCodePoint ||
        (codePoint >= kSurrogateFirst && codePoint <= kSurrogateLast))
        codePoint = kReplacementCharacter;
    if (codePoint < kAsciiEnd) {
        out += static_cast<char>(codePoint);
    } else {
        out += Utf8ToGb18030(Utf8Of(codePoint));
    }
    return digitsEnd < text.size() && text[digitsEnd] == ';' ? digitsEnd + 1 : digitsEnd;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t ampersand = text.find('&', at);
        decoded.append(text.substr(at, ampersand - at));
        if (ampersand == std::string_view::npos) break;
        const std::string_view rest = text.substr(ampersand);
        std::size_t length = 0;
        if (rest.starts_with("&#")) {
            length = DecodeNumericReference(rest, decoded);
        } else {
            for (const NamedReference& named : kNamedReferences) {
                if (!rest.starts_with(named.name)) continue;
                decoded += named.character;
                length = named.name.size();
                break;
            }
        }
        if (length == 0) {
            decoded += '&';
            length = 1;
        }
        at = ampersand + length;
    }
    return decoded;
}

std::optional<std::string> ResolveCapturedLink(std::string_view captured, std::string_view pageAddress) {
    const std::string link = DecodeCharacterReferences(captured);
    if (link.find_first_not_of(" \t\n\r\f") == std::string::npos) return std::nullopt;
    const std::optional<Url> page = Url::Parse(pageAddress);
    const std::optional<Url> resolved = page ? page->Resolve(link) : Url::Parse(link);
    if (!resolved || !resolved->IsHttp()) return std::nullopt;
    return std::string(resolved->HrefWithoutFragment());
}
