// Resolves a link against a base, both taken from the input (split at its first NUL byte). The
// result, written out and parsed again, must come back unchanged, and its host must be the base's
// or one that the link itself names.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "http/resolve_link.h"
#include "http/url.h"

namespace {

bool IsHostStart(char before) {
    return before == '/' || before == '\\' || before == '@' || before == ':';
}

bool IsSpecialScheme(std::string_view scheme) {
    return scheme == "http" || scheme == "https" || scheme == "ws" || scheme == "wss" || scheme == "ftp";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

// Whether some stretch of the link, from the start or after "/", "\", "@" or ":", up to the next
// delimiter (an IPv6 address whole), reads as the host: as a special URL's host, or for another
// scheme as the same bytes once escapes are undone.
bool LinkNamesHost(std::string_view link, const Url& resolved) {
    // As the parser reads it: C0 controls and spaces trimmed, tabs and newlines removed.
    while (!link.empty() && static_cast<unsigned char>(link.front()) <= ' ') link.remove_prefix(1);
    while (!link.empty() && static_cast<unsigned char>(link.back()) <= ' ') link.remove_suffix(1);
    std::string cleaned;
    for (const char c : link) {
        if (c != '\t' && c != '\n' && c != '\r') cleaned.push_back(c);
    }
    const bool special = IsSpecialScheme(resolved.Scheme());
    for (std::size_t start = 0; start < cleaned.size(); ++start) {
        if (start > 0 && !IsHostStart(cleaned[start - 1])) continue;
        std::size_t end = cleaned.find_first_of(cleaned[start] == '[' ? "]" : "/\\?#:@", start);
        if (cleaned[start] == '[' && end != std::string::npos) ++end;
        const std::string_view stretch = std::string_view(cleaned).substr(start, end - start);
        if (special || stretch.starts_with('[')) {
            if (Url::ParseHost(stretch) == std::optional<std::string>(resolved.Host())) return true;
        } else if (PercentDecoded(stretch) == PercentDecoded(resolved.Host())) {
            return true;
        }
    }
    return false;
}

void CheckWrittenOnceForAll(const Url& url) {
    const std::optional<Url> again = Url::Parse(url.Href());
    if (!again || again->Href() != url.Href()) std::abort();
    const std::optional<Url> thrice = Url::Parse(again->Href());
    if (!thrice || thrice->Href() != url.Href()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string base(input.substr(0, split));
    const std::string_view link =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const std::optional<Url> baseUrl = Url::Parse(base);
    const std::optional<Url> resolved = baseUrl ? baseUrl->Resolve(link) : Url::Parse(link);
    std::string viaEntry(link);
    ResolveLink(viaEntry, base);
    if (viaEntry != (resolved ? resolved->Href() : std::string(link))) std::abort();
    if (!resolved) return 0;
    CheckWrittenOnceForAll(*resolved);
    const std::string_view host = resolved->Host();
    if (!host.empty() && !(baseUrl && baseUrl->Host() == host) && !LinkNamesHost(link, *resolved))
        std::abort();
    return 0;
}
