#include "http/cookie_request.h"

#include "http/request_builder.h"

std::string CanonicalizedHost(std::string_view host) {
    std::string canonical(host);
    for (char& c : canonical) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return canonical;
}

std::optional<CookieRequest> CookieRequestFor(std::string_view url) {
    const std::optional<Url> parsed = ParseRequestUrl(url);
    if (!parsed) return std::nullopt;
    // The URL's host is already canonical: lower case, an address in its one written form.
    return CookieRequest{std::string(parsed->Host()), std::string(parsed->Path()), parsed->Secure()};
}
