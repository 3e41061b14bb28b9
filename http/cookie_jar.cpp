#include "http/cookie_jar.h"

#include <arpa/inet.h>

#include <algorithm>
#include <ctime>
#include <limits>
#include <optional>

#include "http/public_suffix.h"
#include "http/set_cookie_parser.h"

namespace {

constexpr std::int64_t kEarliestTime = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kLatestTime = std::numeric_limits<std::int64_t>::max();

bool IsIpAddress(const std::string& host) {
    if (!host.empty() && host.front() == '[') return true;
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1;
}

// 5.1.3: identical, or the domain is a suffix of the host name that starts after a "." of it.
bool DomainMatches(const std::string& host, const std::string& domain) {
    if (host == domain) return true;
    return host.size() > domain.size() &&
           host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.' && !IsIpAddress(host);
}

// 5.1.4: the default-path of a request path.
std::string DefaultPath(const std::string& uriPath) {
    // 2. An empty path, or one not starting with "/": "/".
    if (uriPath.empty() || uriPath.front() != '/') return "/";
    // 3. A path holding no more than one "/": "/".
    const std::size_t lastSlash = uriPath.rfind('/');
    if (lastSlash == 0) return "/";
    // 4. Up to, but not including, the right-most "/".
    return uriPath.substr(0, lastSlash);
}

// 5.1.4: identical; or the cookie-path a prefix of the request path that ends in "/" or is
// followed there by "/".
bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
    if (requestPath == cookiePath) return true;
    if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
    return (!cookiePath.empty() && cookiePath.back() == '/') ||
           (requestPath.size() > cookiePath.size() && requestPath[cookiePath.size()] == '/');
}

}  // namespace

CookieJar::CookieJar(Clock clock) : clock(std::move(clock)) {}

std::int64_t CookieJar::Now() const {
    return clock ? clock() : static_cast<std::int64_t>(std::time(nullptr));
}

bool CookieJar::Store(std::string_view setCookie, const CookieRequest& request) {
    // 1. A line that cannot be read is ignored entirely.
    const std::optional<SetCookie> parsed = ParseSetCookie(setCookie);
    if (!parsed) return false;
    std::lock_guard<std::mutex> lock(mutex);
    const std::int64_t now = Now();

    // 2. A new cookie, created and last accessed now.
    Cookie cookie;
    cookie.name = parsed->name;
    cookie.value = parsed->value;
    cookie.creation = cookie.lastAccess = ++tick;
    // 3. Max-Age before Expires; a cookie with neither lasts as long as the jar.
    if (parsed->maxAge) {
        cookie.expiry = *parsed->maxAge <= 0 ? kEarliestTime : now + *parsed->maxAge;
    } else {
        cookie.expiry = parsed->expires.value_or(kLatestTime);
    }
    // 4. The domain-attribute.
    std::string domainAttribute = parsed->domain.value_or("");
    // 5. A public suffix is refused, unless it is the request's host itself: then the cookie is
    // that host's alone.
    if (!domainAttribute.empty() && IsPublicSuffix(domainAttribute)) {
        if (domainAttribute != request.host) return false;
        domainAttribute.clear();
    }
    // 6. A domain the request's host does not domain-match is refused; without one the cookie is
    // host-only.
    if (!domainAttribute.empty()) {
        if (!DomainMatches(request.host, domainAttribute)) return false;
        cookie.hostOnly = false;
        cookie.domain = std::move(domainAttribute);
    } else {
        cookie.hostOnly = true;
        cookie.domain = request.host;
    }
    // 7. The Path, or the default path of the request.
    cookie.path = parsed->path && !parsed->path->empty() ? *parsed->path : DefaultPath(request.path);
    // 8. Secure. (9. and 10., HttpOnly, concern scripts, which this client has none of.)
    cookie.secureOnly = parsed->secure;
    // 11. A cookie of the same name, domain and path is replaced and lends its creation time.
    const auto old = std::find_if(cookies.begin(), cookies.end(), [&](const Cookie& stored) {
        return stored.name == cookie.name && stored.domain == cookie.domain && stored.path == cookie.path;
    });
    if (old != cookies.end()) {
        cookie.creation = old->creation;
        cookies.erase(old);
    }
    // 12. Insert the cookie; then evict what has expired (a cookie that arrives expired deletes)
    // and what exceeds the limits.
    const std::string domain = cookie.domain;
    cookies.push_back(std::move(cookie));
    EvictExpired(now);
    EvictOverLimits(domain);
    return true;
}

std::string CookieJar::CookieHeader(const CookieRequest& request) {
    std::lock_guard<std::mutex> lock(mutex);
    const std::int64_t now = Now();
    EvictExpired(now);
    // 1. The cookies whose domain, path and secure-only flag fit the request.
    std::vector<Cookie*> list;
    for (Cookie& cookie : cookies) {
        const bool domainFits =
            cookie.hostOnly ? request.host == cookie.domain : DomainMatches(request.host, cookie.domain);
        if (domainFits && PathMatches(request.path, cookie.path) && (!cookie.secureOnly || request.secure)) {
            list.push_back(&cookie);
        }
    }
    // 2. Longer paths first; of equal paths, the earlier created first.
    std::sort(list.begin(), list.end(), [](const Cookie* a, const Cookie* b) {
        if (a->path.size() != b->path.size()) return a->path.size() > b->path.size();
        return a->creation < b->creation;
    });
    // 3. Update their last-access time. 4. Serialize them as name=value, joined by "; ".
    std::string header;
    ++tick;
    for (Cookie* cookie : list) {
        cookie->lastAccess = tick;
        if (!header.empty()) header.append("; ");
        header.append(cookie->name).append("=").append(cookie->value);
    }
    return header;
}

std::size_t CookieJar::Count() const {
    std::lock_guard<std::mutex> lock(mutex);
    return cookies.size();
}

void CookieJar::EvictExpired(std::int64_t now) {
    std::erase_if(cookies, [now](const Cookie& cookie) { return cookie.expiry <= now; });
}

// Beyond a limit, the cookies of the over-full domain go first, then any; of those the one
// accessed longest ago.
void CookieJar::EvictOverLimits(const std::string& domain) {
    const auto leastRecent = [](const Cookie& a, const Cookie& b) { return a.lastAccess < b.lastAccess; };
    for (;;) {
        std::vector<Cookie>::iterator oldest = cookies.end();
        std::size_t count = 0;
        for (auto at = cookies.begin(); at != cookies.end(); ++at) {
            if (at->domain != domain) continue;
            ++count;
            if (oldest == cookies.end() || leastRecent(*at, *oldest)) oldest = at;
        }
        if (count <= kCookiesPerDomain) break;
        cookies.erase(oldest);
    }
    while (cookies.size() > kCookiesInAll) {
        cookies.erase(std::min_element(cookies.begin(), cookies.end(), leastRecent));
    }
}
