#pragma once

#include <optional>
#include <string>
#include <string_view>

// What cookie storage and retrieval need of a request's URL (RFC 6265 section 5.1): the
// canonicalized host (lower case; an IPv6 literal keeps its brackets), the path from its "/" up
// to the query, and whether the scheme is a secure one (https).
struct CookieRequest {
    std::string host;
    std::string path;
    bool secure = false;
};

// A host name in the canonical form of section 5.1.2, here ASCII lower case: the form in which
// hosts and Domain attributes are compared.
std::string CanonicalizedHost(std::string_view host);

// None when the URL cannot be split.
std::optional<CookieRequest> CookieRequestFor(std::string_view url);
