#include "http/url_host.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "http/hex_digit.h"

namespace {

constexpr int kIpv6Pieces = 8;
constexpr int kIpv4Parts = 4;
constexpr int kEnd = -1;
constexpr unsigned kByteLimit = 255;
// Any IPv4 number this large is refused alike, so larger ones need not be counted exactly.
constexpr std::uint64_t kIpv4NumberCap = std::uint64_t{1} << 32;

bool IsAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}

enum ForbiddenIn : std::uint8_t { kForbiddenInHost = 1, kForbiddenInDomain = 2 };

// The forbidden host code points; a domain forbids the C0 controls, "%" and DEL as well.
constexpr std::array<std::uint8_t, 256> BuildForbiddenTable() {
    std::array<std::uint8_t, 256> table{};
    for (const char c : std::string_view("\0\t\n\r #/:<>?@[\\]^|", 17)) {
        table[static_cast<unsigned char>(c)] = kForbiddenInHost | kForbiddenInDomain;
    }
    for (int byte = 0; byte < 0x20; ++byte) table[byte] |= kForbiddenInDomain;
    table['%'] |= kForbiddenInDomain;
    table[0x7F] |= kForbiddenInDomain;
    return table;
}
constexpr std::array<std::uint8_t, 256> kForbiddenTable = BuildForbiddenTable();

// The IPv4 number parser: decimal, octal after a leading "0", hexadecimal after "0x".
std::optional<std::uint64_t> ParseIpv4Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int radix = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        radix = 16;
    } else if (text.size() >= 2 && text[0] == '0') {
        text.remove_prefix(1);
        radix = 8;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= radix) return std::nullopt;
        value = std::min(value * radix + static_cast<unsigned>(digit), kIpv4NumberCap);
    }
    return value;
}

// The ends in a number checker: is the last label (a trailing empty one left out) a number?
bool EndsInANumber(std::string_view domain) {
    if (domain.ends_with('.')) domain.remove_suffix(1);
    const std::string_view last = domain.substr(domain.rfind('.') + 1);
    if (!last.empty() && std::all_of(last.begin(), last.end(), [](char c) { return IsAsciiDigit(c); }))
        return true;
    return ParseIpv4Number(last).has_value();
}

// The IPv4 parser: up to four numbers, the last filling the bytes the others leave.
std::optional<std::uint32_t> ParseIpv4(std::string_view text) {
    if (text.ends_with('.')) text.remove_suffix(1);
    std::uint64_t numbers[kIpv4Parts];
    int count = 0;
    for (;;) {
        const std::size_t dot = text.find('.');
        const std::optional<std::uint64_t> number = ParseIpv4Number(text.substr(0, dot));
        if (count == kIpv4Parts || !number) return std::nullopt;
        numbers[count++] = *number;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    std::uint64_t address = numbers[count - 1];
    if (address >= std::uint64_t{1} << (8 * (kIpv4Parts + 1 - count))) return std::nullopt;
    for (int i = 0; i < count - 1; ++i) {
        if (numbers[i] > kByteLimit) return std::nullopt;
        address += numbers[i] << (8 * (kIpv4Parts - 1 - i));
    }
    return static_cast<std::uint32_t>(address);
}

void AppendIpv4(std::string& out, std::uint32_t address) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.append(std::to_string((address >> shift) & kByteLimit));
        if (shift > 0) out.push_back('.');
    }
}

// The IPv6 parser, step by step: hex pieces, one "::" compression, an IPv4 tail.
bool ParseIpv6(std::string_view input, std::uint16_t (&address)[kIpv6Pieces]) {
    std::fill(std::begin(address), std::end(address), 0);
    const auto at = [input](std::size_t i) {
        return i < input.size() ? static_cast<unsigned char>(input[i]) : kEnd;
    };
    int pieceIndex = 0;
    int compress = -1;
    std::size_t pointer = 0;
    if (at(pointer) == ':') {
        if (at(pointer + 1) != ':') return false;
        pointer += 2;
        compress = ++pieceIndex;
    }
    while (at(pointer) != kEnd) {
        if (pieceIndex == kIpv6Pieces) return false;
        if (at(pointer) == ':') {
            if (compress != -1) return false;
            ++pointer;
            compress = ++pieceIndex;
            continue;
        }
        unsigned value = 0;
        std::size_t length = 0;
        for (; length < 4 && HexDigitValue(at(pointer)) >= 0; ++length, ++pointer)
            value = value * 16 + HexDigitValue(at(pointer));
        if (at(pointer) == '.') {
            // An IPv4 address in the last two pieces.
            if (length == 0 || pieceIndex > kIpv6Pieces - 2) return false;
            pointer -= length;
            int numbersSeen = 0;
            while (at(pointer) != kEnd) {
                if (numbersSeen > 0) {
                    if (at(pointer) != '.' || numbersSeen == kIpv4Parts) return false;
                    ++pointer;
                }
                if (!IsAsciiDigit(at(pointer))) return false;
                int ipv4Piece = -1;
                for (; IsAsciiDigit(at(pointer)); ++pointer) {
                    if (ipv4Piece == 0) return false;  // no leading zero
                    ipv4Piece = (ipv4Piece < 0 ? 0 : ipv4Piece * 10) + (at(pointer) - '0');
                    if (ipv4Piece > static_cast<int>(kByteLimit)) return false;
                }
                address[pieceIndex] = static_cast<std::uint16_t>(address[pieceIndex] * 0x100 + ipv4Piece);
                ++numbersSeen;
                if (numbersSeen == 2 || numbersSeen == kIpv4Parts) ++pieceIndex;
            }
            if (numbersSeen != kIpv4Parts) return false;
            break;
        }
        if (at(pointer) == ':') {
            ++pointer;
            if (at(pointer) == kEnd) return false;
        } else if (at(pointer) != kEnd) {
            return false;
        }
        address[pieceIndex++] = static_cast<std::uint16_t>(value);
    }
    if (compress != -1) {
        // Move the pieces after the "::" to the end.
        for (int swaps = pieceIndex - compress, last = kIpv6Pieces - 1; last != 0 && swaps > 0;
             --last, --swaps) {
            std::swap(address[last], address[compress + swaps - 1]);
        }
    } else if (pieceIndex != kIpv6Pieces) {
        return false;
    }
    return true;
}

// The IPv6 serializer: lower-case hex, the first longest run of two or more zero pieces as "::".
void AppendIpv6(std::string& out, const std::uint16_t (&address)[kIpv6Pieces]) {
    int compress = -1;
    int longest = 1;
    for (int start = 0; start < kIpv6Pieces;) {
        int end = start;
        while (end < kIpv6Pieces && address[end] == 0) ++end;
        if (end - start > longest) {
            longest = end - start;
            compress = start;
        }
        start = end + 1;
    }
    static constexpr char kLowerHex[] = "0123456789abcdef";
    for (int piece = 0; piece < kIpv6Pieces; ++piece) {
        if (piece == compress) {
            out.append(piece == 0 ? "::" : ":");
            piece += longest - 1;
            continue;
        }
        bool digits = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = (address[piece] >> shift) & 0xF;
            if (digit != 0 || digits || shift == 0) {
                out.push_back(kLowerHex[digit]);
                digits = true;
            }
        }
        if (piece != kIpv6Pieces - 1) out.push_back(':');
    }
}

}  // namespace

bool AppendSpecialHost(std::string& out, std::string_view text) {
    if (text.starts_with('[')) {
        std::uint16_t address[kIpv6Pieces];
        if (!text.ends_with(']') || text.size() < 2 || !ParseIpv6(text.substr(1, text.size() - 2), address))
            return false;
        out.push_back('[');
        AppendIpv6(out, address);
        out.push_back(']');
        return true;
    }
    // Percent-decode, then domain to ASCII, which for ASCII text is lower-casing.
    const std::size_t start = out.size();
    out.append(text);
    std::size_t written = start;
    for (std::size_t at = start; at < out.size(); ++at) {
        int byte = static_cast<unsigned char>(out[at]);
        if (byte == '%' && at + 2 < out.size() && HexDigitValue(out[at + 1]) >= 0 &&
            HexDigitValue(out[at + 2]) >= 0) {
            byte = HexDigitValue(out[at + 1]) * 16 + HexDigitValue(out[at + 2]);
            at += 2;
        }
        if (byte >= 0x80 || (kForbiddenTable[byte] & kForbiddenInDomain) != 0) return false;
        out[written++] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
    }
    out.resize(written);
    const std::string_view domain(out.data() + start, out.size() - start);
    if (domain.empty()) return false;
    if (!EndsInANumber(domain)) return true;
    const std::optional<std::uint32_t> address = ParseIpv4(domain);
    if (!address) return false;
    out.resize(start);
    AppendIpv4(out, *address);
    return true;
}

bool IsOpaqueHost(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        return (kForbiddenTable[static_cast<unsigned char>(c)] & kForbiddenInHost) != 0;
    });
}
