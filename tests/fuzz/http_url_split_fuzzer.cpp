// Splits arbitrary bytes as a URL and builds the request for it, directly and through a proxy,
// as given and as the client sends it (normalised). A URL that splits must never add header lines
// of its own: the request always has the same number of line ends, whatever the URL holds. The
// normalisation must leave its own result unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/request_builder.h"
#include "http/request_target.h"
#include "http/url_split.h"

namespace {

std::size_t CountLineEnds(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

// Request line, the fixed header lines, the User-Agent line, the Host line and the blank line.
constexpr std::size_t kGetLineEnds = 1 + std::size(kFixedHeaderLines) + 1 + 1 + 1;

void CheckRequests(std::string_view url) {
    UrlParts parts;
    const bool split = SplitUrl(url, parts);
    if (split &&
        (parts.port < 0 || parts.port > 0xFFFF || parts.host.size() + parts.path.size() > url.size())) {
        std::abort();
    }
    for (const bool viaProxy : {false, true}) {
        std::string request;
        UrlParts built;
        if (BuildRequest(url, "", viaProxy, request, built) != split) std::abort();
        if (split && CountLineEnds(request) != kGetLineEnds) std::abort();
        if (split && request.compare(request.size() - 4, 4, "\r\n\r\n") != 0) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    CheckRequests(url);
    const std::string sent = RequestUrl(url);
    if (RequestUrl(sent) != sent) std::abort();
    CheckRequests(sent);
    return 0;
}
