// Feeds Set-Cookie lines, as a server could send them, to the parser and to one cookie jar for a
// request URL chosen by the first byte. Checks that a parsed cookie has a name and that its name
// and value hold no control byte and stay within the limit; that the jar never holds more than its
// limit and never sends a cookie to a host its domain does not cover (a foreign host, a public
// suffix); and that each name=value of the Cookie header reads back as the same cookie.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "http/cookie_jar.h"
#include "http/set_cookie_parser.h"
#include "http/url_split.h"

namespace {

constexpr std::string_view kRequestUrls[] = {"http://www.example.com.cn/a/b?c=/d",
                                             "https://s.demo-b2b.test/company/", "http://127.0.0.1:8080/x",
                                             "http://com.cn/", "https://[::1]/p/q/"};
// Hosts that none of the request hosts may set a cookie for.
constexpr std::string_view kForeignUrls[] = {"http://cn/", "http://test/", "http://unrelated.example.org/",
                                             "https://other.com.cn/"};

void CheckParsed(std::string_view line) {
    const std::optional<SetCookie> cookie = ParseSetCookie(line);
    if (!cookie) return;
    if (cookie->name.empty() || HoldsControlByte(cookie->name) || HoldsControlByte(cookie->value) ||
        cookie->name.size() + cookie->value.size() > kLongestCookie) {
        std::abort();
    }
}

// Every "name=value" of the header must be a cookie that a Set-Cookie line of its own gives back.
void CheckHeader(const std::string& header, std::size_t stored) {
    if (HoldsControlByte(header)) std::abort();
    std::size_t pairs = 0;
    for (std::size_t start = 0; start < header.size(); ++pairs) {
        std::size_t end = header.find("; ", start);
        if (end == std::string::npos) end = header.size();
        const std::string_view pair(header.data() + start, end - start);
        const std::optional<SetCookie> again = ParseSetCookie(pair);
        if (!again || again->name.size() + 1 + again->value.size() != pair.size()) std::abort();
        start = end + 2;
    }
    if (pairs > stored) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view requestUrl = kRequestUrls[data[0] % std::size(kRequestUrls)];
    const CookieRequest request = *CookieRequestFor(requestUrl);
    std::string_view lines(reinterpret_cast<const char*>(data) + 1, size - 1);
    CookieJar jar([] { return std::int64_t{1700000000}; });
    while (!lines.empty()) {
        const std::size_t end = std::min(lines.find('\n'), lines.size());
        const std::string_view line = lines.substr(0, end);
        lines.remove_prefix(std::min(end + 1, lines.size()));
        CheckParsed(line);
        jar.Store(line, request);
    }
    if (jar.Count() > CookieJar::kCookiesInAll) std::abort();
    CheckHeader(jar.CookieHeader(request), jar.Count());
    // A host the client cannot even ask (too short to split) can receive no cookie either.
    for (const std::string_view foreign : kForeignUrls) {
        const std::optional<CookieRequest> foreignRequest = CookieRequestFor(foreign);
        if (foreignRequest && !jar.CookieHeader(*foreignRequest).empty()) std::abort();
    }
    return 0;
}
