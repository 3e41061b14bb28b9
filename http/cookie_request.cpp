#include "http/cookie_request.h"

#include "http/url_split.h"

std::string CanonicalizedHost(std::string_view host) {
    std::string canonical(host);
    for (char& c : canonical) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return canonical;
}

std::optional<CookieRequest> CookieRequestFor(std::string_view url) {
    UrlParts parts;
    if (!SplitUrl(url, parts)) return std::nullopt;
    CookieRequest request;
    request.host = CanonicalizedHost(parts.host);
    request.path = "/" + parts.path.substr(0, parts.path.find_first_of("?#"));
    request.secure = parts.secure;
    return request;
}
