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

// Whether some stretch of the link, from the start or after "/", "\", "@" or ":", up to the next
// delimiter (an IPv6 address whole), parses to the host.
bool LinkNamesHost(std::string_view link, std::string_view host) {
    std::string cleaned;
    for (const char c : link) {
        if (c != '\t' && c != '\n' && c != '\r') cleaned.push_back(c);
    }
    for (std::size_t start = 0; start < cleaned.size(); ++start) {
        if (start > 0 && !IsHostStart(cleaned[start - 1])) continue;
        std::size_t end = cleaned.find_first_of(cleaned[start] == '[' ? "]" : "/\\?#:@", start);
        if (cleaned[start] == '[' && end != std::string::npos) ++end;
        const std::optional<std::string> named =
            Url::ParseHost(std::string_view(cleaned).substr(start, end - start));
        if (named && *named == host) return true;
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
    if (!host.empty() && !(baseUrl && baseUrl->Host() == host) && !LinkNamesHost(link, host)) std::abort();
    return 0;
}
