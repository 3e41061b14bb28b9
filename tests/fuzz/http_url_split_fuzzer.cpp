// Reads arbitrary bytes as the URL of a request and builds the request for it, directly and
// through a proxy. A URL the client takes must never add header lines of its own: the request
// always has the same number of line ends, whatever the URL holds. The URL as written out must
// read back unchanged, and name the same host, port and request target.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "http/request_builder.h"
#include "http/url.h"

namespace {

std::size_t CountLineEnds(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

// Request line, the fixed header lines, the User-Agent line, the Host line and the blank line.
constexpr std::size_t kGetLineEnds = 1 + std::size(kFixedHeaderLines) + 1 + 1 + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    const std::optional<Url> parsed = ParseRequestUrl(url);
    for (const bool viaProxy : {false, true}) {
        std::string request;
        std::optional<Url> built;
        if (BuildRequest(url, "", viaProxy, request, built) != parsed.has_value()) std::abort();
        if (parsed && CountLineEnds(request) != kGetLineEnds) std::abort();
        if (parsed && !request.ends_with("\r\n\r\n")) std::abort();
    }
    const std::optional<Url> any = Url::Parse(url);
    if (!any) return 0;
    if (any->Port() < 0 || any->Port() > 0xFFFF) std::abort();
    const std::optional<Url> again = Url::Parse(any->Href());
    if (!again || again->Href() != any->Href() || again->Host() != any->Host() ||
        again->Port() != any->Port() || again->RequestTarget() != any->RequestTarget()) {
        std::abort();
    }
    return 0;
}
